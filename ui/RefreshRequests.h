// TRefreshRequests: refreshes that a shell asked the window for (`tickerwell --refresh-once` while
// the window runs): the sources each one waits for, their outcomes, and the reply once the window's
// refresh has ended, with the history's counts of new and removed passages.
#pragma once

#include "SingleInstance.h"
#include "SourceTable.h"

#include <QList>
#include <QObject>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class TSectionHistory;
class TSourceWatch;

class TRefreshRequests : public QObject
{
    Q_OBJECT
public:
    // Watch reports each source's attempts and the end of a refresh; History counts the passages.
    TRefreshRequests(TSourceWatch* Watch, TSectionHistory* History, QObject* Parent);

    using TRefreshFn = std::function<void(const std::array<bool, SourceCount>& Chosen)>;

    // Runs Refresh for Sources (every source when empty), which starts the chosen sources that
    // Busy, the window's flags, shows idle; throws when it cannot start. Reply gets one line per
    // source once every source is idle again: those downloading already say so. A refresh that
    // cannot start replies at once with its reason and status 2.
    void Start(const QList<int>& Sources, const std::array<bool, SourceCount>& Busy,
               const TSingleInstance::TReplyFn& Reply, const TRefreshFn& Refresh);
    // Every source is idle: the requests waiting get their lines once the history has stored what
    // the refresh showed.
    void Idle();

private:
    struct TOutcome
    {
        QString Failure;
        bool Changed = false;
    };
    struct TRequest
    {
        QList<int> Sources;
        std::array<bool, SourceCount> Running{};
        std::array<std::optional<TOutcome>, SourceCount> Outcomes;
        TSingleInstance::TReplyFn Reply;
    };

    void Attempted(int Source, bool Changed);
    TRefreshReply ReplyTo(const TRequest& Request) const;

    TSourceWatch* FWatch;
    TSectionHistory* FHistory;
    std::vector<TRequest> FWaiting;
};
