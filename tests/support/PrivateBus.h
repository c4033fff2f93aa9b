// TPrivateBus: a session bus of the test's own (dbus-daemon), made the process's session bus. It
// activates no services, so a notification daemon or tray that happens to be installed on the
// machine never answers in place of the test's own.
#pragma once

#include "TempDir.h"

#include <QByteArray>
#include <QProcess>
#include <QString>

class TPrivateBus
{
public:
    // Starts the daemon and sets DBUS_SESSION_BUS_ADDRESS; Address() stays empty when it fails.
    TPrivateBus()
    {
        Folder.Write("bus.conf",
                     "<busconfig><type>session</type><listen>unix:tmpdir=" + Folder.Path().string() +
                         "</listen><policy context=\"default\"><allow send_destination=\"*\" "
                         "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                         "</policy></busconfig>");
        Daemon.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--config-file=") + QString::fromStdString((Folder.Path() / "bus.conf").string()),
             QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!Daemon.waitForReadyRead(10000))
            return;
        FAddress = Daemon.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", FAddress);
    }
    ~TPrivateBus()
    {
        Daemon.kill();
        Daemon.waitForFinished();
    }
    TPrivateBus(const TPrivateBus&) = delete;
    TPrivateBus& operator=(const TPrivateBus&) = delete;

    QString Address() const { return QString::fromLatin1(FAddress); }

private:
    TTempDir Folder;
    QProcess Daemon;
    QByteArray FAddress;
};
