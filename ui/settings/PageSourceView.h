// TPageSourceView: the source of a downloaded page, read-only, searched with Ctrl+F; what the user
// selects in it, counted in units of the text shown.
#pragma once

#include <QWidget>
#include <utility>

class QLineEdit;
class QPlainTextEdit;

class TPageSourceView : public QWidget
{
public:
    TPageSourceView();

    // Shows Text from its start; the selection goes.
    void SetText(const QString& Text);
    // The selected units [first, second); equal when nothing is selected.
    std::pair<int, int> Selection() const;

private:
    void FindNext();

    QPlainTextEdit* View;
    QLineEdit* Search;
};
