// The failing-source notices.
#include "FailureStreak.h"

#include <algorithm>

QString MinutesText(qint64 Seconds)
{
    const qint64 Minutes = std::max<qint64>(1, (Seconds + 30) / 60);
    if (Minutes < 60)
        return QStringLiteral("%1 min").arg(Minutes);
    const QString Hours = QStringLiteral("%1 godz.").arg(Minutes / 60);
    return Minutes % 60 == 0 ? Hours : Hours + QStringLiteral(" %1 min").arg(Minutes % 60);
}

QString TFailureStreak::Failed(const QDateTime& At, const QString& Reason)
{
    if (FFailures++ == 0)
        FFirst = At;
    if (FFailures != FailuresToSpeak)
        return {};
    return QStringLiteral("%1 nie odpowiada od %2: %3").arg(FCaption, MinutesText(FFirst.secsTo(At)), Reason);
}

QString TFailureStreak::Succeeded()
{
    const bool Spoke = FFailures >= FailuresToSpeak;
    FFailures = 0;
    return Spoke ? FCaption + QStringLiteral(" znów odpowiada") : QString();
}
