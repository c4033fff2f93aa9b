// The refresh timer by the schedule: a tick within a minute keeps the plan true to the wall clock,
// which runs on while the machine sleeps and the timer does not.
#include "RefreshSchedule.h"

#include "NtfyIcon.h"
#include "ProgramSettings.h"
#include "ScheduleSettings.h"
#include "TrayHint.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace {
constexpr qint64 LongestWait = 60000;
} // namespace

TRefreshSchedule::TRefreshSchedule(QTimer* Timer, TNotificationIcon* Tray)
    : QObject(Timer), FTimer(Timer), FTray(Tray)
{
    Reload();
}

void TRefreshSchedule::ReloadAll()
{
    for (QWidget* Window : QApplication::topLevelWidgets())
        for (TRefreshSchedule* Schedule : Window->findChildren<TRefreshSchedule*>())
            Schedule->Reload();
}

void TRefreshSchedule::Reload()
{
    QSettings Settings = ProgramSettings();
    FSchedule = ReadSchedule(Settings);
    FLast = QDateTime();
    Plan(Clock());
}

bool TRefreshSchedule::Tick()
{
    if (FSchedule.Always)
        return true;
    const QDateTime Now = Clock();
    // The first tick comes one interval after the timer was started or planned anew.
    const QDateTime Last = FLast.isValid() ? FLast : Now.addMSecs(-FTimer->interval());
    FLast = Now;
    const bool Due = RefreshDue(FSchedule, Last, Now);
    Plan(Now);
    return Due;
}

void TRefreshSchedule::Plan(const QDateTime& Now)
{
    if (FSchedule.Always) {
        if (FTimer->interval() != FSchedule.Interval * 60000)
            FTimer->setInterval(FSchedule.Interval * 60000);
        TTrayHint::Of(FTray)->Set(THintLine::NextRefresh, {});
        return;
    }
    const QDateTime Next = NextRefresh(FSchedule, Now);
    const qint64 Wait = Next.isValid() ? std::clamp(Now.msecsTo(Next), qint64(1), LongestWait) : LongestWait;
    if (FTimer->interval() != Wait)
        FTimer->setInterval(int(Wait));
    TTrayHint::Of(FTray)->Set(THintLine::NextRefresh,
                              FTimer->isActive() && Next.isValid() ? NextRefreshText(Next) : QString());
}
