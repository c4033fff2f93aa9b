// TOptionsPage: the "Opcje" page of the settings dialog: the notifications, one setting with the
// tray menu's item, the start at login, how many days the history keeps versions and when the timer
// refreshes.
#pragma once

#include <QWidget>

class QAction;
class QCheckBox;
class QSpinBox;
class TScheduleOptions;

class TOptionsPage : public QWidget
{
public:
    // Notifications is the tray menu's checkable item of the same setting.
    explicit TOptionsPage(QAction* Notifications);

    // Applies the choices; throws std::runtime_error, in Polish, when the autostart entry cannot be
    // written or removed, before the notifications or the history's days change.
    void Apply();

private:
    QAction* FNotifications;
    QCheckBox* NotificationsBox;
    QCheckBox* AutostartBox;
    QSpinBox* HistoryDaysBox;
    TScheduleOptions* Schedule;
};
