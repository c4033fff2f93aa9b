// TVirtualXServer: an X server of its own (Xvfb on a display it picks), for tests that drive a
// program with the mouse and must not meet other tests' windows.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

class TVirtualXServer
{
public:
    // Starts Xvfb and waits until it accepts clients; throws std::runtime_error when it cannot.
    TVirtualXServer();
    ~TVirtualXServer();

    const QString& Display() const { return FDisplay; }
    // The current environment with DISPLAY naming this server.
    QProcessEnvironment Environment() const;

private:
    QProcess Server;
    QString FDisplay;
};
