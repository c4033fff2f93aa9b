// tickerwell --feed.
#include "Commands.h"
#include "Feed.h"
#include "HistoryStore.h"

int RunFeedCommand(const QCommandLineParser& Parser)
{
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("--feed takes no arguments."));
    return RunFeed(THistoryStore::DefaultPath(), stdout, stderr);
}
