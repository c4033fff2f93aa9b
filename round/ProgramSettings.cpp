// The program's settings file and the history's days in it.
#include "ProgramSettings.h"

#include "HistoryStore.h"

#include <algorithm>

namespace {
const QString HistoryDaysKey = QStringLiteral("HistoriaDni");
} // namespace

QSettings ProgramSettings()
{
    return QSettings(QStringLiteral("QRX & Dobrel"), QStringLiteral("Tickerwell"));
}

int HistoryDays()
{
    bool Number = false;
    const int Days = ProgramSettings().value(HistoryDaysKey).toInt(&Number);
    return Number ? std::clamp(Days, MinHistoryDays, MaxHistoryDays) : THistoryStore::DefaultKeepDays;
}

void SetHistoryDays(int Days)
{
    ProgramSettings().setValue(HistoryDaysKey, Days);
}
