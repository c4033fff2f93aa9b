// The command that sets one source's lines of dane.txt.
#include "SetSource.h"

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
constexpr std::string_view Usage = "tickerwell --set-source N [--address URL] [--start TEXT] [--end TEXT]";
constexpr std::array<std::string_view, 3> ValueOptions{"--address", "--start", "--end"};

int Refuse(const std::string& Message)
{
    std::fputs(Utf8ToLocale("tickerwell: " + Message + "\nUżycie: " + std::string(Usage) + "\n").c_str(),
               stderr);
    return 2;
}
} // namespace

bool AsksForSetSource(int argc, char** argv)
{
    for (int I = 1; I < argc; ++I)
        if (std::string_view(argv[I]) == "--set-source" ||
            std::string_view(argv[I]).starts_with("--set-source="))
            return true;
    return false;
}

int RunSetSource(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    std::optional<std::string> Number;
    std::array<std::optional<std::string>, ValueOptions.size()> Values;
    for (int I = 1; I < argc; ++I) {
        const std::string_view Argument = argv[I];
        const std::size_t Equals = Argument.find('=');
        const std::string_view Name = Argument.substr(0, Equals);
        std::optional<std::string> Value;
        if (Equals != std::string_view::npos)
            Value = std::string(Argument.substr(Equals + 1));
        else if (I + 1 < argc)
            Value = argv[++I];
        std::optional<std::string>* Slot = nullptr;
        if (Name == "--set-source")
            Slot = &Number;
        for (std::size_t Option = 0; Option < ValueOptions.size(); ++Option)
            if (Name == ValueOptions[Option])
                Slot = &Values[Option];
        if (!Slot)
            return Refuse("nieznany argument „" + std::string(Argument) + "”");
        if (!Value)
            return Refuse(std::string(Name) + " wymaga wartości");
        if (*Slot)
            return Refuse(std::string(Name) + " podano dwa razy");
        *Slot = Value;
    }
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
            return Refuse(std::string(ValueOptions[Option]) + ": wartość nie jest tekstem w kodowaniu " +
                          Charset + " (ustawienia regionalne „" + std::setlocale(LC_CTYPE, nullptr) + "”)");
        const std::optional<std::string> Bytes = Recode(*Text, "UTF-8", "WINDOWS-1250", &Missing);
        if (!Bytes)
            return Refuse(std::string(ValueOptions[Option]) + ": znak „" + Missing +
                          "” nie ma postaci w Windows-1250, kodowaniu pliku dane.txt");
        if (const std::string Refusal = LineRefusal(*Bytes); !Refusal.empty())
            return Refuse(std::string(ValueOptions[Option]) + ": wartość " + Refusal);
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
