// tickerwell --check [FILE].
#include "Commands.h"
#include "ConfigCheck.h"
#include "Configuration.h"

int RunCheckCommand(const QCommandLineParser& Parser)
{
    const QStringList Files = Parser.positionalArguments();
    if (Files.size() > 1)
        return UsageError(QStringLiteral("--check takes one FILE, not %1.").arg(Files.size()));
    return RunConfigCheck(Files.isEmpty() ? std::string(ConfigurationFileName) : ArgumentBytes(Files[0]));
}
