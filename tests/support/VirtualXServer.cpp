// A private virtual X server for tests.
#include "VirtualXServer.h"

#include <stdexcept>

TVirtualXServer::TVirtualXServer()
{
    // With -displayfd Xvfb picks a free display and writes its number once it accepts clients.
    Server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp")});
    if (!Server.waitForStarted(10000))
        throw std::runtime_error("Xvfb did not start");
    while (!Server.canReadLine() && Server.waitForReadyRead(30000)) {
    }
    const QString Number = QString::fromLatin1(Server.readLine()).trimmed();
    if (Number.isEmpty())
        throw std::runtime_error("Xvfb did not report its display");
    FDisplay = QLatin1Char(':') + Number;
}

TVirtualXServer::~TVirtualXServer()
{
    Server.terminate();
    Server.waitForFinished(5000);
}

QProcessEnvironment TVirtualXServer::Environment() const
{
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert(QStringLiteral("DISPLAY"), FDisplay);
    return Environment;
}
