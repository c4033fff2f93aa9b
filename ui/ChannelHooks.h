// The channels' hook in the window: the changes of each refresh that the desktop is told of go to the
// notification channels too, and a failed send shows in the tray icon's tooltip.
#pragma once

#include <QString>
#include <functional>

class QTabWidget;
class TNotificationIcon;
class TSectionHistory;
class TSourceWatch;

// The sources are named by their tabs in Tabs; Address gives a source's address as its tab's link
// label shows it.
void InstallChannels(TSourceWatch* Watch, TSectionHistory* History, TNotificationIcon* Tray,
                     const QTabWidget* Tabs, const std::function<QString(int Source)>& Address);
