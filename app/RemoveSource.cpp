// tickerwell --remove-source ID.
#include "Commands.h"
#include "PageFolder.h"
#include "SourceOptions.h"
#include "SourceTable.h"

#include <QCoreApplication>
#include <QFile>

namespace {
// The page file of a removed source goes; its history stays until the history's keeping time ends.
void RemovePageFile(int Id)
{
    QFile Page(PageFolder(QCoreApplication::applicationDirPath()) + QLatin1Char('/') +
               QString::fromStdString(OwnPageFileName(Id)));
    if (Page.exists() && !Page.remove())
        Print(
            stderr,
            QStringLiteral("tickerwell: nie można usunąć %1: %2\n").arg(Page.fileName(), Page.errorString()));
}
} // namespace

int RunRemoveSource(const QCommandLineParser& Parser)
{
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("--remove-source takes one ID."));
    const int Id = SourceIdArgument(Parser.value(QStringLiteral("remove-source")));
    if (Id == 0)
        return UsageError(QStringLiteral("--remove-source: ID to numer źródła z listy --sources"));
    if (Id < FirstOwnId)
        return UsageError(QStringLiteral("źródeł od 1 do %1 nie można usunąć").arg(SourceCount));
    return OnSourcesFile([Id](TSourcesFile& File) {
        if (!File.Remove(Id))
            return CommandError(1, QStringLiteral("nie ma źródła %1").arg(Id));
        SaveSourcesFile(OwnSourcesFileName, File);
        RemovePageFile(Id);
        return 0;
    });
}
