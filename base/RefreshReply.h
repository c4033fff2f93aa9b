// TRefreshReply: what a refresh of the sources tells a shell, one line per source and an exit
// status; handed from a running window to `tickerwell --refresh-once` over the single-copy socket.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct TRefreshReply
{
    QStringList Lines; // one per source, in tab order
    QString Error;     // why there are no lines (dane.txt unreadable, no answer); empty when there are
    int ExitCode = 0;  // 0 every source downloaded, 1 one failed or no answer came, 2 dane.txt unreadable
};

// The line of one source: "Caption<TAB>zmieniono|bez zmian|błąd: <Failure><TAB>+Added -Removed",
// with "<TAB>pobieranie już trwało" when the download had started before the refresh was asked for.
// Failure is set when the round failed: an empty reason reads "błąd pobierania", and any control
// character in it becomes a space, so that the line stays one.
QString RefreshLine(const QString& Caption, const std::optional<QString>& Failure, bool Changed, int Added,
                    int Removed, bool AlreadyRunning = false);
