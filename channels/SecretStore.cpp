// The secret store over QtKeychain, whose jobs answer through the event loop, with the session's
// own store beside it.
#include "SecretStore.h"

#include <QEventLoop>
#include <QHash>
#include <QTimer>
#include <mutex>
#include <qt6keychain/keychain.h>

namespace {
const QString Service = QStringLiteral("Tickerwell");
// A Secret Service that has not answered by then is taken as none.
constexpr int AnswerWait = 15000;

std::mutex SessionMutex;
QHash<QString, QString>& Session()
{
    static QHash<QString, QString> Secrets;
    return Secrets;
}

const TSecretAnswer NoService{
    false, {}, true, QStringLiteral("brak usługi przechowywania haseł (Secret Service)")};

TSecretAnswer AnswerOf(const QKeychain::Job& Job, const QString& Secret)
{
    switch (Job.error()) {
    case QKeychain::NoError:
        return {true, Secret, false, {}};
    case QKeychain::EntryNotFound:
        return TSecretAnswer::None();
    case QKeychain::NoBackendAvailable:
        return NoService;
    default:
        // libsecret reports a bus without the service in its own words.
        if (Job.errorString().contains(QLatin1String("org.freedesktop.secrets")))
            return NoService;
        return {false, {}, false, QStringLiteral("przechowalnia haseł: %1").arg(Job.errorString())};
    }
}

// Runs Job and waits for its answer.
TSecretAnswer Wait(QKeychain::Job* Job, std::function<QString()> Secret)
{
    QEventLoop Loop;
    TSecretAnswer Answer{false, {}, true, QStringLiteral("usługa przechowywania haseł nie odpowiada")};
    QObject::connect(Job, &QKeychain::Job::finished, &Loop, [&] {
        Answer = AnswerOf(*Job, Secret());
        Loop.quit();
    });
    QTimer::singleShot(AnswerWait, &Loop, &QEventLoop::quit);
    Job->start();
    Loop.exec();
    return Answer;
}
} // namespace

void ReadSecret(const QString& Key, QObject* Context, std::function<void(const TSecretAnswer&)> Done)
{
    {
        std::lock_guard Lock(SessionMutex);
        if (const auto Found = Session().constFind(Key); Found != Session().constEnd()) {
            QMetaObject::invokeMethod(
                Context,
                [Done, Secret = *Found] {
                    Done({true, Secret, false, {}});
                },
                Qt::QueuedConnection);
            return;
        }
    }
    auto* Job = new QKeychain::ReadPasswordJob(Service);
    Job->setKey(Key);
    QObject::connect(Job, &QKeychain::Job::finished, Context,
                     [Job, Done] { Done(AnswerOf(*Job, Job->textData())); });
    Job->start();
}

TSecretAnswer ReadSecretNow(const QString& Key)
{
    {
        std::lock_guard Lock(SessionMutex);
        if (const auto Found = Session().constFind(Key); Found != Session().constEnd())
            return {true, *Found, false, {}};
    }
    auto* Job = new QKeychain::ReadPasswordJob(Service);
    Job->setKey(Key);
    return Wait(Job, [Job] { return Job->textData(); });
}

TSecretAnswer WriteSecretNow(const QString& Key, const QString& Secret)
{
    auto* Job = new QKeychain::WritePasswordJob(Service);
    Job->setKey(Key);
    Job->setTextData(Secret);
    return Wait(Job, [Secret] { return Secret; });
}

void KeepSecretForSession(const QString& Key, const QString& Secret)
{
    std::lock_guard Lock(SessionMutex);
    Session().insert(Key, Secret);
}

void RemoveSecretNow(const QString& Key)
{
    {
        std::lock_guard Lock(SessionMutex);
        Session().remove(Key);
    }
    auto* Job = new QKeychain::DeletePasswordJob(Service);
    Job->setKey(Key);
    Wait(Job, [] { return QString(); });
}
