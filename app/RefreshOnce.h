// RunRefreshOnce: one refresh without a window, for cron and timers. It reads dane.txt in the working
// directory as a refresh does, runs the rounds of every source or of the sources named, writes the
// page files to the page folder, stores the versions in its history, prints one line per source and
// tells the notification channels.
#pragma once

#include "OwnSources.h"

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

struct TRoundResult;

// The sources named by their ids (1-5 in tab order, then one's own in Own) as source indexes in order,
// each once; the five and one's own that are on when Numbers is empty; nullopt when one is no such id.
std::optional<std::vector<int>> RefreshSources(const QStringList& Numbers, const TSourcesFile& Own);

// The working directory's sources file; a broken one is named on standard error and holds none, so
// that the five still refresh.
TSourcesFile ReadOwnSources();

// The line of one source's round, without its line end, in UTF-8:
// "caption<TAB>zmieniono|bez zmian|błąd: <reason><TAB>+A -R", A and R the passages added and removed.
std::string RoundLine(const TRoundResult& Result, const TSourcesFile& Own);
// 0 when every round downloaded and saved its page, 1 when any failed.
int RoundsStatus(const std::vector<TRoundResult>& Results);

// Runs the rounds of Sources and prints their lines on standard output, in UTF-8 whatever the locale,
// so that scripts read the same bytes everywhere, then sends the changes with new passages through the
// notification channels (a failed send is named on standard error). Returns RoundsStatus, or 2 when dane.txt
// cannot be read (the reason then goes to standard error).
int RunRefreshOnce(const std::vector<int>& Sources, const TSourcesFile& Own);
