// The schedule's keys in the settings: the days as numbers (1 Monday ... 7 Sunday), the times as
// HH:mm.
#include "ScheduleSettings.h"

#include <QSettings>
#include <algorithm>

namespace {
const QString AlwaysKey = QStringLiteral("OdswiezanieZawsze");
const QString DaysKey = QStringLiteral("OdswiezanieDni");
const QString FromKey = QStringLiteral("OdswiezanieOd");
const QString ToKey = QStringLiteral("OdswiezanieDo");
const QString IntervalKey = QStringLiteral("OdswiezanieCoMinut");
const QString TimeFormat = QStringLiteral("HH:mm");

QTime ReadTime(const QSettings& Settings, const QString& Key, QTime Default)
{
    const QTime Time = QTime::fromString(Settings.value(Key).toString(), TimeFormat);
    return Time.isValid() ? Time : Default;
}
} // namespace

TSchedule ReadSchedule(QSettings& Settings)
{
    TSchedule Schedule;
    Schedule.Always = Settings.value(AlwaysKey, true).toBool();
    if (Settings.contains(DaysKey)) {
        Schedule.Days = 0;
        for (const QString& Day : Settings.value(DaysKey).toString().split(QLatin1Char(','))) {
            const int Number = Day.trimmed().toInt();
            if (Number >= 1 && Number <= 7)
                Schedule.Days |= std::uint8_t(1u << (Number - 1));
        }
    }
    Schedule.From = ReadTime(Settings, FromKey, Schedule.From);
    Schedule.To = ReadTime(Settings, ToKey, Schedule.To);
    bool Number = false;
    const int Interval = Settings.value(IntervalKey).toInt(&Number);
    if (Number)
        Schedule.Interval = std::clamp(Interval, TSchedule::MinInterval, TSchedule::MaxInterval);
    return Schedule;
}

void WriteSchedule(QSettings& Settings, const TSchedule& Schedule)
{
    QStringList Days;
    for (int Day = 1; Day <= 7; ++Day)
        if (Schedule.HasDay(Day))
            Days << QString::number(Day);
    Settings.setValue(AlwaysKey, Schedule.Always);
    Settings.setValue(DaysKey, Days.join(QLatin1Char(',')));
    Settings.setValue(FromKey, Schedule.From.toString(TimeFormat));
    Settings.setValue(ToKey, Schedule.To.toString(TimeFormat));
    Settings.setValue(IntervalKey, Schedule.Interval);
}
