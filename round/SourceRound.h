// TSourceRound: one source's round without widgets. It starts the download worker, builds the page,
// replaces the page file, hands the version to the history and gives one result per source, for the
// window, the settings dialog and the commands alike.
#pragma once

#include "DownloadOutcome.h"
#include "HistoryStore.h"
#include "RuleDecision.h"
#include "SourcePage.h"
#include "SourceTable.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class THistory;
class TSourcesFile;

// The most downloads of one's own sources that run at once; the rest wait their turn.
inline constexpr int MaxOwnDownloads = 8;
class TSciager;

// The rules of Source as File holds them; none when it sets none, for the index source, or when
// they cannot be compiled.
std::shared_ptr<const TRuleSet> RulesNow(const TSourcesFile& File, int Source);
// The same from zrodla.ini in the working directory, read anew at every call; none too when it
// cannot be read.
std::shared_ptr<const TRuleSet> RulesNow(int Source);

enum class TRoundMode : std::uint8_t
{
    Keep,    // download, build, write the page file and store the version
    Download // download and build only: nothing is written
};

// Source is the index of the source: 0 to 4 for the five, whose address and markers are bytes as
// dane.txt holds them; from 5 for one's own (id = index + 1), whose address and texts are UTF-8.
struct TRoundRequest
{
    int Source = 0;
    std::string Address;
    std::string StartMarker;
    std::string EndMarker;
    TRoundMode Mode = TRoundMode::Keep;
};

enum class TRoundOutcome : std::uint8_t
{
    Done,           // downloaded and built; in Keep mode the page file is written
    DownloadFailed, // the previous page file stays
    WriteFailed     // downloaded, but the page file could not be replaced; the previous one stays
};

// What the history made of the version: the passages new against the version before it (or against
// the passages the round was told to compare with) and the count of those gone.
struct TKeptVersion
{
    TAddResult Added;
    QStringList New;
    int Removed = 0;
    QString Trigger;        // the first trigger word found in New, as the rules list it
    QString TriggerPassage; // the passage of New holding it; empty when none does
    QStringList Triggers;   // the source's trigger words
};

struct TRoundResult
{
    int Source = 0;
    TRoundOutcome Outcome = TRoundOutcome::DownloadFailed;
    // Why the round failed, in Polish: the download's failure ("HTTP 404") or the page file that
    // could not be saved ("Nie można zapisać 2stormerfut.htm"); empty when it did not fail.
    QString Reason;
    // The page differs from the one it replaces (the index source: its quotes address does), outside
    // the text the source's rules ignore.
    bool Changed = false;
    // What the source's rules made of a change; none where they are not set or nothing changed.
    std::optional<TRuleDecision> Decision;
    TSourcePage Page;
    std::string PagePath;             // the page file, Keep mode
    TDownloadOutcome Download;        // how the transfer ended
    std::string Downloaded;           // Download mode: the page in line form
    std::string ContentType;          // Download mode: the response's Content-Type
    std::optional<TKeptVersion> Kept; // once the history has the version (Keep mode, page shown)

    bool Failed() const { return Outcome != TRoundOutcome::Done; }
    // A change the user is told of: not one the rules keep quiet.
    bool Notifies() const { return Changed && (!Decision || Decision->Verdict == TRuleVerdict::Notify); }
    // The failure as the tab's tooltip names it: "Błąd pobierania: HTTP 404", "Błąd zapisu: ...".
    QString Failure() const;
};

class TSourceRound : public QObject
{
    Q_OBJECT
public:
    using TDone = std::function<void(const TRoundResult&)>;

    // PageFolder gives the folder of the page files with its trailing slash, read at every round;
    // it also keys the history at HistoryPath, which is opened with the first stored version.
    explicit TSourceRound(std::function<std::string()> PageFolder = {}, QObject* Parent = nullptr,
                          QString HistoryPath = THistoryStore::DefaultPath());
    ~TSourceRound() override;

    // Starts the round of Request. Setup runs on the suspended worker first (its progress label and
    // ShowProgress stay the caller's). Ended runs on this thread as soon as the page file is written,
    // so the rounds end in the order their workers do; Done follows once the result is whole (after
    // the history has the version, where it gets one). Returns the started worker, valid until Ended
    // returns. Throws std::system_error when the worker's thread cannot start; neither callback then
    // runs.
    TSciager* Launch(const TRoundRequest& Request, const std::function<void(TSciager*)>& Setup, TDone Ended,
                     TDone Done = {});

    // Runs the rounds of Requests side by side in an event loop of its own and returns their whole
    // results in the order of Requests; at most MaxOwnDownloads of one's own sources at once. A worker
    // that cannot start fails its round.
    std::vector<TRoundResult> Run(const std::vector<TRoundRequest>& Requests);

    // The passages whose news a source's next version is counted against, asked for when its page
    // file is written; without it, or when it gives none, the version before it in the history.
    std::function<std::optional<QStringList>(int Source)> CompareWith;
    // Where set, gives a source's start and end markers when its download ends (the window reads
    // them anew at every refresh, also while a download is in flight); otherwise the request's.
    std::function<std::pair<std::string, std::string>(int Source)> MarkersAtEnd;

    // The history of this page folder, opened on first use.
    THistory& History();

private:
    void Complete(const TRoundRequest& Request, TSciager* Sender, const TDone& Ended, const TDone& Done);
    static void BuildOwnPage(const TRoundRequest& Request, const std::string& Start, const std::string& End,
                             TSciager* Sender, TRoundResult& Result);
    bool Write(TRoundResult& Result, const TRuleSet* Rules);
    void Keep(TRoundResult Result, const QString& Address, std::shared_ptr<const TRuleSet> Rules,
              const TDone& Done);

    std::function<std::string()> FPageFolder;
    QString FHistoryPath;
    THistory* FHistory = nullptr;
    // Read once per source: the page file found on disk before the first round, for the history's
    // baseline and the index source's previous quotes address.
    std::set<int> FPrepared;
    std::map<int, std::optional<TBaseline>> FBaseline;
    std::map<int, std::string> FQuotes;
};
