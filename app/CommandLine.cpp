// The command-line options and their short errors.
#include "CommandLine.h"

#include "ConfigCheck.h"
#include "Configuration.h"
#include "HistoryList.h"
#include "HistoryStore.h"
#include "RefreshOnce.h"
#include "Windows1250.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

namespace {
const QCommandLineOption CheckOption(QStringLiteral("check"),
                                     QStringLiteral("Check the configuration FILE (default: dane.txt in the "
                                                    "working directory): download every source and look for "
                                                    "its markers, without a window."));

const QCommandLineOption
    HistoryOption(QStringLiteral("history"),
                  QStringLiteral("List the stored versions of every source, or of source N "
                                 "(1-5, in tab order), newest first, without a window."));

const QCommandLineOption RefreshOnceOption(
    QStringLiteral("refresh-once"),
    QStringLiteral("Refresh every source, or sources N ... (1-5, in tab order), once without "
                   "a window: read dane.txt in the working directory, write the page files "
                   "and the history, and print one line per source."));

void SetUp(QCommandLineParser& Parser)
{
    Parser.setApplicationDescription(
        QStringLiteral("Tickerwell: Polish stock-market and futures commentary, kept up to date. "
                       "Without options it opens its window."));
    Parser.addHelpOption();
    Parser.addVersionOption();
    Parser.addOption(CheckOption);
    Parser.addOption(HistoryOption);
    Parser.addOption(RefreshOnceOption);
    Parser.addOption({QStringLiteral("set-source"),
                      QStringLiteral("Write source N's lines (1-5, in tab order) of dane.txt in the working "
                                     "directory: --address URL, --start TEXT, --end TEXT."),
                      QStringLiteral("N")});
    Parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The configuration file for --check."),
                                 QStringLiteral("[FILE]"));
    Parser.addPositionalArgument(QStringLiteral("N"),
                                 QStringLiteral("The source for --history, the sources for --refresh-once."),
                                 QStringLiteral("[N ...]"));
}

// The toolkit's own options, which QApplication takes out of the command line: flags, and options
// that take a value (as "-style fusion" or "-style=fusion").
constexpr std::array<std::string_view, 6> ToolkitFlags{"reverse", "widgetcount", "nograb",
                                                       "dograb",  "sync",        "testability"};
constexpr std::array<std::string_view, 14> ToolkitValueOptions{
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry",
    "qwindowicon", "qwindowtitle",       "title",         "session", "display",         "name",
    "style",       "stylesheet"};

bool IsOneOf(std::string_view Name, const auto& Names)
{
    return std::find(Names.begin(), Names.end(), Name) != Names.end();
}

// The arguments without the toolkit's own options, so that the options left are the program's.
QStringList OwnArguments(int argc, char** argv)
{
    QStringList Own;
    for (int I = 0; I < argc; ++I) {
        std::string_view Name = argv[I];
        if (I > 0 && Name.size() > 1 && Name.starts_with('-') && Name != "--") {
            Name.remove_prefix(Name.starts_with("--") ? 2 : 1);
            const std::size_t Equals = Name.find('=');
            if (IsOneOf(Name.substr(0, Equals), ToolkitValueOptions)) {
                I += Equals == std::string_view::npos ? 1 : 0;
                continue;
            }
            if (IsOneOf(Name, ToolkitFlags))
                continue;
        }
        Own << QString::fromLocal8Bit(argv[I]);
    }
    return Own;
}

void Print(std::FILE* Stream, const QString& Text)
{
    std::fputs(Utf8ToLocale(Text.toStdString()).c_str(), Stream);
}

int Fail(const QString& Message)
{
    Print(stderr, QStringLiteral("tickerwell: %1\nTry 'tickerwell --help'.\n").arg(Message));
    return 2;
}
} // namespace

bool AsksForCommandLine(int argc, char** argv)
{
    const QStringList Arguments = OwnArguments(argc, argv);
    return std::any_of(Arguments.begin() + 1, Arguments.end(), [](const QString& Argument) {
        return Argument.size() > 1 && Argument.startsWith(QLatin1Char('-')) &&
               Argument != QStringLiteral("--");
    });
}

int RunCommandLine(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tickerwell"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TICKERWELL_VERSION));
    QCommandLineParser Parser;
    SetUp(Parser);
    if (!Parser.parse(OwnArguments(argc, argv)))
        return Fail(Parser.errorText());
    if (Parser.isSet(QStringLiteral("help")) || Parser.isSet(QStringLiteral("help-all"))) {
        const QString Help = Parser.helpText();
        Print(stdout, Help.endsWith(QLatin1Char('\n')) ? Help : Help + QLatin1Char('\n'));
        return 0;
    }
    if (Parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("tickerwell %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    const QStringList Files = Parser.positionalArguments();
    if (Parser.isSet(RefreshOnceOption)) {
        if (Parser.isSet(CheckOption) || Parser.isSet(HistoryOption))
            return Fail(QStringLiteral("--refresh-once goes alone."));
        const std::optional<std::vector<int>> Sources = RefreshSources(Files);
        if (!Sources)
            return Fail(QStringLiteral("--refresh-once takes source numbers from 1 to %1.").arg(SourceCount));
        return RunRefreshOnce(*Sources);
    }
    if (Parser.isSet(HistoryOption)) {
        if (Parser.isSet(CheckOption))
            return Fail(QStringLiteral("--check and --history go one at a time."));
        bool Number = Files.size() == 1;
        const int Source = Number ? Files[0].toInt(&Number) : 0;
        if (Files.size() > 1 || (Files.size() == 1 && (!Number || Source < 1 || Source > SourceCount)))
            return Fail(QStringLiteral("--history takes one source number from 1 to %1.").arg(SourceCount));
        return RunHistoryList(THistoryStore::DefaultPath(),
                              QCoreApplication::applicationDirPath() + QLatin1Char('/'),
                              Files.isEmpty() ? -1 : Source - 1, stdout, stderr);
    }
    if (!Parser.isSet(CheckOption))
        return Fail(
            QStringLiteral("Unexpected argument '%1': a FILE goes with --check.").arg(Files.value(0)));
    if (Files.size() > 1)
        return Fail(QStringLiteral("--check takes one FILE, not %1.").arg(Files.size()));
    const QString File = Files.value(0, QString::fromLatin1(ConfigurationFileName));
    return RunConfigCheck(QFile::encodeName(File).toStdString());
}

void NoteIgnoredArguments(const QStringList& Arguments)
{
    if (Arguments.size() > 1)
        Print(stderr, QStringLiteral("tickerwell: ignoring %1 (a FILE goes with --check)\n")
                          .arg(Arguments.mid(1).join(QLatin1Char(' '))));
}
