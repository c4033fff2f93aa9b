// The single running copy per program folder, over QLocalServer and QLocalSocket.
#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <unistd.h>

namespace {
constexpr int ConnectTimeout = 2000;
} // namespace

QString TSingleInstance::ServerName(const QString& ProgramDir)
{
    const QByteArray Folder = QDir(ProgramDir).canonicalPath().toUtf8();
    return QStringLiteral("tickerwell-%1-%2")
        .arg(getuid())
        .arg(
            QString::fromLatin1(QCryptographicHash::hash(Folder, QCryptographicHash::Sha1).toHex().left(16)));
}

TSingleInstance::TSingleInstance(const QString& ProgramDir, QObject* Parent) : QObject(Parent)
{
    const QString Name = ServerName(ProgramDir);
    // Two copies starting at once take turns here, so that only one of them listens.
    QLockFile Lock(QDir::temp().filePath(Name + QStringLiteral(".lock")));
    Lock.lock();
    // The connection itself is the request to show the window.
    QLocalSocket Socket;
    Socket.connectToServer(Name);
    FHandedOver = Socket.waitForConnected(ConnectTimeout);
    if (FHandedOver)
        return;
    // Nobody answers: a socket file left by a crash would keep the server from listening.
    QLocalServer::removeServer(Name);
    Server = new QLocalServer(this);
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(Server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* Client = Server->nextPendingConnection()) {
            Client->deleteLater();
            emit Activated();
        }
    });
    // Without the socket the copy still runs, only without the guard.
    Server->listen(Name);
}
