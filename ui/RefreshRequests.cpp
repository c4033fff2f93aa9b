// The window's answers to a shell's refresh requests.
#include "RefreshRequests.h"

#include "Application.h"
#include "SectionHistory.h"
#include "SourceCaptions.h"
#include "SourceRound.h"

#include <algorithm>

TRefreshRequests::TRefreshRequests(TSectionHistory* History, QObject* Parent)
    : QObject(Parent), FHistory(History)
{
}

void TRefreshRequests::Start(const QList<int>& Sources, const std::function<bool(int Source)>& Busy,
                             const TSingleInstance::TReplyFn& Reply, const TRefreshFn& Refresh)
{
    TRequest Request{Sources, {}, {}, Reply};
    if (Request.Sources.isEmpty())
        for (int Source = 0; Source < SourceCount; ++Source)
            Request.Sources << Source;
    std::sort(Request.Sources.begin(), Request.Sources.end());
    for (const int Source : Request.Sources)
        Request.Running[Source] = Busy(Source);
    try {
        Refresh(Request.Sources);
    } catch (...) {
        // The shell shows the reason; an error box would wait for a user who may not be there.
        return Reply({{}, TApplication::ErrorBoxText(std::current_exception()), 2});
    }
    // A download that ended while the refresh started was started anew: it is this request's own.
    for (auto& [Source, Running] : Request.Running)
        Running = Running && Busy(Source);
    FWaiting.push_back(std::move(Request));
    if (!Busy(-1))
        Idle();
}

void TRefreshRequests::Ended(const TRoundResult& Result)
{
    for (TRequest& Request : FWaiting)
        if (!Request.Answering && Request.Running.contains(Result.Source))
            Request.Outcomes[Result.Source] =
                TOutcome{Result.Failed() ? std::optional(Result.Reason) : std::nullopt, Result.Changed};
}

void TRefreshRequests::Completed(const TRoundResult& Result)
{
    // The passages against the version before, as the history stored them.
    if (!Result.Kept || !Result.Kept->Added.Error.isEmpty())
        return;
    for (TRequest& Request : FWaiting)
        if (std::optional<TOutcome>& Outcome = Request.Outcomes[Result.Source];
            Outcome && !Outcome->Failure) {
            Outcome->Added = static_cast<int>(Result.Kept->Added.New.size());
            Outcome->Removed = Result.Kept->Added.Removed;
        }
}

void TRefreshRequests::Idle()
{
    if (FWaiting.empty())
        return;
    // The requests waiting now are answered once the history has their versions; the counts of
    // those versions still reach them meanwhile.
    for (TRequest& Request : FWaiting)
        Request.Answering = true;
    FHistory->AfterPending([this] {
        const auto Answered = std::stable_partition(
            FWaiting.begin(), FWaiting.end(), [](const TRequest& Request) { return !Request.Answering; });
        std::vector<TRequest> Replies(std::make_move_iterator(Answered),
                                      std::make_move_iterator(FWaiting.end()));
        FWaiting.erase(Answered, FWaiting.end());
        for (const TRequest& Request : Replies)
            Request.Reply(ReplyTo(Request));
    });
}

TRefreshReply TRefreshRequests::ReplyTo(const TRequest& Request) const
{
    TRefreshReply Reply;
    // One's own sources are named as the sources file has them now; a broken file names them by
    // their ids.
    TSourcesFile Own;
    if (std::ranges::any_of(Request.Sources, IsOwnSource))
        try {
            Own = LoadSourcesFile(OwnSourcesFileName);
        } catch (const ESourcesFile&) {
        }
    for (const int Source : Request.Sources) {
        // A source whose download could not be started has no outcome.
        const auto Found = Request.Outcomes.find(Source);
        const TOutcome Outcome = Found != Request.Outcomes.end() && Found->second
                                     ? *Found->second
                                     : TOutcome{QStringLiteral("pobieranie nie ruszyło")};
        Reply.Lines << RefreshLine(QString::fromStdString(SourceCaption(Source, Own)), Outcome.Failure,
                                   Outcome.Changed, Outcome.Added, Outcome.Removed,
                                   Request.Running.at(Source));
        if (Outcome.Failure)
            Reply.ExitCode = 1;
    }
    return Reply;
}
