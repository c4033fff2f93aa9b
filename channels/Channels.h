// TChannels: tells one refresh's changes to every channel that is on, one message per channel, on a
// thread of its own so that no send holds up the window or a refresh; keeps each channel's last
// result in the settings.
#pragma once

#include "Channel.h"
#include "RefreshChanges.h"

#include <QObject>
#include <atomic>
#include <vector>

class QThread;

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
    void ReadSecrets(std::shared_ptr<TJob> Job);
    void Deliver(std::shared_ptr<TJob> Job);

    QThread* Thread;
    QObject* Worker;
    std::atomic<bool> Abort{false};
};
