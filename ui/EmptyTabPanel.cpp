// The panel of a tab still empty.
#include "EmptyTabPanel.h"

#include "Application.h"
#include "SourceWatch.h"
#include "WebBrowser.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TEmptyTabPanel::TEmptyTabPanel(TWebBrowser* View, TSourceWatch* Watch, int Source,
                               std::function<void()> SetSource)
    : QWidget(View->parentWidget()), FView(View), FWatch(Watch), FSource(Source), FReason(new QLabel)
{
    setObjectName(QStringLiteral("EmptyTabPanel%1").arg(Source + 1));
    FReason->setAlignment(Qt::AlignCenter);
    FReason->setWordWrap(true);
    FReason->setStyleSheet(QStringLiteral("color: gray"));
    auto* Button = new QPushButton(QStringLiteral("Ustaw źródło..."));
    Button->setObjectName(QStringLiteral("SetSource"));
    connect(Button, &QPushButton::clicked, this,
            [SetSource = std::move(SetSource)] { TApplication::Guarded(SetSource); });
    auto* Layout = new QVBoxLayout(this);
    Layout->addStretch(1);
    Layout->addWidget(FReason);
    Layout->addWidget(Button, 0, Qt::AlignHCenter);
    Layout->addStretch(1);
    setAutoFillBackground(true);
    // The window places its page views itself; the panel follows the view of its tab.
    FView->installEventFilter(this);
    connect(Watch, &TSourceWatch::StateShown, this, [this](int Changed) {
        if (Changed == FSource)
            ShowWhyEmpty();
    });
    ShowWhyEmpty();
}

bool TEmptyTabPanel::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Resize || Event->type() == QEvent::Move)
        setGeometry(FView->geometry());
    return QWidget::eventFilter(Watched, Event);
}

void TEmptyTabPanel::ShowWhyEmpty()
{
    if (!FView->Address().isEmpty()) {
        FView->removeEventFilter(this);
        hide();
        deleteLater();
        return;
    }
    const TSourceState& State = FWatch->State(FSource);
    FReason->setText(
        State.Failure.isEmpty()
            ? QStringLiteral("Ta karta jest pusta: jeszcze nie pobrano.")
            : QStringLiteral("Ta karta jest pusta. %1 (%2)").arg(State.Failure, State.LastAttempt));
    setGeometry(FView->geometry());
    raise();
    show();
}
