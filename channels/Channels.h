// TChannels: tells one refresh's changes to every channel that is on, one message per channel, on a
// thread of its own so that no send holds up the window or a refresh; keeps each channel's last
// result in the settings.
#pragma once

#include "Channel.h"
#include "RefreshChanges.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QThread;

// What one channel's send came to, for a caller that waits.
struct TChannelOutcome
{
    int Number; // the channel's place in the list, from 1
    TChannel Channel;
    bool Sent;
    QString Result; // "ostatnia wysyłka: ...", already kept in the settings
};

// Sends Changes through every channel of the settings that is on, one after the other, and waits:
// for a run without a window, which must not end before its messages are out.
std::vector<TChannelOutcome> SendNow(const TRefreshChanges& Changes);

class TChannels : public QObject
{
    Q_OBJECT
public:
    explicit TChannels(QObject* Parent = nullptr);
    // Ends a send in progress at once; its channel keeps the result it had.
    ~TChannels() override;

    // Sends Changes through every channel of the settings that is on; nothing when none changed.
    void Send(const TRefreshChanges& Changes);
    // Sends a test message through the channel with Key, whether it is on or not.
    void SendTest(const QString& Key);

signals:
    // The send through the channel with Key ended; Result ("ostatnia wysyłka: ...") is already kept.
    void Finished(const QString& Key, bool Sent, const QString& Result);

private:
    struct TJob;
    void Start(const std::function<bool(const TChannel&)>& Wanted, const TRefreshChanges& Changes);
    void ReadSecrets(std::shared_ptr<TJob> Job);
    void Deliver(std::shared_ptr<TJob> Job);

    QThread* Thread;
    QObject* Worker;
    std::atomic<bool> Abort{false};
};
