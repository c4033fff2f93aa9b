// TWebBrowser: the page view of a tab. It opens a local file path or a web address without
// blocking the caller; the embedded viewer is created on the first Navigate, so that start-up costs
// no more than a plain window.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QWebEngineView;

class TWebBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget* Parent = nullptr);

    // Opens URL: an address with a scheme as given, anything else as a local file path. Throws
    // std::invalid_argument for an address the viewer cannot open.
    void Navigate(const QString& URL);

    // The address last handed to the viewer; empty before the first Navigate.
    const QUrl& Address() const { return FAddress; }

private:
    QWebEngineView* Viewer = nullptr;
    QUrl FAddress;
};

// Prepares the application for page views; call before the application object is created.
void PreparePageViews();
