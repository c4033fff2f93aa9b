// The window's answers to a shell's refresh requests.
#include "RefreshRequests.h"

#include "Application.h"
#include "SectionHistory.h"
#include "SourceWatch.h"

#include <algorithm>

TRefreshRequests::TRefreshRequests(TSourceWatch* Watch, TSectionHistory* History, QObject* Parent)
    : QObject(Parent), FWatch(Watch), FHistory(History)
{
    connect(Watch, &TSourceWatch::Attempted, this, &TRefreshRequests::Attempted);
}

void TRefreshRequests::Start(const QList<int>& Sources, const std::array<bool, SourceCount>& Busy,
                             const TSingleInstance::TReplyFn& Reply, const TRefreshFn& Refresh)
{
    TRequest Request{Sources, Busy, {}, Reply};
    std::array<bool, SourceCount> Chosen{};
    if (Request.Sources.isEmpty())
        for (int Source = 0; Source < SourceCount; ++Source)
            Request.Sources << Source;
    std::sort(Request.Sources.begin(), Request.Sources.end());
    for (const int Source : Request.Sources)
        Chosen[Source] = true;
    try {
        Refresh(Chosen);
    } catch (...) {
        // The shell shows the reason; an error box would wait for a user who may not be there.
        return Reply({{}, TApplication::ErrorBoxText(std::current_exception()), 2});
    }
    // A download that ended while the refresh started was started anew: it is this request's own.
    for (int Source = 0; Source < SourceCount; ++Source)
        Request.Running[Source] = Request.Running[Source] && Busy[Source];
    FWaiting.push_back(std::move(Request));
    if (std::none_of(Busy.begin(), Busy.end(), [](bool Flag) { return Flag; }))
        Idle();
}

void TRefreshRequests::Attempted(int Source, bool Changed)
{
    for (TRequest& Request : FWaiting)
        Request.Outcomes[Source] = TOutcome{FWatch->State(Source).Failure, Changed};
}

void TRefreshRequests::Idle()
{
    if (FWaiting.empty())
        return;
    FHistory->AfterPending([this, Answered = std::exchange(FWaiting, {})] {
        for (const TRequest& Request : Answered)
            Request.Reply(ReplyTo(Request));
    });
}

TRefreshReply TRefreshRequests::ReplyTo(const TRequest& Request) const
{
    TRefreshReply Reply;
    for (const int Source : Request.Sources) {
        // A source whose download could not be started has no outcome.
        TOutcome Outcome =
            Request.Outcomes[Source].value_or(TOutcome{QStringLiteral(": pobieranie nie ruszyło")});
        // The tooltip's text names the kind of failure first ("Błąd pobierania: HTTP 404"); the
        // line says "błąd: " itself.
        Outcome.Failure = Outcome.Failure.section(QStringLiteral(": "), 1);
        const auto [Added, Removed] = Outcome.Changed ? FHistory->StoredChange(Source) : std::pair(0, 0);
        Reply.Lines << RefreshLine(Source, Outcome.Failure, Outcome.Changed, Added, Removed,
                                   Request.Running[Source]);
        if (!Outcome.Failure.isEmpty())
            Reply.ExitCode = 1;
    }
    return Reply;
}
