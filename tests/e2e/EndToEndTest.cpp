// The real program on its own X server: START clicked as a user would, five sources served on
// loopback, and the five page files compared byte for byte with the expected ones.
#include "DesktopSession.h"
#include "LoopbackServer.h"

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

// The demo's dane.txt pointing at Server.
std::string DemoConfiguration(const TLoopbackServer& Server)
{
    std::string Configuration = ReadFile(SourceDir / "demo/dane.txt.in");
    for (auto At = Configuration.find("@PORT@"); At != std::string::npos; At = Configuration.find("@PORT@"))
        Configuration.replace(At, 6, std::to_string(Server.Port()));
    return Configuration;
}
} // namespace

TEST(EndToEnd, StartPressedByTheUserWritesTheFivePageFiles)
{
    TLoopbackServer Server;
    for (const char* Page :
         {"parkiet.html", "euromoney.html", "bankier.html", "doakcji.html", "indeksy.html"})
        Server.Serve(std::string("/") + Page, {.Body = ReadFile(SourceDir / "demo/site" / Page)});
    TDesktopSession Session({});
    Session.Start(DemoConfiguration(Server));

    // The press turns the strip into the full window.
    QString Geometry;
    ASSERT_TRUE(Session.PressStart([&] {
        Geometry = Session.XDoTool({"getwindowgeometry", "--shell", Session.MainWindow()});
        return Geometry.contains(QLatin1String("HEIGHT=490"));
    })) << "START did not open the full window: "
        << Geometry.toStdString();

    for (const char* File : PageFiles) {
        const std::string Expected = ReadFile(SourceDir / "tests/data/e2e" / File);
        EXPECT_TRUE(Eventually([&] { return ReadFile(Session.ProgramDir.Path() / File) == Expected; }, 60))
            << "page file " << File;
    }
    EXPECT_EQ(Session.Program.state(), QProcess::Running) << "the program is still running";
}
