// tickerwell --add-source.
#include "Commands.h"
#include "RuleOptions.h"
#include "SourceOptions.h"

int RunAddSource(const QCommandLineParser& Parser)
{
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("--add-source takes no arguments."));
    if (!Parser.isSet(QStringLiteral("caption")) || !Parser.isSet(QStringLiteral("address")))
        return UsageError(QStringLiteral("--add-source wymaga --caption i --address"));
    TOwnSource Source;
    if (const int Status = ReadSourceOptions(Parser, Source))
        return Status;
    return OnSourcesFile([&](TSourcesFile& File) {
        Source.Id = File.Add(Source);
        if (const int Status = ReadRuleOptions(Parser, File, Source.Id))
            return Status;
        SaveSourcesFile(OwnSourcesFileName, File);
        Print(stdout, QStringLiteral("%1\n").arg(Source.Id));
        return 0;
    });
}
