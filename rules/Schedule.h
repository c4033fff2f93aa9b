// TSchedule: when the timer refreshes by itself: always, every interval from the first refresh, or
// only on chosen weekdays between two times, every interval from the start of those hours. Pure
// functions of the clock: the time given is taken in its own time zone (the local one for
// QDateTime::currentDateTime()).
#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>
#include <cstdint>

struct TSchedule
{
    static constexpr int MinInterval = 1;
    static constexpr int MaxInterval = 120;
    static constexpr int DefaultInterval = 5;

    bool Always = true;
    std::uint8_t Days = 0x1F;       // bit 0 Monday ... bit 6 Sunday; Monday to Friday by default
    QTime From = QTime(8, 30);      // the hours run from From up to, not including, To; a To not after
    QTime To = QTime(17, 30);       // From ends them on the next day, so 22:00-06:00 spans the night
    int Interval = DefaultInterval; // minutes

    bool HasDay(int DayOfWeek) const { return (Days >> (DayOfWeek - 1)) & 1; } // 1 Monday ... 7 Sunday
    bool operator==(const TSchedule&) const = default;
};

// The first automatic refresh strictly after After: for Always, After plus the interval; else the
// next point of the hours' grid (their start, then every interval while inside them). Invalid when
// no day is chosen.
QDateTime NextRefresh(const TSchedule& Schedule, const QDateTime& After);

// Whether a timer tick at Now, the one before it having come at Last, refreshes: always for Always;
// else when a grid point has passed since Last and Now lies inside the hours. So after a sleep
// across grid points, one refresh follows if the machine wakes inside the hours and none outside.
bool RefreshDue(const TSchedule& Schedule, const QDateTime& Last, const QDateTime& Now);

// "następne odświeżenie: pn 08:30", with Polish weekday abbreviations.
QString NextRefreshText(const QDateTime& When);
