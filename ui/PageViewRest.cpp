// The page views' rest: active where seen, frozen in a tab not shown, discarded in the tray.
#include "PageViewRest.h"

#include "WebBrowser.h"

#include <QEvent>
#include <QTabWidget>

TPageViewRest::TPageViewRest(QTabWidget* Tabs) : QObject(Tabs), FTabs(Tabs)
{
    connect(Tabs, &QTabWidget::currentChanged, this, &TPageViewRest::Settle);
    // The tab control is shown with the window, whichever way it comes back from the tray, and
    // hidden and shown by "Show tabs".
    Tabs->installEventFilter(this);
}

void TPageViewRest::ToTray()
{
    if (FTabs->window()->isVisible())
        return;
    for (int Tab = 0; Tab < FTabs->count(); ++Tab)
        if (TWebBrowser* View = ViewOf(Tab))
            View->SetLife(TWebBrowser::TLife::Discarded);
}

bool TPageViewRest::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FTabs && (Event->type() == QEvent::Show || Event->type() == QEvent::Hide))
        Settle();
    return QObject::eventFilter(Watched, Event);
}

// A discarded view stays so until it is shown: freezing it would only load it again.
void TPageViewRest::Settle()
{
    if (!FTabs->window()->isVisible())
        return;
    for (int Tab = 0; Tab < FTabs->count(); ++Tab) {
        TWebBrowser* View = ViewOf(Tab);
        if (!View)
            continue;
        if (Tab == FTabs->currentIndex() && FTabs->isVisible())
            View->SetLife(TWebBrowser::TLife::Active);
        else if (View->Life() == TWebBrowser::TLife::Active)
            View->SetLife(TWebBrowser::TLife::Frozen);
    }
}

TWebBrowser* TPageViewRest::ViewOf(int Tab) const
{
    return FTabs->widget(Tab)->findChild<TWebBrowser*>();
}
