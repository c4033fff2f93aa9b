// tickerwell --sources.
#include "Commands.h"
#include "Configuration.h"
#include "SourceOptions.h"
#include "SourceRules.h"
#include "Windows1250.h"

#include <array>

namespace {
// The rules as further fields. A control character would break the line: it is shown as \xHH,
// which an expression reads as the same character.
QString RuleFields(const TSourceRules& Rules)
{
    QString Fields;
    const auto Add = [&Fields](QLatin1String Key, const QString& Value) {
        Fields += QLatin1Char('\t') + Key + QLatin1Char('=');
        for (const QChar Character : Value)
            Fields += Character.unicode() < 0x20 || Character.unicode() == 0x7F
                          ? QStringLiteral("\\x%1").arg(Character.unicode(), 2, 16, QLatin1Char('0'))
                          : QString(Character);
    };
    for (const QString& Pattern : Rules.Ignore)
        Add(QLatin1String("ignore"), Pattern);
    for (const QString& Word : Rules.Trigger)
        Add(QLatin1String("trigger"), Word);
    if (!Rules.NewOnly)
        Fields += QStringLiteral("\tnew-only=off");
    return Fields;
}

QString Line(int Id, std::string_view Caption, const std::string& Address, bool On, const QString& Rules)
{
    return QStringLiteral("%1\t%2\t%3\t%4%5\n")
        .arg(QString::number(Id), QString::fromUtf8(Caption.data(), static_cast<qsizetype>(Caption.size())),
             QString::fromStdString(Address), On ? QStringLiteral("on") : QStringLiteral("off"), Rules);
}
} // namespace

int RunSourcesCommand(const QCommandLineParser& Parser)
{
    if (!Parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("--sources takes no arguments."));
    return OnSourcesFile([](TSourcesFile& File) {
        std::array<std::string, SourceCount> Addresses;
        try {
            Addresses =
                LoadConfiguration(ConfigurationFileName, [](int, TConfigField, const std::string&) {});
        } catch (const EInOutError&) {
            // Without dane.txt the five have no address, as in the window.
        }
        QString Lines;
        for (int Source = 0; Source < SourceCount; ++Source)
            Lines += Line(Source + 1, SourceTable[Source].Caption, Windows1250ToUtf8(Addresses[Source]), true,
                          RuleFields(RulesOf(File, Source + 1)));
        for (const TOwnSource& Own : File.Sources())
            Lines += Line(Own.Id, Own.Caption, Own.Address, Own.On, RuleFields(RulesOf(File, Own.Id)));
        Print(stdout, Lines);
        return 0;
    });
}
