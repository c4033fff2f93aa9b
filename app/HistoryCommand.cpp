// tickerwell --history [N].
#include "Commands.h"
#include "HistoryList.h"
#include "HistoryStore.h"
#include "PageFolder.h"

#include <QCoreApplication>

int RunHistoryCommand(const QCommandLineParser& Parser)
{
    const QStringList Numbers = Parser.positionalArguments();
    bool Number = Numbers.size() == 1;
    const int Source = Number ? Numbers[0].toInt(&Number) : 0;
    if (Numbers.size() > 1 || (Numbers.size() == 1 && (!Number || Source < 1 || Source > SourceCount)))
        return UsageError(QStringLiteral("--history takes one source number from 1 to %1.").arg(SourceCount));
    // The window keeps its versions under its page folder, so that is the key here too.
    return RunHistoryList(THistoryStore::DefaultPath(),
                          PageFolder(QCoreApplication::applicationDirPath()) + QLatin1Char('/'),
                          Numbers.isEmpty() ? -1 : Source - 1, stdout, stderr);
}
