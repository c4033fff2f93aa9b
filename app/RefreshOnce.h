// RunRefreshOnce: one refresh without a window, for cron and timers. It reads dane.txt in the working
// directory as a refresh does, runs the rounds of every source or of the sources named, writes the
// page files to the page folder, stores the versions in its history, prints one line per source and
// tells the notification channels.
#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

struct TRoundResult;

// The sources named by their numbers (1-5, in tab order) as source indexes in tab order, each once;
// every source when Numbers is empty; nullopt when one is no such number.
std::optional<std::vector<int>> RefreshSources(const QStringList& Numbers);

// The line of one source's round, without its line end, in UTF-8:
// "caption<TAB>zmieniono|bez zmian|błąd: <reason><TAB>+A -R", A and R the passages added and removed.
std::string RoundLine(const TRoundResult& Result);
// 0 when every round downloaded and saved its page, 1 when any failed.
int RoundsStatus(const std::vector<TRoundResult>& Results);

// Runs the rounds of Sources and prints their lines on standard output, in UTF-8 whatever the locale,
// so that scripts read the same bytes everywhere, then sends the changes with new passages through the
// notification channels (a failed send is named on standard error). Returns RoundsStatus, or 2 when dane.txt
// cannot be read (the reason then goes to standard error).
int RunRefreshOnce(const std::vector<int>& Sources);
