// One source's round: worker, page, page file and history, and the wait for a set of rounds.
#include "SourceRound.h"

#include "History.h"
#include "OwnSources.h"
#include "PageFile.h"
#include "PageWorker.h"
#include "PassageDiff.h"
#include "Passages.h"
#include "ProgramSettings.h"
#include "Sciager.h"
#include "SourceCaptions.h"
#include "SourceRules.h"
#include "TextPage.h"
#include "TextRoutines.h"
#include "Windows1250.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <deque>
#include <memory>
#include <system_error>

namespace {
// The rules' verdict on a page file's change, from the passages of the file it replaced: a change
// that only touches ignored text is none.
void Decide(TRoundResult& Result, const TRuleSet& Rules, const QByteArray& Before)
{
    Result.Decision = DecideChange(PagePassages(std::string_view(Before.data(), Before.size())),
                                   PagePassages(Result.Page.FileBytes), Rules);
    Result.Changed = Result.Decision->Verdict != TRuleVerdict::NoChange;
}
} // namespace

std::shared_ptr<const TRuleSet> RulesNow(const TSourcesFile& File, int Source)
{
    if (Source == IndexSource)
        return nullptr;
    try {
        const TSourceRules Rules = RulesOf(File, Source + 1);
        // Without rules every change counts and notifies, as it always has.
        if (Rules == TSourceRules{})
            return nullptr;
        return std::make_shared<const TRuleSet>(Rules);
    } catch (const TRuleError& Error) {
        qWarning("tickerwell: %s: %s", qUtf8Printable(Error.Pattern), qUtf8Printable(Error.Error));
    }
    return nullptr;
}

std::shared_ptr<const TRuleSet> RulesNow(int Source)
{
    if (Source == IndexSource)
        return nullptr;
    try {
        return RulesNow(LoadSourcesFile(OwnSourcesFileName), Source);
    } catch (const ESourcesFile& Error) {
        qWarning("tickerwell: %s", Error.what());
    }
    return nullptr;
}

QString TRoundResult::Failure() const
{
    switch (Outcome) {
    case TRoundOutcome::Done:
        break;
    case TRoundOutcome::DownloadFailed:
        return QStringLiteral("Błąd pobierania: ") + Reason;
    case TRoundOutcome::WriteFailed:
        return QStringLiteral("Błąd zapisu: ") + Reason;
    }
    return {};
}

TSourceRound::TSourceRound(std::function<std::string()> PageFolder, QObject* Parent, QString HistoryPath)
    : QObject(Parent), FPageFolder(std::move(PageFolder)), FHistoryPath(std::move(HistoryPath))
{
}

TSourceRound::~TSourceRound() = default;

THistory& TSourceRound::History()
{
    if (!FHistory)
        FHistory = new THistory(FHistoryPath, QFile::decodeName(FPageFolder().c_str()), this);
    return *FHistory;
}

TSciager* TSourceRound::Launch(const TRoundRequest& Request, const std::function<void(TSciager*)>& Setup,
                               TDone Ended, TDone Done)
{
    TSciager* Worker = NewPageWorker(Request.Address);
    if (Setup)
        Setup(Worker);
    // A round whose owner has gone meanwhile lets its worker end unheard.
    Worker->OnTerminate = [Self = QPointer(this), Request, Ended = std::move(Ended),
                           Done = std::move(Done)](TSciager* Sender) {
        if (Self)
            Self->Complete(Request, Sender, Ended, Done);
    };
    try {
        Worker->Start();
    } catch (const std::system_error&) {
        delete Worker;
        throw;
    }
    return Worker;
}

void TSourceRound::Complete(const TRoundRequest& Request, TSciager* Sender, const TDone& Ended,
                            const TDone& Done)
{
    TRoundResult Result;
    Result.Source = Request.Source;
    Result.Download = Sender->Outcome();
    if (!Sender->Success()) {
        Result.Reason = QString::fromStdString(DescribeFailure(Result.Download));
    } else {
        Result.Outcome = TRoundOutcome::Done;
        const auto [Start, End] =
            MarkersAtEnd ? MarkersAtEnd(Request.Source) : std::pair{Request.StartMarker, Request.EndMarker};
        if (IsOwnSource(Request.Source))
            BuildOwnPage(Request, Start, End, Sender, Result);
        else
            Result.Page = BuildSourcePage(Request.Source, Sender->ResultText(), Start, End);
        if (Request.Mode == TRoundMode::Download) {
            Result.Downloaded = NormalizeLines(Sender->ResultText());
            Result.ContentType = Sender->ContentType();
        }
    }
    // Read at every refresh, as the configuration is.
    const std::shared_ptr<const TRuleSet> Rules =
        !Result.Failed() && Request.Mode == TRoundMode::Keep ? RulesNow(Request.Source) : nullptr;
    const bool Keeps = !Result.Failed() && Request.Mode == TRoundMode::Keep && Write(Result, Rules.get());
    // The version goes to the history before Ended runs, so that a wait for the history asked for
    // there (a refresh's end) covers it.
    if (Keeps)
        Keep(Result,
             IsOwnSource(Request.Source) ? QString::fromStdString(Request.Address)
                                         : FromWindows1250(Request.Address),
             Rules, Done);
    if (Ended)
        Ended(Result);
    if (!Keeps && Done)
        Done(Result);
}

// The page of a source of one's own, decoded by its charset and cut between its texts. A text not
// found fails the round with its reason, so that the last good page file stays.
void TSourceRound::BuildOwnPage(const TRoundRequest& Request, const std::string& Start,
                                const std::string& End, TSciager* Sender, TRoundResult& Result)
{
    TTextPage Page = BuildTextPage(Sender->ResultText(), Sender->ContentType(), Request.Address, Start, End);
    if (!Page.Failure.empty()) {
        Result.Outcome = TRoundOutcome::DownloadFailed;
        Result.Reason = QString::fromStdString(Page.Failure);
    }
    Result.Page.FileBytes = std::move(Page.FileBytes);
    Result.Page.Fragment = std::move(Page.Fragment);
    Result.Page.Markers = Page.Texts;
}

// Replaces the page file: the fragment page, or the index page unless it came empty. False, with the
// reason, when it cannot be saved. The bytes written are the page's whatever the rules say.
bool TSourceRound::Write(TRoundResult& Result, const TRuleSet* Rules)
{
    const int Source = Result.Source;
    const std::string FileName = SourcePageFileName(Source);
    Result.PagePath = FPageFolder() + FileName;
    if (FPrepared.insert(Source).second) {
        QFile File(QFile::decodeName(Result.PagePath.c_str()));
        if (File.open(QIODevice::ReadOnly)) {
            QByteArray Bytes = File.readAll();
            if (Source == IndexSource) {
                FQuotes[Source] = BuildSourcePage(Source, Bytes.toStdString(), {}, {}).QuotesAddress;
                Bytes = QByteArray::fromStdString(FQuotes[Source]);
            }
            FBaseline[Source] = TBaseline{Bytes, QFileInfo(File).lastModified().toSecsSinceEpoch()};
        }
    }
    try {
        if (Source != IndexSource) {
            QFile Previous(QFile::decodeName(Result.PagePath.c_str()));
            const QByteArray Before =
                Rules && Previous.open(QIODevice::ReadOnly) ? Previous.readAll() : QByteArray();
            Result.Changed = WritePageFile(Result.PagePath, Result.Page.FileBytes);
            if (Result.Changed && Rules)
                Decide(Result, *Rules, Before);
            return true;
        }
        if (!Result.Page.FileBytes.empty())
            WritePageFile(Result.PagePath, Result.Page.FileBytes);
    } catch (const std::system_error&) {
        Result.Outcome = TRoundOutcome::WriteFailed;
        Result.Reason = QStringLiteral("Nie można zapisać ") + QString::fromStdString(FileName);
        return false;
    }
    std::string& Previous = FQuotes[Source];
    Result.Changed = !Previous.empty() && Previous != Result.Page.QuotesAddress;
    Previous = Result.Page.QuotesAddress;
    return true;
}

// Stores the version off this thread (the index source's version is its quotes address), with the
// source's address for the feed of changes, and counts its news, then runs Done with the whole result.
// An ignored-only change stores no version; the news counted leave ignored text out.
void TSourceRound::Keep(TRoundResult Result, const QString& Address, std::shared_ptr<const TRuleSet> Rules,
                        const TDone& Done)
{
    const int Source = Result.Source;
    std::optional<TBaseline> Baseline = std::exchange(FBaseline[Source], std::nullopt);
    const std::optional<QStringList> Since = CompareWith ? CompareWith(Source) : std::nullopt;
    const QByteArray Version =
        QByteArray::fromStdString(Source == IndexSource ? Result.Page.QuotesAddress : Result.Page.FileBytes);
    // Read at every version, so that a change in the settings holds from the next one on.
    const int Days = HistoryDays();
    auto Shared = std::make_shared<TRoundResult>(std::move(Result));
    History().Run<TKeptVersion>(
        [Source, Version, Baseline = std::move(Baseline), Since, Days, Address, Rules](THistoryStore& Store) {
            Store.SetKeepDays(Days);
            // The rules' decision on the change last compared, for its trigger word.
            TRuleDecision Decision;
            std::function<TPassageChange(const QStringList&, const QStringList&)> Compare;
            if (Rules)
                Compare = [&Rules, &Decision](const QStringList& Previous, const QStringList& New) {
                    Decision = DecideChange(Previous, New, *Rules);
                    return TPassageChange{Decision.Added, Decision.Removed};
                };
            TKeptVersion Kept{
                Store.Add(Source, Version, QDateTime::currentSecsSinceEpoch(), Baseline, Address, Compare)};
            if (Rules)
                Kept.Triggers = Rules->Words();
            // The history compared the version with the one before it already; a first version, or
            // one the history could not compare, has nothing to be new against.
            if (Since) {
                const TPassageChange Change = Compare ? Compare(*Since, Kept.Added.Passages)
                                                      : ComparePassages(*Since, Kept.Added.Passages);
                Kept.New = Change.Added;
                Kept.Removed = Change.Removed;
            } else if (!Kept.Added.First && Kept.Added.Error.isEmpty()) {
                Kept.New = Kept.Added.New;
                Kept.Removed = Kept.Added.Removed;
            } else {
                return Kept;
            }
            Kept.Trigger = Decision.Trigger;
            Kept.TriggerPassage = Decision.TriggerPassage;
            return Kept;
        },
        [Shared, Done](TKeptVersion Kept) {
            Shared->Kept = std::move(Kept);
            if (Done)
                Done(*Shared);
        });
}

std::vector<TRoundResult> TSourceRound::Run(const std::vector<TRoundRequest>& Requests)
{
    std::vector<TRoundResult> Results(Requests.size());
    std::size_t Pending = Requests.size();
    // One's own sources beyond MaxOwnDownloads wait for a running one to end.
    std::deque<std::size_t> Waiting;
    int OwnRunning = 0;
    QEventLoop Loop;
    std::function<void(std::size_t)> Start;
    const auto Finish = [&](bool Own) {
        OwnRunning -= Own ? 1 : 0;
        while (OwnRunning < MaxOwnDownloads && !Waiting.empty()) {
            const std::size_t Next = Waiting.front();
            Waiting.pop_front();
            Start(Next);
        }
        if (--Pending == 0)
            Loop.quit();
    };
    Start = [&](std::size_t Index) {
        TRoundResult& Slot = Results[Index];
        Slot.Source = Requests[Index].Source;
        const bool Own = IsOwnSource(Slot.Source);
        if (Own && OwnRunning >= MaxOwnDownloads) {
            Waiting.push_back(Index);
            return;
        }
        OwnRunning += Own ? 1 : 0;
        try {
            Launch(Requests[Index], {}, {}, [&Slot, &Finish, Own](const TRoundResult& Result) {
                Slot = Result;
                Finish(Own);
            });
        } catch (const std::system_error& Error) {
            Slot.Download = {.Failure = TFailure::Other, .Detail = Error.what()};
            Slot.Reason = QString::fromStdString(DescribeFailure(Slot.Download));
            Finish(Own);
        }
    };
    for (std::size_t Index = 0; Index < Requests.size(); ++Index)
        Start(Index);
    if (Pending > 0)
        Loop.exec();
    return Results;
}
