// tickerwell --refresh-once: one refresh without a window, for cron and timers. It reads dane.txt in
// the working directory as a refresh does, runs the rounds of every source or of the sources named,
// writes the page files to the page folder, stores the versions in its history, prints one line per
// source and tells the notification channels; or it hands the refresh to the window running from the
// same page folder.
#include "Channels.h"
#include "Commands.h"
#include "Configuration.h"
#include "PageFolder.h"
#include "RefreshHandOver.h"
#include "RefreshReply.h"
#include "SourceCaptions.h"
#include "SourceRound.h"
#include "Windows1250.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {
// A round whose change the desktop would be told of: its section changed and holds new passages, and
// the source's rules let it notify.
bool Notifies(const TRoundResult& Result)
{
    return Result.Notifies() && Result.Kept && !Result.Kept->New.isEmpty();
}

// The refresh's changes go out as one message per channel that is on. Sending waits, so that the
// process does not end before its messages are out; a failed send is named and the exit status
// stays the rounds'.
void TellChannels(const std::vector<TRoundResult>& Results, const TSourceValues& Five,
                  const TSourcesFile& Own)
{
    TRefreshChanges Changes{QDateTime::currentDateTime(), {}};
    for (const TRoundResult& Result : Results)
        if (Notifies(Result))
            Changes.Sources.push_back(
                {Result.Source + 1, QString::fromStdString(SourceCaption(Result.Source, Own)),
                 // dane.txt is in Windows-1250, the sources file in UTF-8.
                 IsOwnSource(Result.Source)
                     ? QString::fromStdString(Own.Source(Result.Source + 1)->Address)
                     : FromWindows1250(Five[Result.Source][static_cast<int>(TConfigField::Address)]),
                 Result.Kept->New, Result.Kept->Removed, Result.Kept->Trigger});
    if (Changes.Sources.empty())
        return;
    for (const TChannelOutcome& Outcome : SendNow(Changes))
        if (!Outcome.Sent)
            Print(stderr, QStringLiteral("tickerwell: kanał %1 (%2 %3): %4\n")
                              .arg(Outcome.Number)
                              .arg(KindName(Outcome.Channel.Kind), Outcome.Channel.Address, Outcome.Result));
}

// The sources named by their ids (1-5 in tab order, then one's own in Own) as source indexes in order,
// each once; the five and one's own that are on when Numbers is empty; nullopt when one is no such id.
std::optional<std::vector<int>> RefreshSources(const QStringList& Numbers, const TSourcesFile& Own)
{
    std::vector<int> Sources;
    for (const QString& Number : Numbers) {
        const int Id = SourceIdArgument(Number);
        if (Id < 1 || (IsOwnSource(Id - 1) && !Own.Source(Id)))
            return std::nullopt;
        Sources.push_back(Id - 1);
    }
    if (Numbers.isEmpty()) {
        for (int Source = 0; Source < SourceCount; ++Source)
            Sources.push_back(Source);
        for (const TOwnSource& Source : Own.Sources())
            if (Source.On)
                Sources.push_back(Source.Id - 1);
    }
    std::ranges::sort(Sources);
    Sources.erase(std::unique(Sources.begin(), Sources.end()), Sources.end());
    return Sources;
}

// The working directory's sources file; a broken one is named on standard error and holds none, so
// that the five still refresh.
TSourcesFile ReadOwnSources()
{
    try {
        return LoadSourcesFile(OwnSourcesFileName);
    } catch (const ESourcesFile& Error) {
        Print(stderr,
              QString::fromUtf8(Error.what()) + QStringLiteral("; odświeżam tylko pięć stałych źródeł\n"));
        return {};
    }
}

// The line of one source's round, without its line end, in UTF-8.
std::string RoundLine(const TRoundResult& Result, const TSourcesFile& Own)
{
    return RefreshLine(QString::fromStdString(SourceCaption(Result.Source, Own)),
                       Result.Failed() ? std::optional(Result.Reason) : std::nullopt, Result.Changed,
                       Result.Kept ? static_cast<int>(Result.Kept->New.size()) : 0,
                       Result.Kept ? Result.Kept->Removed : 0)
        .toStdString();
}

// 0 when every round downloaded and saved its page, 1 when any failed.
int RoundsStatus(const std::vector<TRoundResult>& Results)
{
    return std::ranges::any_of(Results, &TRoundResult::Failed) ? 1 : 0;
}

// Runs the rounds of Sources and prints their lines on standard output, in UTF-8 whatever the locale,
// so that scripts read the same bytes everywhere, then sends the changes with new passages through the
// notification channels. Returns RoundsStatus, or 2 when dane.txt cannot be read.
int RunRefreshOnce(const std::vector<int>& Sources, const TSourcesFile& Own)
{
    TSourceValues Five;
    // dane.txt holds the five: a refresh of one's own sources alone does without it.
    try {
        if (std::ranges::any_of(Sources, [](int Source) { return !IsOwnSource(Source); }))
            ReadSourceValues(ConfigurationFileName, Five);
    } catch (const EInOutError& Error) {
        return ConfigurationReadError(ConfigurationFileName, Error);
    }
    ErrorBoxesToStandardError();

    std::vector<TRoundRequest> Requests;
    for (const int Source : Sources)
        if (!IsOwnSource(Source)) {
            const auto& [Address, StartMarker, EndMarker] = Five[Source];
            Requests.push_back(
                {.Source = Source, .Address = Address, .StartMarker = StartMarker, .EndMarker = EndMarker});
        } else if (const std::optional<TOwnSource> Entry = Own.Source(Source + 1))
            Requests.push_back({.Source = Source,
                                .Address = Entry->Address,
                                .StartMarker = Entry->StartText,
                                .EndMarker = Entry->EndText});
    const std::string Folder =
        QFile::encodeName(MakePageFolder(QCoreApplication::applicationDirPath())).toStdString() + "/";
    TSourceRound Round([Folder] { return Folder; });
    const std::vector<TRoundResult> Results = Round.Run(Requests);
    for (const TRoundResult& Result : Results)
        std::fputs((RoundLine(Result, Own) + "\n").c_str(), stdout);
    std::fflush(stdout);
    TellChannels(Results, Five, Own);
    return RoundsStatus(Results);
}
} // namespace

int RunRefreshOnceCommand(const QCommandLineParser& Parser)
{
    const TSourcesFile Own = ReadOwnSources();
    const std::optional<std::vector<int>> Sources = RefreshSources(Parser.positionalArguments(), Own);
    if (!Sources)
        return UsageError(QStringLiteral("--refresh-once takes source numbers from 1 to %1 and the "
                                         "ids --sources lists.")
                              .arg(SourceCount));
    // One writer per page folder: a window running from it refreshes, and its lines are printed.
    if (const std::optional<int> Status = HandRefreshToWindow(QList<int>(Sources->begin(), Sources->end())))
        return *Status;
    return RunRefreshOnce(*Sources, Own);
}
