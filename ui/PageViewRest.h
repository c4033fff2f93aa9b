// TPageViewRest: the window's page views rest where no one sees them. The view of the tab shown is
// active; the other tabs' views are frozen; while the window waits in the tray every view is
// discarded, so that the renderer's memory goes back to the system.
#pragma once

#include <QObject>

class QTabWidget;
class TWebBrowser;

class TPageViewRest : public QObject
{
public:
    // Rests the page view of every tab of Tabs, those added later included.
    explicit TPageViewRest(QTabWidget* Tabs);

    // The window has gone to the tray: every view is discarded. Does nothing while it is shown.
    // Once the window is shown again, the tab shown wakes at once, the others when they are shown.
    void ToTray();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Settle();
    TWebBrowser* ViewOf(int Tab) const;

    QTabWidget* FTabs;
};
