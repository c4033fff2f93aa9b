// The source commands without a display: the lines printed, the files written, the exit statuses.
#include "ProgramRun.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
std::string Lines(const TRun& Run)
{
    return Run.Out.toStdString() + Run.Err.toStdString();
}
} // namespace

TEST(SourceCommands, AddListChangeAndRemoveSourcesOfOnesOwn)
{
    TTempDir Dir;
    Dir.Write("dane.txt", "http://p/\r\n<a>\r\n</a>\r\nhttp://s\xB3/\r\n\r\n\r\nhttp://o/\r\n");
    const QString Builtin = "1\tWirek & Borta\thttp://p/\ton\n2\tStormer Futures\thttp://sł/\ton\n3\tStormer "
                            "On-line\thttp://o/\ton\n4\tdoakcji.pl\t\ton\n5\tIndeksy\t\ton\n";
    const struct
    {
        QStringList Arguments;
        int Status;
        QString Out; // the whole standard output
    } Steps[] = {
        {{"--add-source", "--caption", "Poranny komentarz: \"łódź\"", "--address", "https://a.pl/x?y=1",
          "--start", " <p> ", "--end=</p>\n"},
         0,
         "6\n"},
        {{"--add-source", "--caption=Drugi", "--address=http://b/", "--off"}, 0, "7\n"},
        {{"--sources"},
         0,
         Builtin + "6\tPoranny komentarz: \"łódź\"\thttps://a.pl/x?y=1\ton\n7\tDrugi\thttp://b/\toff\n"},
        {{"--set-source", "7", "--on", "--caption", "Inny"}, 0, ""},
        {{"--remove-source", "6"}, 0, ""},
        {{"--remove-source", "6"}, 1, ""},
        {{"--remove-source", "3"}, 2, ""},
        {{"--remove-source", "x"}, 2, ""},
        {{"--remove-source", "07"}, 2, ""},
        {{"--add-source", "--caption", QString(41, 'c'), "--address", "http://c/"}, 2, ""},
        {{"--add-source", "--caption", "c", "--address", "ftp://c/"}, 2, ""},
        {{"--add-source", "--caption", "c"}, 2, ""},
        {{"--add-source", "--caption", "c", "--address", "http://c/", "--colour", "red"}, 2, ""},
        {{"--set-source", "8", "--caption", "c"}, 2, ""},
        {{"--set-source", "7", "--on", "--off"}, 2, ""},
        {{"--set-source", "7"}, 2, ""},
        {{"--add-source", "--caption", "Trzeci", "--address", "http://c/"}, 0, "8\n"},
        {{"--sources"}, 0, Builtin + "7\tInny\thttp://b/\ton\n8\tTrzeci\thttp://c/\ton\n"},
    };
    for (const auto& Step : Steps) {
        const TRun Run = RunProgram(Dir, Step.Arguments);
        const std::string What = Step.Arguments.join(' ').toStdString();
        EXPECT_EQ(Run.Status, Step.Status) << What << ": " << Lines(Run);
        EXPECT_EQ(Run.Out, Step.Out) << What;
        EXPECT_EQ(Run.Err.isEmpty(), Step.Status == 0) << What << ": " << Lines(Run);
    }
    EXPECT_TRUE(Dir.Read("zrodla.ini.bak").find("[8]") == std::string::npos);
    EXPECT_EQ(Dir.Read("dane.txt"), "http://p/\r\n<a>\r\n</a>\r\nhttp://s\xB3/\r\n\r\n\r\nhttp://o/\r\n");
}

TEST(SourceCommands, RemovalDeletesThePageFileAndABrokenOrFullFileIsRefused)
{
    TTempDir Dir;
    // A page file beside the program, under an id no other test uses.
    const std::filesystem::path Page =
        std::filesystem::path(QFileInfo(QStringLiteral(TKW_PROGRAM)).absolutePath().toStdString()) /
        "zrodlo4321.htm";
    std::ofstream(Page) << "<HTML></HTML>";
    Dir.Write("zrodla.ini", "[4321]\ncaption = a\naddress = http://a/\n");
    TRun Run = RunProgram(Dir, {"--remove-source", "4321"});
    EXPECT_EQ(Run.Status, 0) << Lines(Run);
    EXPECT_FALSE(std::filesystem::exists(Page)) << "the removed source's page file goes";
    std::filesystem::remove(Page);

    Dir.Write("zrodla.ini", "[6]\ncaption = a\naddress = http://a/\non = maybe\n");
    for (const QStringList& Arguments :
         {QStringList{"--sources"}, QStringList{"--remove-source", "6"},
          QStringList{"--add-source", "--caption", "b", "--address", "http://b/"}}) {
        Run = RunProgram(Dir, Arguments);
        EXPECT_EQ(Run.Status, 2) << Lines(Run);
        EXPECT_TRUE(Run.Err.contains("zrodla.ini, wiersz 4: on przyjmuje yes albo no")) << Lines(Run);
    }

    std::string Fifty;
    for (int Id = 6; Id < 56; ++Id)
        Fifty += "[" + std::to_string(Id) + "]\ncaption = s\naddress = http://s/\n";
    Dir.Write("zrodla.ini", Fifty);
    Run = RunProgram(Dir, {"--add-source", "--caption", "b", "--address", "http://b/"});
    EXPECT_EQ(Run.Status, 2);
    EXPECT_TRUE(Run.Err.contains("jest już 50 własnych źródeł")) << Lines(Run);
    EXPECT_EQ(Dir.Read("zrodla.ini"), Fifty);
}

TEST(SourceCommands, RulesAreSetListedAndClearedWithoutTouchingDaneTxt)
{
    TTempDir Dir;
    const std::string Dane = "http://p/\r\n<a>\r\n</a>\r\n";
    Dir.Write("dane.txt", Dane);
    const QString Five = "1\tWirek & Borta\thttp://p/\ton\n";
    const QString Others = "3\tStormer On-line\t\ton\n4\tdoakcji.pl\t\ton\n5\tIndeksy\t\ton\n";
    const struct
    {
        QStringList Arguments;
        int Status;
        QString Out; // standard output; for a refusal, what standard error holds
    } Steps[] = {
        {{"--set-source", "2", "--ignore", "\\d+:\\d+", "--ignore=licznik \\d+", "--trigger", "straty netto"},
         0,
         ""},
        {{"--add-source", "--caption", "Mój", "--address", "http://x/", "--trigger", "łódź", "--new-only",
          "off"},
         0,
         "6\n"},
        {{"--set-source", "2", "--ignore", "a", "--ignore", "(ab"},
         2,
         "missing closing parenthesis (pozycja 3)"},
        {{"--set-source", "6", "--new-only", "maybe"}, 2, "--new-only przyjmuje on albo off"},
        {{"--set-source", "1", "--caption", "x"}, 2, "tylko dla własnych źródeł"},
        {{"--sources"},
         0,
         Five + "2\tStormer Futures\t\ton\tignore=\\d+:\\d+\tignore=licznik \\d+\ttrigger=straty netto\n" +
             Others + "6\tMój\thttp://x/\ton\ttrigger=łódź\tnew-only=off\n"},
        {{"--set-source", "2", "--trigger", ""}, 0, ""},
        {{"--set-source", "6", "--new-only", "on", "--ignore", "", "--trigger", "zysk", "--trigger",
          "strata"},
         0,
         ""},
        {{"--sources"},
         0,
         Five + "2\tStormer Futures\t\ton\tignore=\\d+:\\d+\tignore=licznik \\d+\n" + Others +
             "6\tMój\thttp://x/\ton\ttrigger=zysk\ttrigger=strata\n"},
    };
    for (const auto& Step : Steps) {
        const std::string Before = Dir.Exists("zrodla.ini") ? Dir.Read("zrodla.ini") : "";
        const TRun Run = RunProgram(Dir, Step.Arguments);
        const std::string What = Step.Arguments.join(' ').toStdString();
        EXPECT_EQ(Run.Status, Step.Status) << What << ": " << Lines(Run);
        if (Step.Status == 0)
            EXPECT_EQ(Run.Out, Step.Out) << What << ": " << Lines(Run);
        else {
            EXPECT_TRUE(Run.Err.contains(Step.Out)) << What << ": " << Lines(Run);
            EXPECT_EQ(Dir.Read("zrodla.ini"), Before) << What << " wrote the file it refused";
        }
        EXPECT_EQ(Dir.Read("dane.txt"), Dane) << What << " wrote dane.txt";
    }
    EXPECT_FALSE(Dir.Exists("dane.txt.bak"));
}
