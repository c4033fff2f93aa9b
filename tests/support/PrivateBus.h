// TPrivateBus: a session bus of the test's own that activates no installed services.
#pragma once

#include "TempDir.h"

#include <QProcess>

class TPrivateBus
{
public:
    // Makes the bus the process's session bus; Address() stays empty when dbus-daemon cannot start.
    TPrivateBus()
    {
        Folder.Write(
            "bus.conf",
            "<busconfig><type>session</type><listen>unix:tmpdir=" + Folder.Dir() +
                "</listen><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        Daemon.start("dbus-daemon", {"--nofork", "--print-address=1",
                                     "--config-file=" + QString::fromStdString(Folder.Dir() + "bus.conf")});
        if (Daemon.waitForReadyRead(10000))
            Address = QString::fromLatin1(Daemon.readLine().trimmed());
        qputenv("DBUS_SESSION_BUS_ADDRESS", Address.toLatin1());
    }
    ~TPrivateBus() { Daemon.kill(), Daemon.waitForFinished(); }

    TTempDir Folder;
    QProcess Daemon;
    QString Address;
};
