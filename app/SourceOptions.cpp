// The sources file around a command's change, and a source's fields from the options.
#include "SourceOptions.h"

#include "AtomicFile.h"

#include <utility>

int OnSourcesFile(const std::function<int(TSourcesFile& File)>& Change)
{
    try {
        TSourcesFile File = LoadSourcesFile(OwnSourcesFileName);
        return Change(File);
    } catch (const ESourcesFile& Refused) {
        return CommandError(UsageStatus, QString::fromStdString(Refused.what()));
    } catch (const EFileWrite& Error) {
        return CommandError(1, QString::fromStdString(Error.what()));
    }
}

int ReadSourceOptions(const QCommandLineParser& Parser, TOwnSource& Source)
{
    if (Parser.isSet(QStringLiteral("on")) && Parser.isSet(QStringLiteral("off")))
        return UsageError(QStringLiteral("--on i --off wykluczają się"));
    for (const auto& [Name, Field] : {std::pair{QStringLiteral("caption"), &Source.Caption},
                                      std::pair{QStringLiteral("address"), &Source.Address},
                                      std::pair{QStringLiteral("start"), &Source.StartText},
                                      std::pair{QStringLiteral("end"), &Source.EndText}}) {
        if (!Parser.isSet(Name))
            continue;
        const std::optional<std::string> Text = ArgumentUtf8(Parser.value(Name));
        if (!Text)
            return NoTextError(QStringLiteral("--") + Name);
        *Field = *Text;
    }
    if (Parser.isSet(QStringLiteral("on")) || Parser.isSet(QStringLiteral("off")))
        Source.On = Parser.isSet(QStringLiteral("on"));
    return 0;
}
