// SendToChannel: delivers one message to one channel over libcurl (HTTP POST for ntfy and webhooks,
// SMTP for e-mail), trying again after a growing pause when it fails.
#pragma once

#include "Channel.h"
#include "RefreshChanges.h"

#include <atomic>
#include <chrono>
#include <string>

struct TSendLimits
{
    std::chrono::milliseconds Connect{10000}; // name resolution and connecting
    std::chrono::milliseconds Whole{30000};   // one try, from connecting to the server's answer
    int Tries = 3;
    std::chrono::milliseconds Pause{2000}; // before the second try; doubles before each next one
};

struct TSendResult
{
    bool Sent = false;
    int Tries = 0;
    QString Reason; // why the last try failed, in Polish; empty when sent
};

// Limits of sends started afterwards, and the certificate authority their TLS is checked against
// (empty: the system's store). Seams for tests, which shorten the time-outs and trust their own CA;
// safe from any thread.
void SetDefaultSendLimits(const TSendLimits& Limits);
void SetChannelCaFile(const std::string& Path);

// Sends Changes through Channel with its Secret (empty for none). Blocks for as long as the tries
// take; Abort, when it turns true, ends a try and the pauses at once.
TSendResult SendToChannel(const TChannel& Channel, const QString& Secret, const TRefreshChanges& Changes,
                          const std::atomic<bool>* Abort = nullptr);

// "ostatnia wysyłka: w porządku, <time>" or "ostatnia wysyłka: błąd: <reason>, <time>".
QString ResultText(const TSendResult& Result, const QDateTime& Time);
