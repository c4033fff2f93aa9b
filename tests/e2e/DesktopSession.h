// TDesktopSession: the real program on an X server of its own, optionally with a window manager
// (openbox) and a tray host (trayer), driven with xdotool as a user would.
#pragma once

#include "TempDir.h"
#include "VirtualXServer.h"

#include <QProcess>
#include <QRect>
#include <functional>
#include <string>

// Polls Condition every 100 ms for up to Seconds.
bool Eventually(const std::function<bool()>& Condition, int Seconds);

class TDesktopSession
{
public:
    struct TOptions
    {
        bool WindowManager = false;
        bool TrayHost = false;
    };
    explicit TDesktopSession(TOptions Options);
    ~TDesktopSession();

    // Starts a copy of the program in ProgramDir with WorkDir as its working directory.
    void Start(const std::string& Configuration);

    // Runs a command on this session's display and returns what it printed, trimmed.
    QString Run(const QString& Command, const QStringList& Arguments) const;
    QString XDoTool(const QStringList& Arguments) const { return Run(QStringLiteral("xdotool"), Arguments); }

    // The program's visible main window, or empty; looked up afresh, as the program makes a new X
    // window when the window gets its maximize button.
    QString MainWindow() const;
    // Where the program's tray icon is on the screen; empty when it is not in the tray.
    QRect TrayIcon() const;
    // Clicks at X, Y of the main window's client area.
    void ClickWindow(int X, int Y) const;
    // Clicks START (at 4, 4, 110 x 29) until Started holds within 2 s of a click, for up to 30 s: a
    // click that comes before the program is ready for input is repeated, as a user would.
    bool PressStart(const std::function<bool()>& Started) const;
    // Waits up to Seconds for the program to end; its exit code, or -1 when it did not end.
    int WaitForExit(int Seconds);

    TTempDir ProgramDir;
    TTempDir WorkDir;
    QProcess Program;

private:
    TOptions Options;
    TVirtualXServer Display;
    QProcess WindowManager;
    QProcess TrayHost;
};
