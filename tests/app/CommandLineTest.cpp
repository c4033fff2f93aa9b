// The shell commands' one parser: every command in --help, one style of usage errors with status 2,
// and --feed printing the feed that the history writes, without a display.
#include "Feed.h"
#include "HistoryStore.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

TEST(CommandLine, EveryCommandIsInTheHelpAndEveryUsageErrorHasOneForm)
{
    TTempDir Dir;
    const TRun Help = RunProgram(Dir, {"--help"});
    EXPECT_EQ(Help.Status, 0);
    for (const char* Command : {"--check", "--history", "--set-source <N>", "--address <URL>", "--feed",
                                "--add-channel <KIND>", "--test-channels"})
        EXPECT_TRUE(Help.Out.contains(Command)) << Command << " is not in the help:\n"
                                                << Help.Out.toStdString();

    const struct
    {
        QStringList Arguments;
        QString Error; // the first line, after "tickerwell: "
    } Cases[] = {
        {{"--check", "--history"}, "--check and --history go one at a time."},
        {{"--feed", "--set-source", "1"}, "--set-source and --feed go one at a time."},
        {{"--start", "x"}, "--start goes with --set-source or --add-source."},
        {{"--feed", "x"}, "--feed takes no arguments."},
        {{"--set-source", "1", "--start", "a", "--start", "b"}, "--start podano dwa razy"},
        {{"--set-source", "1", "--end", "x", "extra"}, "nieznany argument „extra”"},
        {{"--histories"}, "Unknown option 'histories'."},
        {{"--user", "ja"}, "--user goes with --add-channel."},
        {{"--add-channel", "ntfy", "https://ntfy.sh/t", "--to", "ja@example.org"},
         "--to goes with email channels."},
        {{"--add-channel", "sms", "x"}, "nieznany rodzaj kanału „sms”: ntfy, webhook lub email"},
        {{"--add-channel", "webhook"}, "--add-channel takes a KIND and one ADDRESS."},
        {{"--channels", "1"}, "--channels takes no arguments."},
    };
    for (const auto& Case : Cases) {
        const TRun Run = RunProgram(Dir, Case.Arguments);
        EXPECT_EQ(Run.Status, 2) << Case.Arguments.join(' ').toStdString();
        EXPECT_EQ(Run.Err.toStdString(),
                  ("tickerwell: " + Case.Error + "\nTry 'tickerwell --help'.\n").toStdString());
    }
    EXPECT_FALSE(Dir.Exists("dane.txt")) << "a refused --set-source wrote the file";
}

TEST(CommandLine, FeedPrintsWhatTheHistoryWrote)
{
    TTempDir Data;
    const QStringList Set{"XDG_DATA_HOME=" + QString::fromStdString(Data.Path().string())};
    const TRun Empty = RunProgram(Data, {"--feed"}, Set);
    EXPECT_EQ(Empty.Status, 0);
    EXPECT_TRUE(Empty.Out.contains("<feed xmlns=\"http://www.w3.org/2005/Atom\">"))
        << Empty.Out.toStdString();
    EXPECT_FALSE(Empty.Err.isEmpty()) << "no word that nothing is stored yet";

    const QString Database = QString::fromStdString(Data.Dir() + "tickerwell/history.sqlite");
    {
        THistoryStore Store(Database, "/prog/");
        ASSERT_TRUE(Store.Add(0, "<p>a &amp; b</p>", 1000, {}, "http://x/").Stored);
        ASSERT_TRUE(Store.Add(1, "<p>c</p>", 2000).Stored);
    }
    QFile Written(FeedPath(Database));
    ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
    const TRun Run = RunProgram(Data, {"--feed"}, Set);
    EXPECT_EQ(Run.Status, 0) << Run.Err.toStdString();
    EXPECT_EQ(Run.Out.toStdString(), Written.readAll().toStdString());
}
