// TRefreshReply: what a refresh of the sources tells a shell, one line per source and an exit
// status; handed from a running window to `tickerwell --refresh-once` over the single-copy socket.
#pragma once

#include <QString>
#include <QStringList>

struct TRefreshReply
{
    QStringList Lines; // one per source, in tab order
    QString Error;     // why there are no lines (dane.txt unreadable, no answer); empty when there are
    int ExitCode = 0;  // 0 every source downloaded, 1 one failed or no answer came, 2 dane.txt unreadable
};

// The line of one source: "caption<TAB>zmieniono|bez zmian|błąd: <Failure><TAB>+Added -Removed",
// with "<TAB>pobieranie już trwało" when the download had started before the refresh was asked for.
QString RefreshLine(int Source, const QString& Failure, bool Changed, int Added, int Removed,
                    bool AlreadyRunning = false);
