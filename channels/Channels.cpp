// The channels' thread: secrets are looked up on the caller's thread, the sends run on the worker and
// their results come back to be kept.
#include "Channels.h"

#include "ChannelMessage.h"
#include "ChannelSender.h"
#include "SecretStore.h"

#include <QThread>

struct TChannels::TJob
{
    std::vector<TChannel> Channels;
    std::vector<TSecretAnswer> Secrets;
    TRefreshChanges Changes;
};

std::vector<TChannelOutcome> SendNow(const TRefreshChanges& Changes)
{
    QSettings Settings = ChannelSettings();
    const std::vector<TChannel> Channels = LoadChannels(Settings);
    std::vector<TChannelOutcome> Outcomes;
    for (std::size_t I = 0; I < Channels.size(); ++I) {
        if (!Channels[I].On)
            continue;
        const TSecretAnswer Secret =
            TakesSecret(Channels[I]) ? ReadSecretNow(Channels[I].Key) : TSecretAnswer{true, {}, false, {}};
        const TSendResult Result = Secret.Ok || !NeedsSecret(Channels[I])
                                       ? SendToChannel(Channels[I], Secret.Secret, Changes)
                                       : TSendResult{false, 0, QStringLiteral("brak hasła: ") + Secret.Error};
        const QString Text = ResultText(Result, QDateTime::currentDateTime());
        SaveLastResult(Settings, Channels[I].Key, Text);
        Outcomes.push_back({int(I) + 1, Channels[I], Result.Sent, Text});
    }
    return Outcomes;
}

TChannels::TChannels(QObject* Parent) : QObject(Parent), Thread(new QThread(this)), Worker(new QObject)
{
    Worker->moveToThread(Thread);
    connect(Thread, &QThread::finished, Worker, &QObject::deleteLater);
}

TChannels::~TChannels()
{
    Abort = true;
    Thread->quit();
    Thread->wait();
    // A thread that never ran never hands the worker over for deletion.
    if (!Thread->isFinished())
        delete Worker;
}

void TChannels::Send(const TRefreshChanges& Changes)
{
    if (Changes.Sources.empty())
        return;
    QSettings Settings = ChannelSettings();
    auto Job = std::make_shared<TJob>(TJob{LoadChannels(Settings), {}, Changes});
    std::erase_if(Job->Channels, [](const TChannel& Channel) { return !Channel.On; });
    if (!Job->Channels.empty())
        ReadSecrets(Job);
}

void TChannels::SendTest(const QString& Key)
{
    QSettings Settings = ChannelSettings();
    auto Job = std::make_shared<TJob>(TJob{LoadChannels(Settings), {}, TestChanges()});
    std::erase_if(Job->Channels, [&](const TChannel& Channel) { return Channel.Key != Key; });
    if (!Job->Channels.empty())
        ReadSecrets(Job);
}

// One channel after the other, so that the Secret Service sees one question at a time.
void TChannels::ReadSecrets(std::shared_ptr<TJob> Job)
{
    if (Job->Secrets.size() == Job->Channels.size())
        return Deliver(Job);
    const TChannel& Channel = Job->Channels[Job->Secrets.size()];
    if (!TakesSecret(Channel)) {
        Job->Secrets.push_back({true, {}, false, {}});
        return ReadSecrets(Job);
    }
    ReadSecret(Channel.Key, this, [this, Job](const TSecretAnswer& Answer) {
        Job->Secrets.push_back(Answer);
        ReadSecrets(Job);
    });
}

void TChannels::Deliver(std::shared_ptr<TJob> Job)
{
    if (!Thread->isRunning())
        Thread->start();
    QMetaObject::invokeMethod(Worker, [this, Job] {
        for (std::size_t I = 0; I < Job->Channels.size() && !Abort; ++I) {
            const TSecretAnswer& Secret = Job->Secrets[I];
            TSendResult Result{false, 0, QStringLiteral("brak hasła: ") + Secret.Error};
            if (Secret.Ok || !NeedsSecret(Job->Channels[I]))
                Result = SendToChannel(Job->Channels[I], Secret.Secret, Job->Changes, &Abort);
            if (Abort)
                return;
            const QString Text = ResultText(Result, QDateTime::currentDateTime());
            QMetaObject::invokeMethod(
                this,
                [this, Key = Job->Channels[I].Key, Sent = Result.Sent, Text] {
                    QSettings Settings = ChannelSettings();
                    SaveLastResult(Settings, Key, Text);
                    emit Finished(Key, Sent, Text);
                },
                Qt::QueuedConnection);
        }
    });
}
