// The schedule of the automatic refreshes as a function of the clock. Points of the hours' grid are
// the start of the hours plus whole intervals of real time, so the grid keeps its step across a
// daylight-saving change, and the hours are wall-clock times of their day.
#include "Schedule.h"

#include <QTimeZone>
#include <array>

namespace {
constexpr int WeekDays = 7;

QDateTime At(const QDateTime& Like, QDate Date, QTime Time)
{
    return Like.timeSpec() == Qt::TimeZone ? QDateTime(Date, Time, Like.timeZone())
                                           : QDateTime(Date, Time, Like.timeSpec(), Like.offsetFromUtc());
}

// The hours that begin on Date: [Start, End).
struct THours
{
    QDateTime Start;
    QDateTime End;
};

THours HoursOf(const TSchedule& Schedule, const QDateTime& Like, QDate Date)
{
    const QDate EndDate = Schedule.To > Schedule.From ? Date : Date.addDays(1);
    return {At(Like, Date, Schedule.From), At(Like, EndDate, Schedule.To)};
}

// Whether At lies inside the hours; always true for Always.
bool InsideHours(const TSchedule& Schedule, const QDateTime& At)
{
    if (Schedule.Always)
        return true;
    // Hours that span midnight may have begun the day before.
    for (QDate Date = At.date().addDays(-1); Date <= At.date(); Date = Date.addDays(1)) {
        if (!Schedule.HasDay(Date.dayOfWeek()))
            continue;
        const THours Hours = HoursOf(Schedule, At, Date);
        if (Hours.Start <= At && At < Hours.End)
            return true;
    }
    return false;
}
} // namespace

QDateTime NextRefresh(const TSchedule& Schedule, const QDateTime& After)
{
    const qint64 Step = qint64(Schedule.Interval) * 60000;
    if (Schedule.Always)
        return After.addMSecs(Step);
    for (QDate Date = After.date().addDays(-1); Date <= After.date().addDays(WeekDays);
         Date = Date.addDays(1)) {
        if (!Schedule.HasDay(Date.dayOfWeek()))
            continue;
        const THours Hours = HoursOf(Schedule, After, Date);
        if (Hours.End <= After)
            continue;
        if (Hours.Start > After)
            return Hours.Start;
        const QDateTime Point = Hours.Start.addMSecs((Hours.Start.msecsTo(After) / Step + 1) * Step);
        if (Point < Hours.End)
            return Point;
    }
    return {};
}

bool RefreshDue(const TSchedule& Schedule, const QDateTime& Last, const QDateTime& Now)
{
    if (Schedule.Always)
        return true;
    const QDateTime Next = NextRefresh(Schedule, Last);
    return Next.isValid() && Next <= Now && InsideHours(Schedule, Now);
}

QString NextRefreshText(const QDateTime& When)
{
    static const std::array<QString, WeekDays> Names{"pn", "wt", "śr", "czw", "pt", "sob", "nd"};
    return QStringLiteral("następne odświeżenie: ") + Names[When.date().dayOfWeek() - 1] + QLatin1Char(' ') +
           When.toString(QStringLiteral("HH:mm"));
}
