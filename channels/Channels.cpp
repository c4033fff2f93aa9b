// The channels' thread: secrets are looked up on the caller's thread, the sends run on the worker and
// their results come back to be kept.
#include "Channels.h"

#include "ChannelMessage.h"
#include "ChannelSender.h"
#include "SecretStore.h"

#include <QThread>
#include <functional>
#include <utility>

struct TChannels::TJob
{
    std::vector<TChannel> Channels;
    std::vector<TSecretAnswer> Secrets;
    TRefreshChanges Changes;
};

namespace {
// Sends Changes through Channel where its secret was read or it needs none; gives whether it went
// and the result as the settings keep it.
std::pair<bool, QString> SendOne(const TChannel& Channel, const TSecretAnswer& Secret,
                                 const TRefreshChanges& Changes, const std::atomic<bool>* Abort = nullptr)
{
    const TSendResult Result = Secret.Ok || !NeedsSecret(Channel)
                                   ? SendToChannel(Channel, Secret.Secret, Changes, Abort)
                                   : TSendResult{false, 0, QStringLiteral("brak hasła: ") + Secret.Error};
    return {Result.Sent, ResultText(Result, QDateTime::currentDateTime())};
}
} // namespace

std::vector<TChannelOutcome> SendNow(const TRefreshChanges& Changes)
{
    QSettings Settings = ChannelSettings();
    const std::vector<TChannel> Channels = LoadChannels(Settings);
    std::vector<TChannelOutcome> Outcomes;
    for (std::size_t I = 0; I < Channels.size(); ++I) {
        if (!Channels[I].On)
            continue;
        const auto [Sent, Text] = SendOne(
            Channels[I], TakesSecret(Channels[I]) ? ReadSecretNow(Channels[I].Key) : TSecretAnswer::None(),
            Changes);
        SaveLastResult(Settings, Channels[I].Key, Text);
        Outcomes.push_back({int(I) + 1, Channels[I], Sent, Text});
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
    if (!Changes.Sources.empty())
        Start([](const TChannel& Channel) { return Channel.On; }, Changes);
}

void TChannels::SendTest(const QString& Key)
{
    Start([&Key](const TChannel& Channel) { return Channel.Key == Key; }, TestChanges());
}

// Sends Changes through the channels of the settings that Wanted keeps, once their secrets are read.
void TChannels::Start(const std::function<bool(const TChannel&)>& Wanted, const TRefreshChanges& Changes)
{
    QSettings Settings = ChannelSettings();
    auto Job = std::make_shared<TJob>(TJob{LoadChannels(Settings), {}, Changes});
    std::erase_if(Job->Channels, std::not_fn(Wanted));
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
        Job->Secrets.push_back(TSecretAnswer::None());
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
            const auto [Sent, Text] = SendOne(Job->Channels[I], Job->Secrets[I], Job->Changes, &Abort);
            if (Abort)
                return;
            QMetaObject::invokeMethod(
                this,
                [this, Key = Job->Channels[I].Key, Sent, Text] {
                    QSettings Settings = ChannelSettings();
                    SaveLastResult(Settings, Key, Text);
                    emit Finished(Key, Sent, Text);
                },
                Qt::QueuedConnection);
        }
    });
}
