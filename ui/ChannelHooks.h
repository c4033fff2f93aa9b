// The channels' hook in the window: the changes of each refresh that the desktop is told of go to the
// notification channels too, and a failed send shows in the tray icon's tooltip.
#pragma once

#include "SourceTable.h"

#include <array>

class QLabel;
class TNotificationIcon;
class TSectionHistory;
class TSourceWatch;

// Links are the tabs' link labels, which show the sources' addresses.
void InstallChannels(TSourceWatch* Watch, TSectionHistory* History, TNotificationIcon* Tray,
                     const std::array<QLabel*, SourceCount>& Links);
