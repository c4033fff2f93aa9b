// Driving the real program on a private X server.
#include "DesktopSession.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>
#include <filesystem>
#include <stdexcept>

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

// Waits up to 30 s for the output of Command to contain Text (or, with Found false, to lose it).
static void AwaitOutput(const TDesktopSession& Session, const QString& Command, const QStringList& Arguments,
                        const QString& Text, bool Found, const char* Failure)
{
    if (!Eventually([&] { return Session.Run(Command, Arguments).contains(Text) == Found; }, 30))
        throw std::runtime_error(Failure);
}

TDesktopSession::TDesktopSession(TOptions Options) : Options(Options)
{
    for (QProcess* Helper : {&WindowManager, &TrayHost, &Program})
        Helper->setProcessEnvironment(Display.Environment());
    if (Options.WindowManager) {
        WindowManager.start(QStringLiteral("openbox"), {});
        WindowManager.waitForStarted();
        AwaitOutput(*this, "xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, "not found", false,
                    "openbox did not start");
    }
    if (Options.TrayHost) {
        TrayHost.start(QStringLiteral("trayer"),
                       {"--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "24"});
        TrayHost.waitForStarted();
        AwaitOutput(*this, "xwininfo", {"-root", "-tree"}, "\"panel\"", true, "trayer did not start");
    }
}

TDesktopSession::~TDesktopSession()
{
    for (QProcess* Helper : {&Program, &TrayHost, &WindowManager})
        if (Helper->state() != QProcess::NotRunning) {
            Helper->kill();
            Helper->waitForFinished(5000);
        }
}

void TDesktopSession::Start(const std::string& Configuration)
{
    std::filesystem::copy_file(TKW_PROGRAM, ProgramDir.Path() / "tickerwell");
    WorkDir.Write("dane.txt", Configuration);
    Program.setWorkingDirectory(QString::fromStdString(WorkDir.Path().string()));
    Program.start(QString::fromStdString((ProgramDir.Path() / "tickerwell").string()), {});
    if (!Program.waitForStarted() || !Eventually([this] { return !MainWindow().isEmpty(); }, 60))
        throw std::runtime_error("the main window did not appear");
    // A window manager ignores requests about a new window until it has taken it over.
    if (Options.WindowManager)
        AwaitOutput(*this, "xprop", {"-id", MainWindow(), "_NET_FRAME_EXTENTS"}, "not found", false,
                    "the window manager did not take the main window over");
}

QString TDesktopSession::Run(const QString& Command, const QStringList& Arguments) const
{
    QProcess Tool;
    Tool.setProcessEnvironment(Display.Environment());
    Tool.start(Command, Arguments);
    Tool.waitForFinished(10000);
    return QString::fromUtf8(Tool.readAllStandardOutput()).trimmed();
}

QString TDesktopSession::MainWindow() const
{
    return XDoTool({"search", "--all", "--onlyvisible", "--pid", QString::number(Program.processId()),
                    "--name", "^Tickerwell by QRX & Dobrel$"})
        .section(QLatin1Char('\n'), 0, 0);
}

QRect TDesktopSession::TrayIcon() const
{
    // The icon's window is embedded in the tray host's panel, named after the application title.
    static const QRegularExpression Line(
        QStringLiteral("\"TKW by QRX\": \\(\"tickerwell\" \"TKW by "
                       "QRX\"\\)\\s+(\\d+)x(\\d+)\\+-?\\d+\\+-?\\d+\\s+\\+(-?\\d+)\\+(-?\\d+)"));
    for (const QRegularExpressionMatch& Match : Line.globalMatch(Run("xwininfo", {"-root", "-tree"}))) {
        const QRect Icon(Match.captured(3).toInt(), Match.captured(4).toInt(), Match.captured(1).toInt(),
                         Match.captured(2).toInt());
        if (Icon.width() > 1 && Icon.x() >= 0)
            return Icon;
    }
    return {};
}

void TDesktopSession::ClickWindow(int X, int Y) const
{
    XDoTool({"mousemove", "--window", MainWindow(), QString::number(X), QString::number(Y), "click", "1"});
}

bool TDesktopSession::PressStart(const std::function<bool()>& Started) const
{
    return Eventually(
        [&] {
            ClickWindow(59, 18);
            return Eventually(Started, 2);
        },
        30);
}

int TDesktopSession::WaitForExit(int Seconds)
{
    if (!Program.waitForFinished(Seconds * 1000))
        return -1;
    return Program.exitStatus() == QProcess::NormalExit ? Program.exitCode() : -1;
}
