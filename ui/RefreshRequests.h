// TRefreshRequests: refreshes that a shell asked the window for (`tickerwell --refresh-once` while
// the window runs): the sources each one waits for, their rounds' results, and the reply once the
// window's refresh has ended and the history has every version.
#pragma once

#include "SingleInstance.h"
#include "SourceTable.h"

#include <QList>
#include <QObject>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class TSectionHistory;
struct TRoundResult;

class TRefreshRequests : public QObject
{
    Q_OBJECT
public:
    // History tells when every version handed over is stored.
    TRefreshRequests(TSectionHistory* History, QObject* Parent);

    using TRefreshFn = std::function<void(const QList<int>& Chosen)>;

    // Runs Refresh for Sources (the five when empty; one's own by their indexes), which starts the
    // chosen sources that Busy shows idle; throws when it cannot start. Reply gets one line per
    // source once every source is idle again (Idle): those downloading already say so. A refresh that
    // cannot start replies at once with its reason and status 2.
    void Start(const QList<int>& Sources, const std::function<bool(int Source)>& Busy,
               const TSingleInstance::TReplyFn& Reply, const TRefreshFn& Refresh);
    // A source's round has ended (its page file written or not): the requests waiting take its
    // outcome; Completed adds the history's counts once the round is whole. A round that ended
    // before a request came may complete after it, and its counts are then replaced by those of the
    // request's own round, which completes later.
    void Ended(const TRoundResult& Result);
    void Completed(const TRoundResult& Result);
    // Every source is idle: the requests waiting get their lines once the history has stored what
    // the refresh showed.
    void Idle();

private:
    struct TOutcome
    {
        std::optional<QString> Failure; // set when the round failed, even without a reason
        bool Changed = false;
        int Added = 0;
        int Removed = 0;
    };
    struct TRequest
    {
        QList<int> Sources;
        std::map<int, bool> Running;                     // by source index
        std::map<int, std::optional<TOutcome>> Outcomes; // by source index
        TSingleInstance::TReplyFn Reply;
        bool Answering = false; // every source was idle: the reply waits for the history only
    };

    TRefreshReply ReplyTo(const TRequest& Request) const;

    TSectionHistory* FHistory;
    std::vector<TRequest> FWaiting;
};
