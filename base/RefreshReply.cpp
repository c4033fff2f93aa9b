// The lines of a refresh for the shell.
#include "RefreshReply.h"

QString RefreshLine(const QString& Caption, const std::optional<QString>& Failure, bool Changed, int Added,
                    int Removed, bool AlreadyRunning)
{
    QString Outcome = Changed ? QStringLiteral("zmieniono") : QStringLiteral("bez zmian");
    if (Failure) {
        Outcome =
            QStringLiteral("błąd: ") + (Failure->isEmpty() ? QStringLiteral("błąd pobierania") : *Failure);
        for (QChar& Character : Outcome)
            if (Character.category() == QChar::Other_Control)
                Character = QLatin1Char(' ');
    }
    return QStringLiteral("%1\t%2\t+%3 -%4%5")
        .arg(Caption, Outcome)
        .arg(Added)
        .arg(Removed)
        .arg(AlreadyRunning ? QStringLiteral("\tpobieranie już trwało") : QString());
}
