// The command line: one parser for every shell command, and the choice of the one to run.
#include "CommandLine.h"

#include "Commands.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace {
struct TCommand
{
    QCommandLineOption Option;
    TCommandRun Run;
    // Options that go with this command only.
    std::vector<QCommandLineOption> Companions = {};
};

const std::vector<TCommand>& Commands()
{
    static const std::vector<TCommand> List{
        {{QStringLiteral("check"),
          QStringLiteral("Check the configuration FILE (default: dane.txt in the working "
                         "directory): download every source and look for its markers, "
                         "without a window.")},
         RunCheckCommand},
        {{QStringLiteral("history"),
          QStringLiteral("List the stored versions of every source, or of source N "
                         "(1-5, in tab order), newest first, without a window.")},
         RunHistoryCommand},
        {{QStringLiteral("set-source"),
          QStringLiteral("Write source N's lines (1-5, in tab order) of dane.txt in the working "
                         "directory: --address URL, --start TEXT, --end TEXT."),
          QStringLiteral("N")},
         RunSetSource,
         {{QStringLiteral("address"), QStringLiteral("With --set-source: the source's address."),
           QStringLiteral("URL")},
          {QStringLiteral("start"), QStringLiteral("With --set-source: the start marker."),
           QStringLiteral("TEXT")},
          {QStringLiteral("end"), QStringLiteral("With --set-source: the end marker."),
           QStringLiteral("TEXT")}}},
        {{QStringLiteral("refresh-once"),
          QStringLiteral("Refresh every source, or sources N ... (1-5, in tab order), once without a "
                         "window: read dane.txt in the working directory, write the page files and the "
                         "history, and print one line per source.")},
         RunRefreshOnceCommand},
        {{QStringLiteral("feed"), QStringLiteral("Print the Atom feed of the newest changes of every source "
                                                 "(zmiany.atom beside the history), without a window.")},
         RunFeedCommand},
    };
    return List;
}

QString OptionName(const QCommandLineOption& Option)
{
    return QStringLiteral("--") + Option.names().first();
}

void SetUp(QCommandLineParser& Parser)
{
    Parser.setApplicationDescription(
        QStringLiteral("Tickerwell: Polish stock-market and futures commentary, kept up to date. "
                       "Without options it opens its window."));
    Parser.addHelpOption();
    Parser.addVersionOption();
    for (const TCommand& Command : Commands()) {
        Parser.addOption(Command.Option);
        for (const QCommandLineOption& Companion : Command.Companions)
            Parser.addOption(Companion);
    }
    // The source commands run before this parser; they are here for --help.
    Parser.addOption(
        {QStringLiteral("sources"),
         QStringLiteral("List every source: id, caption, address and on or off, tab-separated.")});
    Parser.addOption(
        {QStringLiteral("add-source"),
         QStringLiteral("Add a source of one's own to zrodla.ini in the working directory: "
                        "--caption TEXT --address URL [--start TEXT] [--end TEXT]; prints its id. "
                        "--set-source ID changes one (also --caption, --on, --off).")});
    Parser.addOption({QStringLiteral("remove-source"),
                      QStringLiteral("Remove the source of one's own with this id and its page file."),
                      QStringLiteral("ID")});
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
        Own << ArgumentFromBytes(argv[I]);
    }
    return Own;
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
        return UsageError(ArgumentText(Parser.errorText()));
    if (Parser.isSet(QStringLiteral("help")) || Parser.isSet(QStringLiteral("help-all"))) {
        const QString Help = Parser.helpText();
        Print(stdout, Help.endsWith(QLatin1Char('\n')) ? Help : Help + QLatin1Char('\n'));
        return 0;
    }
    if (Parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("tickerwell %1\n").arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    std::vector<const TCommand*> Chosen;
    for (const TCommand& Command : Commands())
        if (Parser.isSet(Command.Option))
            Chosen.push_back(&Command);
    if (Chosen.size() > 1)
        return UsageError(QStringLiteral("%1 and %2 go one at a time.")
                              .arg(OptionName(Chosen[0]->Option), OptionName(Chosen[1]->Option)));
    for (const TCommand& Command : Commands())
        for (const QCommandLineOption& Companion : Command.Companions)
            if (Parser.isSet(Companion) && (Chosen.empty() || Chosen[0] != &Command))
                return UsageError(QStringLiteral("%1 goes with %2.")
                                      .arg(OptionName(Companion), OptionName(Command.Option)));
    if (Chosen.empty())
        return UsageError(QStringLiteral("Unexpected argument '%1': a FILE goes with --check.")
                              .arg(ArgumentText(Parser.positionalArguments().value(0))));
    return Chosen[0]->Run(Parser);
}

void NoteIgnoredArguments(const QStringList& Arguments)
{
    if (Arguments.size() > 1)
        Print(stderr, QStringLiteral("tickerwell: ignoring %1 (a FILE goes with --check)\n")
                          .arg(Arguments.mid(1).join(QLatin1Char(' '))));
}
