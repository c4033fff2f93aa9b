// One running copy per program folder, with the real program on an X server of its own.
#include "SingleInstance.h"
#include "TempDir.h"
#include "WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Leaves a socket file at Path that nobody listens on, as a crashed copy does.
void LeaveStaleSocket(const QString& Path)
{
    const int Fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un Address{.sun_family = AF_UNIX};
    Path.toStdString().copy(Address.sun_path, sizeof Address.sun_path - 1);
    ASSERT_EQ(bind(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof Address), 0);
    close(Fd);
}

// Ends a process as a session does, so that an X server removes its socket and lock file.
void End(QProcess& Process)
{
    Process.terminate();
    if (!Process.waitForFinished(10000))
        Process.kill(), Process.waitForFinished();
}

struct TDisplay
{
    QProcess Server;
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();

    TDisplay()
    {
        // Without -noreset the server resets whenever its last client goes, and a window manager
        // that connects meanwhile fails to open the display.
        Server.start(QStringLiteral("Xvfb"),
                     {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
        Server.waitForReadyRead(20000);
        Environment.insert(QStringLiteral("DISPLAY"),
                           QLatin1Char(':') + QString::fromLatin1(Server.readLine()).trimmed());
    }
    ~TDisplay() { End(Server); }

    QProcess* Start(QProcess& Process, const QString& Program, const QStringList& Arguments = {}) const
    {
        Process.setProcessEnvironment(Environment);
        Process.start(Program, Arguments);
        return &Process;
    }
    QString Run(const QStringList& Arguments, const QString& Program = QStringLiteral("xdotool")) const
    {
        QProcess Tool;
        Start(Tool, Program, Arguments)->waitForFinished(10000);
        return QString::fromUtf8(Tool.readAllStandardOutput()).trimmed();
    }
    QString MainWindow(const QProcess& Program) const
    {
        return Run({"search", "--onlyvisible", "--pid", QString::number(Program.processId()), "--name",
                    "^Tickerwell by QRX & Dobrel$"});
    }
};
} // namespace

TEST(SingleInstance, ASecondStartShowsTheFirstWindowAndEndsWithZero)
{
    TDisplay Display;
    QProcess WindowManager, First, Second;
    Display.Start(WindowManager, QStringLiteral("openbox"));
    // A window mapped while the window manager is still starting may never be shown.
    ASSERT_TRUE(WaitUntil([&] {
        return Display.Run({"-root", "_NET_SUPPORTING_WM_CHECK"}, "xprop").contains(QLatin1String("WINDOW"));
    }));
    TTempDir ProgramDir;
    std::filesystem::copy_file(TKW_PROGRAM, ProgramDir.Path() / "tickerwell");
    const QString Program = QString::fromStdString((ProgramDir.Path() / "tickerwell").string());
    const QString Folder = QString::fromStdString(ProgramDir.Path().string());
    const QString Socket = QDir::temp().filePath(TSingleInstance::ServerName(Folder));
    LeaveStaleSocket(Socket);

    Display.Start(First, Program);
    ASSERT_TRUE(WaitUntil([&] { return !Display.MainWindow(First).isEmpty(); }, 60))
        << "blocked by the stale socket";
    // Minimised, the window goes to the tray.
    ASSERT_TRUE(WaitUntil(
        [&] {
            Display.Run({"windowminimize", Display.MainWindow(First)});
            return WaitUntil([&] { return Display.MainWindow(First).isEmpty(); }, 2);
        },
        20));

    Display.Start(Second, Program);
    ASSERT_TRUE(Second.waitForFinished(30000)) << Second.readAllStandardError().toStdString();
    EXPECT_EQ(Second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Second.exitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return !Display.MainWindow(First).isEmpty(); }, 10))
        << "the first window is back";
    EXPECT_EQ(First.state(), QProcess::Running);
    for (QProcess* Process : {&First, &WindowManager})
        End(*Process);
    QFile::remove(Socket);
}
