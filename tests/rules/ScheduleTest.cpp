// The schedule of the automatic refreshes in Europe/Warsaw time.
#include "Schedule.h"
#include "ScheduleSettings.h"
#include "TempDir.h"

#include <QSettings>
#include <gtest/gtest.h>
#include <time.h>

namespace {
class ScheduleTest : public testing::Test
{
protected:
    // Local times are Warsaw's, whatever the machine's zone.
    static void SetUpTestSuite()
    {
        qputenv("TZ", "Europe/Warsaw");
        tzset();
    }

    // 7 December 2026 is a Monday.
    static QDateTime At(int Day, const char* Time, int Month = 12)
    {
        return QDateTime(QDate(2026, Month, Day), QTime::fromString(Time, Qt::ISODateWithMs));
    }

    static inline const TSchedule WorkHours{.Always = false};
};

TEST_F(ScheduleTest, TheNextRefreshIsTheNextPointOfTheHoursGrid)
{
    const TSchedule Ten{.Interval = 10};
    const TSchedule Hourly{.Always = false, .Interval = 60};
    const TSchedule Night{.Always = false, .Days = 1u << 4, .From = QTime(22, 0), .To = QTime(6, 0)};
    const TSchedule WholeDay{.Always = false, .Days = 1u << 6, .From = QTime(9, 0), .To = QTime(9, 0)};
    const std::tuple<const char*, TSchedule, QDateTime, QDateTime> Cases[] = {
        {"always: the interval on", Ten, At(12, "03:01:30"), At(12, "03:11:30")},
        {"before the hours: their start", WorkHours, At(7, "07:00"), At(7, "08:30")},
        {"at the start: one interval on", WorkHours, At(7, "08:30"), At(7, "08:35")},
        {"between two points", WorkHours, At(7, "08:31:10"), At(7, "08:35")},
        {"the end is not a point", WorkHours, At(7, "17:26"), At(8, "08:30")},
        {"Friday evening: Monday", WorkHours, At(11, "17:26"), At(14, "08:30")},
        {"hourly from the start", Hourly, At(7, "16:30"), At(8, "08:30")},
        {"Friday's night: not the nights before", Night, At(8, "12:00"), At(11, "22:00")},
        {"Friday's night on Saturday", Night, At(12, "03:00"), At(12, "03:05")},
        {"Friday's night is over", Night, At(12, "05:58"), At(18, "22:00")},
        {"a start equal to the end: the whole day", WholeDay, At(13, "23:58"), At(14, "00:00")},
        {"no day chosen: never", TSchedule{.Always = false, .Days = 0}, At(7, "08:00"), QDateTime()},
        {"over the spring change", TSchedule{.Always = false, .Days = 0x7F}, At(28, "17:26", 3),
         At(29, "08:30", 3)},
        {"over the autumn change", TSchedule{.Always = false, .Days = 0x7F}, At(24, "17:26", 10),
         At(25, "08:30", 10)},
    };
    for (const auto& [What, Schedule, After, Next] : Cases)
        EXPECT_EQ(NextRefresh(Schedule, After), Next) << What;

    // Hourly through the night of a change: the grid steps in real hours.
    const TSchedule Change{
        .Always = false, .Days = 0x7F, .From = QTime(1, 0), .To = QTime(4, 0), .Interval = 60};
    const auto Points = [&Change](const QDateTime& Start) {
        QStringList Times;
        for (QDateTime Point = Start; Point.date() == Start.date(); Point = NextRefresh(Change, Point))
            Times << Point.toString("HH:mm t");
        return Times;
    };
    EXPECT_EQ(Points(At(29, "01:00", 3)), (QStringList{"01:00 CET", "03:00 CEST"}));
    EXPECT_EQ(Points(At(25, "01:00", 10)),
              (QStringList{"01:00 CEST", "02:00 CEST", "02:00 CET", "03:00 CET"}));
}

TEST_F(ScheduleTest, TicksRefreshOnlyWhenAPointPassedAndOnceAfterWakingInsideTheHours)
{
    const std::tuple<const char*, QDateTime, QDateTime, bool> Cases[] = {
        {"the start of the hours", At(7, "08:29:00"), At(7, "08:30:00.200"), true},
        {"a tick a moment early", At(7, "08:29:00"), At(7, "08:29:59"), false},
        {"between points", At(7, "08:30:01"), At(7, "08:31:01"), false},
        {"asleep for hours, woken inside them", At(7, "12:00"), At(7, "15:47:13"), true},
        {"asleep over the night, woken before the hours", At(7, "17:20"), At(8, "07:00"), false},
        {"asleep from Friday, woken on Saturday", At(11, "17:20"), At(12, "10:00"), false},
        {"and on Monday at the start", At(12, "10:00"), At(14, "08:30:05"), true},
    };
    for (const auto& [What, Last, Now, Due] : Cases)
        EXPECT_EQ(RefreshDue(WorkHours, Last, Now), Due) << What;
    EXPECT_EQ(NextRefreshText(At(9, "17:05:59")), "następne odświeżenie: śr 17:05");
}

TEST_F(ScheduleTest, IsKeptInTheSettings)
{
    const TTempDir Dir;
    QSettings Settings(QString::fromStdString(Dir.Dir() + "settings.ini"), QSettings::IniFormat);
    EXPECT_EQ(ReadSchedule(Settings), TSchedule{}) << "the default: always, every 5 minutes";
    const TSchedule Chosen{
        .Always = false, .Days = 0b1000101, .From = QTime(9, 0), .To = QTime(17, 5), .Interval = 15};
    WriteSchedule(Settings, Chosen);
    EXPECT_EQ(ReadSchedule(Settings), Chosen);
    Settings.setValue("OdswiezanieCoMinut", 500);
    Settings.setValue("OdswiezanieOd", "25:00");
    Settings.setValue("OdswiezanieDni", "1, 8, x, 7");
    EXPECT_EQ(ReadSchedule(Settings),
              (TSchedule{.Always = false, .Days = 0b1000001, .To = QTime(17, 5), .Interval = 120}));
}
} // namespace
