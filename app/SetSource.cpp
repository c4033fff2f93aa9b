// tickerwell --set-source N: the lines of one of the five in dane.txt, or a source of one's own in
// zrodla.ini, and the rules of either.
#include "Commands.h"
#include "Configuration.h"
#include "ConfigurationWriter.h"
#include "PageCharset.h"
#include "RuleOptions.h"
#include "SourceOptions.h"
#include "Windows1250.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace {
constexpr std::array<std::string_view, 3> LineOptions{"address", "start", "end"};
const QStringList OwnOptions{QStringLiteral("caption"), QStringLiteral("on"), QStringLiteral("off")};

int Refuse(const std::string& Message)
{
    return UsageError(QString::fromStdString(Message));
}

QString OptionName(std::string_view Name)
{
    return QString::fromLatin1(Name.data(), static_cast<qsizetype>(Name.size()));
}

bool HasLineOptions(const QCommandLineParser& Parser)
{
    return std::any_of(LineOptions.begin(), LineOptions.end(),
                       [&](std::string_view Name) { return Parser.isSet(OptionName(Name)); });
}

// Source's lines of dane.txt with the texts given, in Windows-1250; 0, or the status of the usage
// error printed.
int ReadLines(const QCommandLineParser& Parser, int Source, TSourceLines& Lines)
{
    // The source's other lines stay as the file has them.
    TSourceValues Five;
    try {
        ReadSourceValues(ConfigurationFileName, Five);
    } catch (const EInOutError&) {
        // A missing file starts empty; any other reason the writer meets again and tells.
    }
    const auto& [Address, StartMarker, EndMarker] = Five[Source];
    Lines = {Address, StartMarker, EndMarker};
    std::string* Targets[] = {&Lines.Address, &Lines.StartMarker, &Lines.EndMarker};
    for (std::size_t Option = 0; Option < LineOptions.size(); ++Option) {
        const QString Name = OptionName(LineOptions[Option]);
        if (!Parser.isSet(Name))
            continue;
        const std::optional<std::string> Text = ArgumentUtf8(Parser.value(Name));
        if (!Text)
            return NoTextError(QStringLiteral("--") + Name);
        std::string Missing;
        const std::optional<std::string> Bytes = Recode(*Text, "UTF-8", "WINDOWS-1250", &Missing);
        if (!Bytes)
            return Refuse("--" + Name.toStdString() + ": znak „" + Missing +
                          "” nie ma postaci w Windows-1250, kodowaniu pliku dane.txt");
        if (const std::string Refusal = LineRefusal(*Bytes); !Refusal.empty())
            return Refuse("--" + Name.toStdString() + ": wartość " + Refusal);
        *Targets[Option] = *Bytes;
    }
    return 0;
}

// One of the five: its lines of dane.txt, written only when given, and its rules in zrodla.ini.
int SetFive(const QCommandLineParser& Parser, int Source)
{
    TSourceLines Lines;
    if (HasLineOptions(Parser))
        if (const int Status = ReadLines(Parser, Source, Lines))
            return Status;
    const auto SaveLines = [&] {
        if (!HasLineOptions(Parser))
            return 0;
        TSourceChanges Changes;
        Changes[Source] = Lines;
        try {
            SaveSources(ConfigurationFileName, Changes);
        } catch (const EConfigurationWrite& Error) {
            return CommandError(1, QString::fromStdString(Error.what()));
        }
        return 0;
    };
    if (!HasRuleOptions(Parser))
        return SaveLines();
    // The rules are checked before either file is written.
    return OnSourcesFile([&](TSourcesFile& File) {
        if (const int Status = ReadRuleOptions(Parser, File, Source + 1))
            return Status;
        if (const int Status = SaveLines())
            return Status;
        SaveSourcesFile(OwnSourcesFileName, File);
        return 0;
    });
}

int SetOwn(const QCommandLineParser& Parser, int Id)
{
    return OnSourcesFile([&](TSourcesFile& File) {
        std::optional<TOwnSource> Source = File.Source(Id);
        if (!Source)
            return UsageError(QStringLiteral("nie ma źródła %1").arg(Id));
        if (const int Status = ReadSourceOptions(Parser, *Source))
            return Status;
        File.Update(*Source);
        if (const int Status = ReadRuleOptions(Parser, File, Id))
            return Status;
        SaveSourcesFile(OwnSourcesFileName, File);
        return 0;
    });
}
} // namespace

int RunSetSource(const QCommandLineParser& Parser)
{
    if (!Parser.positionalArguments().isEmpty())
        return Refuse("nieznany argument „" + ArgumentText(Parser.positionalArguments()[0]).toStdString() +
                      "”");
    const int Id = SourceIdArgument(Parser.value(QStringLiteral("set-source")));
    if (Id == 0)
        return Refuse("N to numer źródła: od 1 do " + std::to_string(SourceCount) +
                      " w kolejności kart albo id własnego źródła z listy --sources");
    const bool OwnOptionGiven = std::any_of(OwnOptions.begin(), OwnOptions.end(),
                                            [&](const QString& Name) { return Parser.isSet(Name); });
    if (!HasLineOptions(Parser) && !OwnOptionGiven && !HasRuleOptions(Parser))
        return Refuse("podaj co najmniej jedno z: --address, --start, --end, --caption, --on, --off, "
                      "--ignore, --trigger, --new-only");
    if (Id >= FirstOwnId)
        return SetOwn(Parser, Id);
    if (OwnOptionGiven)
        return Refuse("--caption, --on i --off są tylko dla własnych źródeł");
    return SetFive(Parser, Id - 1);
}
