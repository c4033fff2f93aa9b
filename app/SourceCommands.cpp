// The commands that list, add, change and remove sources of one's own.
#include "SourceCommands.h"

#include "AtomicFile.h"
#include "Configuration.h"
#include "OwnSources.h"
#include "PageCharset.h"
#include "PageFolder.h"
#include "Windows1250.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <langinfo.h>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace {
constexpr std::string_view SourceUsage =
    "tickerwell --sources\n"
    "       tickerwell --add-source --caption TEXT --address URL [--start TEXT] "
    "[--end TEXT] [--off]\n"
    "       tickerwell --remove-source ID\n"
    "       tickerwell --set-source ID [--caption TEXT] [--address URL] "
    "[--start TEXT] [--end TEXT] [--on|--off]";
constexpr std::string_view SourceCommandNames[] = {"--sources", "--add-source", "--remove-source",
                                                   "--set-source"};
constexpr std::string_view SourceValueOptions[] = {"--remove-source", "--set-source", "--caption",
                                                   "--address",       "--start",      "--end"};
constexpr std::string_view SourceFlags[] = {"--sources", "--add-source", "--on", "--off"};

// The options given: each name with its value, empty for a flag.
using TOptions = std::map<std::string, std::string, std::less<>>;

struct ERefusal
{
    std::string Message;
};

bool Listed(std::string_view Name, const auto& Names)
{
    return std::find(std::begin(Names), std::end(Names), Name) != std::end(Names);
}

void Say(std::FILE* Stream, const std::string& Text)
{
    std::fputs(Utf8ToLocale(Text).c_str(), Stream);
}

int RefuseCommand(const std::string& Message, bool WithUsage = true)
{
    Say(stderr,
        "tickerwell: " + Message + "\n" + (WithUsage ? "Użycie: " + std::string(SourceUsage) + "\n" : ""));
    return 2;
}

// A number from 1 up, else 0.
int SourceIdOf(std::string_view Text)
{
    int Value = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    return Error == std::errc() && End == Text.data() + Text.size() && Value > 0 ? Value : 0;
}

TOptions ParseOptions(int argc, char** argv)
{
    TOptions Options;
    for (int I = 1; I < argc; ++I) {
        const std::string_view Argument = argv[I];
        const std::size_t Equals = Argument.find('=');
        const std::string Name(Argument.substr(0, Equals));
        std::string Value;
        if (Listed(Name, SourceValueOptions)) {
            if (Equals != std::string_view::npos)
                Value = Argument.substr(Equals + 1);
            else if (I + 1 < argc)
                Value = argv[++I];
            else
                throw ERefusal{Name + " wymaga wartości"};
        } else if (!Listed(Argument, SourceFlags))
            throw ERefusal{"nieznany argument „" + std::string(Argument) + "”"};
        if (!Options.emplace(Name, Value).second)
            throw ERefusal{Name + " podano dwa razy"};
    }
    if (std::count_if(std::begin(SourceCommandNames), std::end(SourceCommandNames),
                      [&](std::string_view Command) { return Options.contains(Command); }) != 1)
        throw ERefusal{"podaj jedno z: --sources, --add-source, --remove-source, --set-source"};
    if (Options.contains("--on") && Options.contains("--off"))
        throw ERefusal{"--on i --off wykluczają się"};
    return Options;
}

// Option Name's value in UTF-8, from the locale's encoding.
std::optional<std::string> OptionText(const TOptions& Options, std::string_view Name)
{
    const auto Found = Options.find(Name);
    if (Found == Options.end())
        return std::nullopt;
    std::optional<std::string> Utf8 = Recode(Found->second, nl_langinfo(CODESET), "UTF-8");
    if (!Utf8)
        throw ERefusal{std::string(Name) + ": nie jest tekstem w kodowaniu terminala"};
    return Utf8;
}

// Refuses options that do not go with Command.
void OnlyWith(const TOptions& Options, const std::string& Command,
              std::initializer_list<std::string_view> Others)
{
    for (const auto& [Name, Value] : Options)
        if (Name != Command && !Listed(Name, Others))
            throw ERefusal{Name + " nie pasuje do " + Command};
}

int ListSources(const TSourcesFile& File)
{
    std::array<std::string, SourceCount> Addresses;
    try {
        Addresses = LoadConfiguration(ConfigurationFileName, [](int, TConfigField, const std::string&) {});
    } catch (const EInOutError&) {
        // Without dane.txt the five have no address, as in the window.
    }
    std::string Lines;
    for (int Source = 0; Source < SourceCount; ++Source)
        Lines += std::to_string(Source + 1) + "\t" + std::string(SourceTable[Source].Caption) + "\t" +
                 Windows1250ToUtf8(Addresses[Source]) + "\ton\n";
    for (const TOwnSource& Own : File.Sources())
        Lines += std::to_string(Own.Id) + "\t" + Own.Caption + "\t" + Own.Address + "\t" +
                 (Own.On ? "on" : "off") + "\n";
    Say(stdout, Lines);
    return 0;
}

// The page file of a removed source goes; its history stays until the history's keeping time ends.
void RemovePageFile(int SourceId)
{
    const QString Folder = PageFolder(QCoreApplication::applicationDirPath());
    const std::filesystem::path Page =
        std::filesystem::path(QFile::encodeName(Folder).toStdString()) / OwnPageFileName(SourceId);
    std::error_code Error;
    if (!std::filesystem::remove(Page, Error) && Error)
        Say(stderr, "tickerwell: nie można usunąć " + Page.string() + ": " + Error.message() + "\n");
}

int RunOn(const TOptions& Options, TSourcesFile& File)
{
    if (Options.contains("--sources")) {
        OnlyWith(Options, "--sources", {});
        return ListSources(File);
    }
    if (Options.contains("--remove-source")) {
        OnlyWith(Options, "--remove-source", {});
        const int SourceId = SourceIdOf(Options.at("--remove-source"));
        if (SourceId == 0)
            throw ERefusal{"--remove-source: ID to numer źródła z listy --sources"};
        if (SourceId < FirstOwnId)
            return RefuseCommand("źródeł od 1 do " + std::to_string(SourceCount) + " nie można usunąć",
                                 false);
        if (!File.Remove(SourceId)) {
            Say(stderr, "tickerwell: nie ma źródła " + std::to_string(SourceId) + "\n");
            return 1;
        }
        SaveSourcesFile(OwnSourcesFileName, File);
        RemovePageFile(SourceId);
        return 0;
    }
    TOwnSource Source;
    const bool Adding = Options.contains("--add-source");
    if (Adding) {
        OnlyWith(Options, "--add-source", {"--caption", "--address", "--start", "--end", "--on", "--off"});
        if (!Options.contains("--caption") || !Options.contains("--address"))
            throw ERefusal{"--add-source wymaga --caption i --address"};
    } else {
        OnlyWith(Options, "--set-source", {"--caption", "--address", "--start", "--end", "--on", "--off"});
        if (Options.size() == 1)
            throw ERefusal{"podaj co najmniej jedno z: --caption, --address, --start, --end, --on, --off"};
        const int SourceId = SourceIdOf(Options.at("--set-source"));
        const std::optional<TOwnSource> Old = File.Source(SourceId);
        if (!Old)
            return RefuseCommand("nie ma źródła " + Options.at("--set-source"), false);
        Source = *Old;
    }
    for (const auto& [Name, Field] :
         {std::pair{"--caption", &Source.Caption}, std::pair{"--address", &Source.Address},
          std::pair{"--start", &Source.StartText}, std::pair{"--end", &Source.EndText}})
        if (const std::optional<std::string> Value = OptionText(Options, Name))
            *Field = *Value;
    Source.On = Options.contains("--off") ? false : Options.contains("--on") ? true : Source.On;
    try {
        if (Adding)
            Source.Id = File.Add(Source);
        else
            File.Update(Source);
    } catch (const ESourcesFile& Refused) {
        return RefuseCommand(Refused.what(), false);
    }
    SaveSourcesFile(OwnSourcesFileName, File);
    if (Adding)
        Say(stdout, std::to_string(Source.Id) + "\n");
    return 0;
}
} // namespace

bool AsksForSourceCommand(int argc, char** argv)
{
    for (int I = 1; I < argc; ++I) {
        const std::string_view Argument = argv[I];
        const std::string_view Name = Argument.substr(0, Argument.find('='));
        if (Listed(Name, SourceCommandNames) && Name != "--set-source")
            return true;
        if (Name == "--set-source") {
            const std::string_view Value = Name.size() < Argument.size() ? Argument.substr(Name.size() + 1)
                                           : I + 1 < argc                ? std::string_view(argv[I + 1])
                                                                         : std::string_view();
            return SourceIdOf(Value) >= FirstOwnId;
        }
    }
    return false;
}

int RunSourceCommand(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    TOptions Options;
    try {
        Options = ParseOptions(argc, argv);
    } catch (const ERefusal& Refusal) {
        return RefuseCommand(Refusal.Message);
    }
    // The application object only tells where the program is, for the page folder.
    QCoreApplication Application(argc, argv);
    try {
        TSourcesFile File = LoadSourcesFile(OwnSourcesFileName);
        return RunOn(Options, File);
    } catch (const ESourcesFile& Broken) {
        return RefuseCommand(Broken.what(), false);
    } catch (const ERefusal& Refusal) {
        return RefuseCommand(Refusal.Message);
    } catch (const EFileWrite& Error) {
        Say(stderr, std::string("tickerwell: ") + Error.what() + "\n");
        return 1;
    }
}
