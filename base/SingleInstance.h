// TSingleInstance: one running copy per program folder. The first copy listens on a local socket
// named after its folder; a later start connects to it, asks it to show its window and ends.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    // Hands over to a copy already running from ProgramDir, or else becomes the one that listens,
    // replacing a socket that a crashed copy left behind.
    explicit TSingleInstance(const QString& ProgramDir, QObject* Parent = nullptr);

    // True when another copy runs from the same folder and has been asked to show itself.
    bool HandedOver() const { return FHandedOver; }

    // The socket's name for ProgramDir: one per user and folder.
    static QString ServerName(const QString& ProgramDir);

signals:
    // Another start from the same folder asks this copy to show its window.
    void Activated();

private:
    QLocalServer* Server = nullptr;
    bool FHandedOver = false;
};
