// The page source view.
#include "PageSourceView.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

TPageSourceView::TPageSourceView() : View(new QPlainTextEdit), Search(new QLineEdit)
{
    View->setObjectName(QStringLiteral("PageSource"));
    View->setReadOnly(true);
    View->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    View->setLineWrapMode(QPlainTextEdit::NoWrap);
    View->setFont(QFont(QStringLiteral("Monospace")));
    Search->setObjectName(QStringLiteral("Search"));
    Search->setPlaceholderText(QStringLiteral("Szukaj w źródle strony (Enter: następne)"));
    Search->hide();
    connect(Search, &QLineEdit::returnPressed, this, &TPageSourceView::FindNext);
    auto* Find = new QShortcut(QKeySequence::Find, this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(Find, &QShortcut::activated, this, [this] {
        Search->show();
        Search->setFocus();
        Search->selectAll();
    });
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(View, 1);
    Layout->addWidget(Search);
}

void TPageSourceView::SetText(const QString& Text)
{
    View->setPlainText(Text);
}

std::pair<int, int> TPageSourceView::Selection() const
{
    const QTextCursor Cursor = View->textCursor();
    return {Cursor.selectionStart(), Cursor.selectionEnd()};
}

// The next occurrence after the cursor, from the top again past the last one.
void TPageSourceView::FindNext()
{
    const QString Text = Search->text();
    if (Text.isEmpty() || View->find(Text))
        return;
    QTextCursor Start = View->textCursor();
    Start.movePosition(QTextCursor::Start);
    View->setTextCursor(Start);
    View->find(Text);
}
