// TPagePreview: a page file shown as its tab would show it, in the tabs' own page view, under a line
// that says what is shown.
#pragma once

#include <QTemporaryDir>
#include <QWidget>
#include <string>

class QLabel;
class TWebBrowser;

class TPagePreview : public QWidget
{
public:
    TPagePreview();

    // Shows Bytes as the page file Name, with its size.
    void ShowPage(const QString& Name, const std::string& Bytes);
    // Shows Text in place of a page.
    void ShowText(const QString& Text);

private:
    bool Show(const QString& Name, const std::string& Bytes);

    QTemporaryDir Folder;
    QLabel* Info;
    TWebBrowser* View;
};
