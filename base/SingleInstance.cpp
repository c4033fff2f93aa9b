// The single running copy per program folder, over QLocalServer and QLocalSocket. A connection
// closed without a word asks for the window, as every copy has always done; a refresh request is
// one QDataStream frame, and so is its reply.
#include "SingleInstance.h"


#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <unistd.h>

namespace {
constexpr int ConnectTimeout = 2000;
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;
const QString RefreshRequest = QStringLiteral("refresh");
// A request is a few bytes; a client that sends more is not one of ours.
constexpr qint64 LongestRequest = 4096;
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
        while (QLocalSocket* Client = Server->nextPendingConnection())
            Serve(Client);
    });
    // Without the socket the copy still runs, only without the guard.
    Server->listen(Name);
}

void TSingleInstance::Serve(QLocalSocket* Client)
{
    auto Stream = std::make_shared<QDataStream>(Client);
    Stream->setVersion(StreamVersion);
    auto Asked = std::make_shared<bool>(false);
    connect(Client, &QLocalSocket::disconnected, this, [this, Client, Asked] {
        Client->deleteLater();
        if (!*Asked)
            emit Activated();
    });
    connect(Client, &QLocalSocket::readyRead, this, [this, Client, Stream, Asked] {
        if (*Asked)
            return;
        Stream->startTransaction();
        QString Kind;
        QList<qint32> Numbers;
        *Stream >> Kind >> Numbers;
        if (!Stream->commitTransaction()) {
            if (Client->bytesAvailable() > LongestRequest)
                Client->abort();
            return;
        }
        *Asked = true;
        if (Kind != RefreshRequest) {
            Client->abort();
            return;
        }
        QList<int> Sources;
        for (const qint32 Source : Numbers)
            if (Source >= 0 && !Sources.contains(Source))
                Sources << Source;
        const QPointer<QLocalSocket> Asker(Client);
        emit RefreshRequested(Sources, [Asker](const TRefreshReply& Reply) {
            if (!Asker)
                return;
            QDataStream Out(Asker.data());
            Out.setVersion(StreamVersion);
            Out << Reply.Lines << Reply.Error << qint32(Reply.ExitCode);
            Asker->disconnectFromServer();
        });
    });
}

std::optional<TRefreshReply> TSingleInstance::RequestRefresh(const QString& ProgramDir,
                                                             const QList<int>& Sources, int Wait)
{
    QLocalSocket Socket;
    Socket.connectToServer(ServerName(ProgramDir));
    if (!Socket.waitForConnected(ConnectTimeout))
        return std::nullopt;
    QDataStream Stream(&Socket);
    Stream.setVersion(StreamVersion);
    Stream << RefreshRequest << QList<qint32>(Sources.begin(), Sources.end());
    const QDeadlineTimer Deadline(Wait);
    TRefreshReply Reply;
    qint32 ExitCode = 0;
    Socket.waitForBytesWritten(ConnectTimeout);
    for (;;) {
        Stream.startTransaction();
        Stream >> Reply.Lines >> Reply.Error >> ExitCode;
        if (Stream.commitTransaction()) {
            Reply.ExitCode = ExitCode;
            return Reply;
        }
        if (!Socket.waitForReadyRead(static_cast<int>(Deadline.remainingTime())))
            break;
    }
    return TRefreshReply{{},
                         Deadline.hasExpired()
                             ? QStringLiteral("okno programu nie skończyło odświeżania w czasie")
                             : QStringLiteral("okno programu nie odpowiedziało na prośbę o odświeżenie"),
                         1};
}
