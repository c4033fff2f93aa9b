// tickerwell --history [N].
#include "Commands.h"
#include "HistoryList.h"
#include "HistoryStore.h"
#include "PageFolder.h"
#include "SourceTable.h"

#include <QCoreApplication>

int RunHistoryCommand(const QCommandLineParser& Parser)
{
    const QStringList Numbers = Parser.positionalArguments();
    // Any id: a removed source of one's own keeps its versions until they expire.
    const int Source = Numbers.size() == 1 ? SourceIdArgument(Numbers[0]) : 0;
    if (Numbers.size() > 1 || (Numbers.size() == 1 && Source < 1))
        return UsageError(QStringLiteral("--history takes one source number from 1 to %1, or an id of one's "
                                         "own source.")
                              .arg(SourceCount));
    // The window keeps its versions under its page folder, so that is the key here too.
    return RunHistoryList(THistoryStore::DefaultPath(),
                          PageFolder(QCoreApplication::applicationDirPath()) + QLatin1Char('/'),
                          Numbers.isEmpty() ? -1 : Source - 1, stdout, stderr);
}
