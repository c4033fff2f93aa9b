// tickerwell --set-source without a display: what it writes, and the statuses of what it refuses.
#include "ProgramRun.h"

#include <gtest/gtest.h>

TEST(SetSource, WritesOneSourceInWindows1250AndRefusesWhatItCannotWrite)
{
    const std::string Old = "a0\r\ns0\r\ne0\r\na1\r\ns1\r\ne1\r\nrest\n\x1A"
                            "tail";
    const struct
    {
        QStringList Arguments;
        int Status;
        std::string Expected; // the file afterwards
    } Cases[] = {
        {{"--set-source", "2", "--start", "<p class=\"łódź\">", "--address=http://x/"},
         0,
         "a0\r\ns0\r\ne0\r\nhttp://x/\r\n<p class=\"\xB3\xF3"
         "d\x9F\">\r\ne1\r\nrest\n\x1A"
         "tail"},
        {{"--set-source", "5", "--end", ""},
         0,
         "a0\r\ns0\r\ne0\r\na1\r\ns1\r\ne1\r\nrest\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\x1A"
         "tail"},
        {{"--set-source", "6", "--start", "x"}, 2, Old},
        {{"--set-source", "0", "--start", "x"}, 2, Old},
        {{"--set-source", "1"}, 2, Old},
        {{"--set-source", "1", "--end", "☃"}, 2, Old},
        {{"--set-source", "1", "--end", "a\nb"}, 2, Old},
        {{"--set-source", "1", "--start"}, 2, Old},
    };
    TTempDir Dir;
    for (const auto& Case : Cases) {
        Dir.Write("dane.txt", Old);
        const TRun Run = RunProgram(Dir, Case.Arguments);
        const std::string What = Case.Arguments.join(' ').toStdString();
        EXPECT_EQ(Run.Status, Case.Status) << What << ": " << Run.Err.toStdString();
        EXPECT_EQ(Dir.Read("dane.txt"), Case.Expected) << What;
    }

    // A file that cannot be written: status 1, with the reason.
    std::filesystem::remove(Dir.Path() / "dane.txt");
    std::filesystem::create_directory(Dir.Path() / "dane.txt");
    const TRun Run = RunProgram(Dir, {"--set-source", "1", "--start", "x"});
    EXPECT_EQ(Run.Status, 1);
    EXPECT_TRUE(Run.Err.contains("nie jest zwykłym plikiem")) << Run.Err.toStdString();
}

TEST(SetSource, ReadsUtf8UnderTheCLocaleAndNamesTheTrueReasonOfARefusal)
{
    TTempDir Dir;
    const std::string Old = "a0\r\ns0\r\ne0\r\n";
    Dir.Write("dane.txt", Old);
    TRun Run = RunProgram(Dir, {"--set-source", "1", "--start", "Zażółć"}, {"LC_ALL=C"});
    EXPECT_EQ(Run.Status, 0) << Run.Err.toStdString();
    EXPECT_EQ(Dir.Read("dane.txt"), "a0\r\nZa\xBF\xF3\xB3\xE6\r\ne0\r\n");

    // Bytes that are no UTF-8: the reason names the locale, not Windows-1250.
    Dir.Write("dane.txt", Old);
    Run = RunProgram(Dir, {"-c", "exec \"$0\" --set-source 1 --end \"$(printf 'a\\377')\"", TKW_PROGRAM},
                     {"LC_ALL=C"}, QStringLiteral("/bin/sh"));
    EXPECT_EQ(Run.Status, 2);
    EXPECT_TRUE(Run.Err.contains("UTF-8")) << Run.Err.toStdString();
    EXPECT_TRUE(Run.Err.contains("\"C\"") || Run.Err.contains("C\"")) << Run.Err.toStdString();
    EXPECT_FALSE(Run.Err.contains("Windows-1250")) << Run.Err.toStdString();
    EXPECT_EQ(Dir.Read("dane.txt"), Old);

    // A file with LF line ends: the reason is the file's line ends, not the value.
    const std::string Lf = "a0\ns0\ne0\n";
    Dir.Write("dane.txt", Lf);
    Run = RunProgram(Dir, {"--set-source", "2", "--start", "x"});
    EXPECT_EQ(Run.Status, 1);
    EXPECT_TRUE(Run.Err.contains("końce wierszy LF bez CR")) << Run.Err.toStdString();
    EXPECT_EQ(Dir.Read("dane.txt"), Lf);
}
