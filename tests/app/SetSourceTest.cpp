// tickerwell --set-source without a display: what it writes, and the statuses of what it refuses.
#include "TempDir.h"

#include <QProcess>
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
        {{"--set-source", "1", "--middle", "x"}, 2, Old},
    };
    TTempDir Dir;
    for (const auto& Case : Cases) {
        Dir.Write("dane.txt", Old);
        QProcess Program;
        QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
        Environment.remove(QStringLiteral("DISPLAY"));
        Environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        Program.setProcessEnvironment(Environment);
        Program.setWorkingDirectory(QString::fromStdString(Dir.Path().string()));
        Program.start(QStringLiteral(TKW_PROGRAM), Case.Arguments);
        ASSERT_TRUE(Program.waitForFinished(30000));
        const std::string What = Case.Arguments.join(' ').toStdString();
        EXPECT_EQ(Program.exitCode(), Case.Status)
            << What << ": " << Program.readAllStandardError().toStdString();
        EXPECT_EQ(Dir.Read("dane.txt"), Case.Expected) << What;
    }

    // A file that cannot be written: status 1, with the reason.
    std::filesystem::remove(Dir.Path() / "dane.txt");
    std::filesystem::create_directory(Dir.Path() / "dane.txt");
    QProcess Program;
    Program.setWorkingDirectory(QString::fromStdString(Dir.Path().string()));
    Program.start(QStringLiteral(TKW_PROGRAM), {"--set-source", "1", "--start", "x"});
    ASSERT_TRUE(Program.waitForFinished(30000));
    EXPECT_EQ(Program.exitCode(), 1);
    EXPECT_FALSE(Program.readAllStandardError().isEmpty());
}
