// The lines of a refresh for the shell.
#include "RefreshReply.h"

#include "SourceCaptions.h"

QString RefreshLine(int Source, const QString& Failure, bool Changed, int Added, int Removed,
                    bool AlreadyRunning)
{
    const QString Outcome = !Failure.isEmpty() ? QStringLiteral("błąd: ") + Failure
                            : Changed          ? QStringLiteral("zmieniono")
                                               : QStringLiteral("bez zmian");
    return QStringLiteral("%1\t%2\t+%3 -%4%5")
        .arg(QString::fromUtf8(SourceCaption(Source)), Outcome)
        .arg(Added)
        .arg(Removed)
        .arg(AlreadyRunning ? QStringLiteral("\tpobieranie już trwało") : QString());
}
