// The command line: one parser for every shell command, and the choice of the one to run.
#include "CommandLine.h"

#include "Commands.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <clocale>
#include <string_view>
#include <vector>

namespace {
struct TCommand
{
    QCommandLineOption Option;
    TCommandRun Run;
    // Options that go with this command (or a few commands) only.
    std::vector<QCommandLineOption> Companions = {};
};

// Options that gather every value given; any other option may be given once.
const QStringList Repeatable{QStringLiteral("ignore"), QStringLiteral("trigger"), QStringLiteral("to")};

const std::vector<TCommand>& Commands()
{
    static const QCommandLineOption Caption{
        QStringLiteral("caption"),
        QStringLiteral("With --set-source or --add-source: the caption of a source of one's own."),
        QStringLiteral("TEXT")};
    static const QCommandLineOption Address{
        QStringLiteral("address"), QStringLiteral("With --set-source or --add-source: the source's address."),
        QStringLiteral("URL")};
    static const QCommandLineOption Start{
        QStringLiteral("start"), QStringLiteral("With --set-source or --add-source: the start marker."),
        QStringLiteral("TEXT")};
    static const QCommandLineOption End{QStringLiteral("end"),
                                        QStringLiteral("With --set-source or --add-source: the end marker."),
                                        QStringLiteral("TEXT")};
    static const QCommandLineOption On{
        QStringLiteral("on"),
        QStringLiteral("With --set-source or --add-source: refresh the source of one's own (the default).")};
    static const QCommandLineOption Off{
        QStringLiteral("off"),
        QStringLiteral("With --set-source or --add-source: leave the source of one's own out of refreshes.")};
    static const QCommandLineOption Ignore{
        QStringLiteral("ignore"),
        QStringLiteral("With --set-source or --add-source: text that is no change, a regular expression "
                       "(case insensitive); repeat it for more, the values given replace the list, and an "
                       "empty one clears it."),
        QStringLiteral("REGEX")};
    static const QCommandLineOption Trigger{
        QStringLiteral("trigger"),
        QStringLiteral("With --set-source or --add-source: a word or phrase that a change must hold to "
                       "notify; repeat it for more, the values given replace the list, and an empty one "
                       "clears it."),
        QStringLiteral("WORD")};
    static const QCommandLineOption NewOnly{
        QStringLiteral("new-only"),
        QStringLiteral("With --set-source or --add-source: on (the default) when a change that only "
                       "removes passages notifies nothing, off when it does."),
        QStringLiteral("on|off")};
    static const QCommandLineOption To{
        QStringLiteral("to"), QStringLiteral("With --add-channel email: a recipient; repeat it for more."),
        QStringLiteral("ADDR")};
    static const QCommandLineOption User{
        QStringLiteral("user"),
        QStringLiteral("With --add-channel email: the login on the mail server, whose password is read "
                       "from standard input."),
        QStringLiteral("NAME")};
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
          QStringLiteral("Change source N: for 1-5 (in tab order) its lines of dane.txt in the "
                         "working directory (--address, --start, --end); for a source of one's own "
                         "its entry in zrodla.ini (the same, --caption, --on, --off); for either its "
                         "rules in zrodla.ini (--ignore, --trigger, --new-only)."),
          QStringLiteral("N")},
         RunSetSource,
         {Address, Start, End, Caption, On, Off, Ignore, Trigger, NewOnly}},
        {{QStringLiteral("sources"),
          QStringLiteral("List every source, one a line: id, caption, address and on or off, then "
                         "its rules, ignore=REGEX and trigger=WORD for each, and new-only=off when "
                         "so; tab-separated.")},
         RunSourcesCommand},
        {{QStringLiteral("add-source"),
          QStringLiteral("Add a source of one's own to zrodla.ini in the working directory: "
                         "--caption TEXT --address URL [--start TEXT] [--end TEXT], and --off or "
                         "rules if wanted; prints its id.")},
         RunAddSource,
         {Caption, Address, Start, End, On, Off, Ignore, Trigger, NewOnly}},
        {{QStringLiteral("remove-source"),
          QStringLiteral("Remove the source of one's own with this id and its page file."),
          QStringLiteral("ID")},
         RunRemoveSource},
        {{QStringLiteral("refresh-once"),
          QStringLiteral("Refresh every source, or sources N ... (1-5, in tab order), once without a "
                         "window: read dane.txt in the working directory, write the page files and the "
                         "history, and print one line per source. The changes with new passages go out "
                         "through the notification channels, one message per channel; a failed send is "
                         "named on standard error and leaves the exit status as it is.")},
         RunRefreshOnceCommand},
        {{QStringLiteral("feed"), QStringLiteral("Print the Atom feed of the newest changes of every source "
                                                 "(zmiany.atom beside the history), without a window.")},
         RunFeedCommand},
        {{QStringLiteral("channels"),
          QStringLiteral("List the notification channels: number, kind, address, on or off and the last "
                         "result.")},
         RunChannelsCommand},
        {{QStringLiteral("add-channel"),
          QStringLiteral("Add a notification channel of KIND ntfy, webhook or email, sending to ADDRESS (a "
                         "topic, a webhook, an smtps:// or smtp:// server); a token or password is read "
                         "from standard input, never from an argument."),
          QStringLiteral("KIND")},
         RunAddChannel,
         {To, User}},
        {{QStringLiteral("remove-channel"), QStringLiteral("Remove notification channel N and its secret."),
          QStringLiteral("N")},
         RunRemoveChannel},
        {{QStringLiteral("test-channels"),
          QStringLiteral("Send a test message through every channel that is on and print a line per "
                         "channel with its result.")},
         RunTestChannels},
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
    QStringList Added;
    for (const TCommand& Command : Commands()) {
        Parser.addOption(Command.Option);
        // A companion of several commands is listed once, after the first of them.
        for (const QCommandLineOption& Companion : Command.Companions)
            if (!Added.contains(Companion.names().first())) {
                Parser.addOption(Companion);
                Added << Companion.names().first();
            }
    }
    Parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The configuration file for --check."),
                                 QStringLiteral("[FILE]"));
    Parser.addPositionalArgument(QStringLiteral("N"),
                                 QStringLiteral("The source for --history, the sources for --refresh-once."),
                                 QStringLiteral("[N ...]"));
    Parser.addPositionalArgument(QStringLiteral("ADDRESS"), QStringLiteral("The channel for --add-channel."),
                                 QStringLiteral("[ADDRESS]"));
}

bool GoesWith(const TCommand& Command, const QString& Name)
{
    return std::any_of(Command.Companions.begin(), Command.Companions.end(),
                       [&](const QCommandLineOption& Option) { return Option.names().first() == Name; });
}

// The usage error of a command line with two commands, an option given twice, a companion without
// its command, or no command; empty when there is none.
QString Misuse(const QCommandLineParser& Parser, const std::vector<const TCommand*>& Chosen)
{
    if (Chosen.size() > 1)
        return QStringLiteral("%1 and %2 go one at a time.")
            .arg(OptionName(Chosen[0]->Option), OptionName(Chosen[1]->Option));
    const QStringList Given = Parser.optionNames();
    for (const QString& Name : Given)
        if (Given.count(Name) > 1 && !Repeatable.contains(Name))
            return QStringLiteral("--%1 podano dwa razy").arg(Name);
    for (const QString& Name : Given) {
        QStringList Owners;
        for (const TCommand& Command : Commands())
            if (GoesWith(Command, Name))
                Owners << OptionName(Command.Option);
        if (!Owners.isEmpty() && (Chosen.empty() || !GoesWith(*Chosen[0], Name)))
            return QStringLiteral("--%1 goes with %2.").arg(Name, Owners.join(QStringLiteral(" or ")));
    }
    if (Chosen.empty())
        return QStringLiteral("Unexpected argument '%1': a FILE goes with --check.")
            .arg(ArgumentText(Parser.positionalArguments().value(0)));
    return {};
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
    // The commands read their texts and write their messages in the locale's encoding.
    std::setlocale(LC_ALL, "");
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
    if (const QString Error = Misuse(Parser, Chosen); !Error.isEmpty())
        return UsageError(Error);
    return Chosen[0]->Run(Parser);
}

void NoteIgnoredArguments(const QStringList& Arguments)
{
    if (Arguments.size() > 1)
        Print(stderr, QStringLiteral("tickerwell: ignoring %1 (a FILE goes with --check)\n")
                          .arg(Arguments.mid(1).join(QLatin1Char(' '))));
}
