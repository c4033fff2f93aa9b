// TRefreshSchedule: the window's refresh timer by the schedule in the settings. Always: the timer
// ticks every interval and every tick refreshes. Within chosen hours: the timer ticks at the next
// point of the hours or within a minute, whichever comes first, and a tick refreshes only when a
// point has passed and it is inside the hours; the tray's tooltip names the next refresh.
#pragma once

#include "Schedule.h"

#include <QDateTime>
#include <QObject>
#include <functional>

class QTimer;
class TNotificationIcon;

class TRefreshSchedule : public QObject
{
    Q_OBJECT
public:
    // Reads the schedule and plans Timer (started by the first refresh, as ever) by it.
    TRefreshSchedule(QTimer* Timer, TNotificationIcon* Tray);

    // Runs at each tick of the timer: whether the tick refreshes. Plans the next tick.
    bool Tick();
    // Reads the schedule from the settings again and plans the timer by it.
    void Reload();
    // Reloads the schedules of every window, after the settings have changed.
    static void ReloadAll();

    // The clock the schedule is read against.
    std::function<QDateTime()> Clock = [] { return QDateTime::currentDateTime(); };

private:
    void Plan(const QDateTime& Now);

    QTimer* FTimer;
    TNotificationIcon* FTray;
    TSchedule FSchedule;
    QDateTime FLast; // the last tick
};
