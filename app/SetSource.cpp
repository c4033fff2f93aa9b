// The command that sets one source's lines of dane.txt.
#include "Commands.h"
#include "Configuration.h"
#include "ConfigurationWriter.h"
#include "PageCharset.h"
#include "Windows1250.h"

#include <array>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <langinfo.h>
#include <optional>
#include <string>
#include <string_view>

namespace {
constexpr std::array<std::string_view, 3> ValueOptions{"address", "start", "end"};

int Refuse(const std::string& Message)
{
    return UsageError(QString::fromStdString(Message));
}
} // namespace

int RunSetSource(const QCommandLineParser& Parser)
{
    std::setlocale(LC_ALL, "");
    if (!Parser.positionalArguments().isEmpty())
        return Refuse("nieznany argument „" + ArgumentText(Parser.positionalArguments()[0]).toStdString() +
                      "”");
    const auto Value = [&Parser](std::string_view Name) -> std::optional<std::string> {
        const QStringList Given = Parser.values(QString::fromLatin1(Name.data(), Name.size()));
        return Given.isEmpty() ? std::nullopt : std::optional(ArgumentBytes(Given.last()));
    };
    for (const QString& Name : Parser.optionNames())
        if (Parser.optionNames().count(Name) > 1)
            return Refuse("--" + Name.toStdString() + " podano dwa razy");
    const std::optional<std::string> Number = Value("set-source");
    std::array<std::optional<std::string>, ValueOptions.size()> Values;
    for (std::size_t Option = 0; Option < ValueOptions.size(); ++Option)
        Values[Option] = Value(ValueOptions[Option]);
    if (!Number || Number->size() != 1 || (*Number)[0] < '1' || (*Number)[0] > '0' + SourceCount)
        return Refuse("N to numer źródła od 1 do " + std::to_string(SourceCount) + ", w kolejności kart");
    if (!Values[0] && !Values[1] && !Values[2])
        return Refuse("podaj co najmniej jedno z: --address, --start, --end");
    const int Source = (*Number)[0] - '1';

    // The source's other lines stay as the file has them.
    TSourceLines Lines;
    try {
        LoadConfiguration(ConfigurationFileName,
                          [&](int Index, TConfigField Field, const std::string& Value) {
                              if (Index == Source)
                                  (Field == TConfigField::Address       ? Lines.Address
                                   : Field == TConfigField::StartMarker ? Lines.StartMarker
                                                                        : Lines.EndMarker) = Value;
                          });
    } catch (const EInOutError&) {
        // A missing file starts empty; any other reason the writer meets again and tells.
    }
    // The C locale (cron, systemd, ssh) says ASCII, yet the arguments it gets are UTF-8 in practice.
    std::string Charset = nl_langinfo(CODESET);
    if (Charset == "ANSI_X3.4-1968")
        Charset = "UTF-8";
    std::string* Targets[] = {&Lines.Address, &Lines.StartMarker, &Lines.EndMarker};
    for (std::size_t Option = 0; Option < ValueOptions.size(); ++Option) {
        if (!Values[Option])
            continue;
        std::string Missing;
        const std::optional<std::string> Text = Recode(*Values[Option], Charset, "UTF-8", &Missing);
        if (!Text)
            return Refuse("--" + std::string(ValueOptions[Option]) + ": wartość nie jest tekstem w kodowaniu " +
                          Charset + " (ustawienia regionalne „" + std::setlocale(LC_CTYPE, nullptr) + "”)");
        const std::optional<std::string> Bytes = Recode(*Text, "UTF-8", "WINDOWS-1250", &Missing);
        if (!Bytes)
            return Refuse("--" + std::string(ValueOptions[Option]) + ": znak „" + Missing +
                          "” nie ma postaci w Windows-1250, kodowaniu pliku dane.txt");
        if (const std::string Refusal = LineRefusal(*Bytes); !Refusal.empty())
            return Refuse("--" + std::string(ValueOptions[Option]) + ": wartość " + Refusal);
        *Targets[Option] = *Bytes;
    }
    TSourceChanges Changes;
    Changes[Source] = Lines;
    try {
        SaveSources(ConfigurationFileName, Changes);
    } catch (const EConfigurationWrite& Error) {
        std::fputs(Utf8ToLocale(std::string("tickerwell: ") + Error.what() + "\n").c_str(), stderr);
        return 1;
    }
    return 0;
}
