// The window's commands on a desktop with a window manager and a tray: to the tray and back, the
// tray menu, the ways of ending the program and "On top".
#include "DesktopSession.h"
#include "LoopbackServer.h"

#include <gtest/gtest.h>

namespace {
class TDesktop : public testing::Test
{
protected:
    TLoopbackServer Server;
    TDesktopSession Session{{.WindowManager = true, .TrayHost = true}};

    void Start()
    {
        std::string File;
        for (int Source = 0; Source < 5; ++Source)
            File += Server.Url("/s" + std::to_string(Source)) + "\r\n\r\n\r\n";
        Session.Start(File);
    }

    // Makes every source stall and presses START until the five downloads are in flight.
    void StartStalledDownloads()
    {
        for (int Source = 0; Source < 5; ++Source)
            Server.Serve("/s" + std::to_string(Source), {.Body = "x", .Fault = TReply::TFault::Stall});
        ASSERT_TRUE(Session.PressStart([&] { return Server.Requests().size() == 5; })) << "no downloads";
    }

    void ClickTrayIcon(int Button)
    {
        const QRect Icon = Session.TrayIcon();
        ASSERT_FALSE(Icon.isEmpty()) << "the program's icon is not in the tray";
        Session.XDoTool({"mousemove", QString::number(Icon.center().x()), QString::number(Icon.center().y()),
                         "click", QString::number(Button)});
    }

    QString WindowGeometry() { return Session.XDoTool({"getwindowgeometry", Session.MainWindow()}); }
};
} // namespace

TEST_F(TDesktop, MinimiseGoesToTheTrayAndBackAndExitInTheTrayMenuEndsWithCodeZero)
{
    Start();
    ASSERT_TRUE(Eventually([&] { return !Session.TrayIcon().isEmpty(); }, 30));
    const QString Before = WindowGeometry();
    Session.XDoTool({"windowminimize", Session.MainWindow()});
    ASSERT_TRUE(Eventually([&] { return Session.MainWindow().isEmpty(); }, 10))
        << "the window left for the tray";
    ClickTrayIcon(1);
    ASSERT_TRUE(Eventually([&] { return !Session.MainWindow().isEmpty(); }, 10)) << "a click brings it back";
    EXPECT_EQ(WindowGeometry(), Before) << "in the same place and size";

    // Exit with downloads in flight: "Ex&it" chosen by its accelerator.
    StartStalledDownloads();
    const auto ShownWindows = [&] {
        return Session.XDoTool({"search", "--onlyvisible", "--classname", "tickerwell"})
            .count(QLatin1Char('\n'));
    };
    const auto Shown = ShownWindows();
    ClickTrayIcon(3);
    ASSERT_TRUE(Eventually([&] { return ShownWindows() > Shown; }, 10)) << "the tray menu did not open";
    Session.XDoTool({"key", "i"});
    EXPECT_EQ(Session.WaitForExit(20), 0);
}

TEST_F(TDesktop, CloseTkwWhileDownloadsAreInFlightEndsAtOnceWithCodeOne)
{
    Start();
    StartStalledDownloads();
    // "Close TKW" sits at 480, 4 and is 73 x 29.
    Session.ClickWindow(516, 18);
    EXPECT_EQ(Session.WaitForExit(20), 1);
}

TEST_F(TDesktop, OnTopKeepsTheWindowAboveAnotherOneAndTheCloseBoxEndsWithCodeZero)
{
    Start();
    // Stacking order, bottom to top, as the window manager keeps it.
    const auto Above = [&](const QString& Upper, const QString& Lower) {
        const QString Stack = Session.Run(QStringLiteral("xprop"), {"-root", "_NET_CLIENT_LIST_STACKING"});
        const auto Position = [&](const QString& Window) {
            return Stack.indexOf(QStringLiteral("0x") + QString::number(Window.toULong(), 16));
        };
        return Position(Upper) > Position(Lower) && Position(Lower) >= 0;
    };
    QProcess Other;
    Other.setProcessEnvironment(Session.Program.processEnvironment());
    Other.start(QStringLiteral("xmessage"), {"-name", "other", "another window"});
    QString OtherWindow;
    ASSERT_TRUE(Eventually(
        [&] {
            OtherWindow =
                Session.XDoTool({"search", "--onlyvisible", "--classname", "other"}).section('\n', 0, 0);
            return !OtherWindow.isEmpty();
        },
        20));

    // "On top" sits at 256, 0 and is 57 x 17.
    Session.ClickWindow(265, 8);
    Session.XDoTool({"windowactivate", "--sync", OtherWindow});
    EXPECT_TRUE(Eventually([&] { return Above(Session.MainWindow(), OtherWindow); }, 10))
        << "the window stays above a window activated after it";
    Session.ClickWindow(265, 8);
    Session.XDoTool({"windowactivate", "--sync", OtherWindow});
    EXPECT_TRUE(Eventually([&] { return Above(OtherWindow, Session.MainWindow()); }, 10))
        << "unchecked, the window takes its normal place again";
    Other.kill();
    Other.waitForFinished();

    Session.XDoTool({"windowactivate", "--sync", Session.MainWindow()});
    Session.XDoTool({"key", "alt+F4"});
    EXPECT_EQ(Session.WaitForExit(20), 0);
}
