// The real program on the X server: START clicked as a user would, five sources served on
// loopback, and the five page files compared byte for byte with the expected ones.
#include "LoopbackServer.h"
#include "TempDir.h"
#include "VirtualXServer.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {
const std::filesystem::path SourceDir = TKW_SOURCE_DIR;
const char* const PageFiles[] = {"1wirek&borta.htm", "2stormerfut.htm", "3stormer.htm", "4doakcji.htm",
                                 "5swiat.htm"};

std::string ReadFile(const std::filesystem::path& Path)
{
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// Runs xdotool on Display and returns what it printed, trimmed.
QString XDoTool(const TVirtualXServer& Display, const QStringList& Arguments)
{
    QProcess Tool;
    Tool.setProcessEnvironment(Display.Environment());
    Tool.start(QStringLiteral("xdotool"), Arguments);
    Tool.waitForFinished(10000);
    return QString::fromUtf8(Tool.readAllStandardOutput()).trimmed();
}

// Polls Condition every 100 ms for up to Seconds.
bool Eventually(const std::function<bool()>& Condition, int Seconds)
{
    const QDeadlineTimer Deadline(Seconds * 1000);
    while (!Condition()) {
        if (Deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}
} // namespace

TEST(EndToEnd, StartPressedByTheUserWritesTheFivePageFiles)
{
    TLoopbackServer Server;
    for (const char* Page : {"parkiet.html", "euromoney.html", "bankier.html", "doakcji.html", "indeksy.html"})
        Server.Serve(std::string("/") + Page, {.Body = ReadFile(SourceDir / "demo/site" / Page)});

    TTempDir ProgramDir;
    TTempDir WorkDir;
    std::filesystem::copy_file(TKW_PROGRAM, ProgramDir.Path() / "tickerwell");
    std::string Configuration = ReadFile(SourceDir / "demo/dane.txt.in");
    for (auto At = Configuration.find("@PORT@"); At != std::string::npos; At = Configuration.find("@PORT@"))
        Configuration.replace(At, 6, std::to_string(Server.Port()));
    WorkDir.Write("dane.txt", Configuration);

    const TVirtualXServer Display;
    QProcess Program;
    Program.setProcessEnvironment(Display.Environment());
    Program.setWorkingDirectory(QString::fromStdString(WorkDir.Path().string()));
    Program.start(QString::fromStdString((ProgramDir.Path() / "tickerwell").string()), {});
    ASSERT_TRUE(Program.waitForStarted());

    // The main window's X window: the program makes a new one when the window gets its maximize
    // button, so it is looked up afresh each time.
    const auto MainWindow = [&] {
        return XDoTool(Display, {"search", "--onlyvisible", "--pid", QString::number(Program.processId()), "--name",
                        "^Tickerwell by QRX & Dobrel$"})
            .section(QLatin1Char('\n'), 0, 0);
    };
    ASSERT_TRUE(Eventually([&] { return !MainWindow().isEmpty(); }, 60)) << "the main window did not appear";
    // START sits at 4, 4 and is 110 x 29 within the window; the press turns the strip into the full
    // window. A click that comes before the program is ready for input is repeated, as a user would.
    QString Geometry;
    ASSERT_TRUE(Eventually(
        [&] {
            XDoTool(Display, {"mousemove", "--window", MainWindow(), "59", "18", "click", "1"});
            return Eventually(
                [&] {
                    Geometry = XDoTool(Display, {"getwindowgeometry", "--shell", MainWindow()});
                    return Geometry.contains(QLatin1String("HEIGHT=490"));
                },
                2);
        },
        30))
        << "START did not open the full window: " << Geometry.toStdString();

    const bool Written = Eventually(
        [&] {
            for (const char* File : PageFiles)
                if (ReadFile(ProgramDir.Path() / File) != ReadFile(SourceDir / "tests/data/e2e" / File))
                    return false;
            return true;
        },
        60);
    for (const char* File : PageFiles)
        EXPECT_EQ(ReadFile(ProgramDir.Path() / File), ReadFile(SourceDir / "tests/data/e2e" / File))
            << "page file " << File;
    EXPECT_TRUE(Written);
    EXPECT_EQ(Program.state(), QProcess::Running) << "the program is still running";

    Program.kill();
    Program.waitForFinished();
}
