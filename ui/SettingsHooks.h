// The ways into the settings dialog from the window: "&Ustawienia..." in the tray menu, Ctrl+, and
// the desktop's Preferences key, "Ustaw źródło..." on a tab and in the panel of a tab still empty.
#pragma once

#include "SourceTable.h"

#include <array>

class QAction;
class QTabWidget;
class QWidget;
class TPopupMenu;
class TSettingsDialog;
class TSourceWatch;
class TTabMenu;
class TWebBrowser;

// Where the dialog belongs: the window, its page tabs and the tray menu's notifications item.
struct TSettingsPlace
{
    QWidget* Window;
    QTabWidget* Tabs;
    QAction* Notifications;
};

// The window's menus and views that lead to the dialog.
struct TSettingsWaysIn
{
    TPopupMenu* TrayMenu;
    TTabMenu* TabMenu;
    TSourceWatch* Watch;
    std::array<TWebBrowser*, SourceCount> PageViews;
};

// Call while the tray menu is being built: its item goes after the ones already there.
void InstallSettings(const TSettingsPlace& Place, const TSettingsWaysIn& WaysIn);

// Opens the dialog on Source (-1: the tab shown), or brings the open one forward on it.
TSettingsDialog* ShowSettings(const TSettingsPlace& Place, int Source = -1);
