// The refresh without a window and its lines.
#include "RefreshOnce.h"

#include "Application.h"
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
#include <array>
#include <cstdio>

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

TSourcesFile ReadOwnSources()
{
    try {
        return LoadSourcesFile(OwnSourcesFileName);
    } catch (const ESourcesFile& Error) {
        std::fputs(
            Utf8ToLocale(std::string(Error.what()) + "; odświeżam tylko pięć stałych źródeł\n").c_str(),
            stderr);
        return {};
    }
}

std::string RoundLine(const TRoundResult& Result)
{
    QString Reason;
    if (Result.Failed()) {
        // The reason stays on its line: any control character in it becomes a space.
        Reason = Result.Reason.isEmpty() ? QStringLiteral("błąd pobierania") : Result.Reason;
        for (QChar& Character : Reason)
            if (Character.category() == QChar::Other_Control)
                Character = QLatin1Char(' ');
    }
    const qsizetype Added = Result.Kept ? Result.Kept->New.size() : 0;
    const int Removed = Result.Kept ? Result.Kept->Removed : 0;
    return RefreshLine(Result.Source, Reason, Result.Changed, static_cast<int>(Added), Removed).toStdString();
}

int RoundsStatus(const std::vector<TRoundResult>& Results)
{
    return std::ranges::any_of(Results, &TRoundResult::Failed) ? 1 : 0;
}

int RunRefreshOnce(const std::vector<int>& Sources, const TSourcesFile& Own)
{
    std::array<std::pair<std::string, std::string>, SourceCount> Markers;
    std::array<std::string, SourceCount> Addresses;
    // dane.txt holds the five: a refresh of one's own sources alone does without it.
    try {
        if (std::ranges::any_of(Sources, [](int Source) { return !IsOwnSource(Source); }))
            Addresses = LoadConfiguration(
                ConfigurationFileName, [&Markers](int Source, TConfigField Field, const std::string& Value) {
                    if (Field == TConfigField::StartMarker)
                        Markers[Source].first = Value;
                    else if (Field == TConfigField::EndMarker)
                        Markers[Source].second = Value;
                });
    } catch (const EInOutError& Error) {
        const QString Message = TApplication::ErrorBoxText(QString::fromUtf8(Error.what()));
        std::fputs(
            Utf8ToLocale(std::string(ConfigurationFileName) + ": " + Message.toStdString() + "\n").c_str(),
            stderr);
        return 2;
    }
    // Without a window, an error that ends a download is told on standard error instead of in a box.
    TApplication::SetErrorBoxHook(
        [](const QString& Text) { std::fputs(Utf8ToLocale(Text.toStdString() + "\n").c_str(), stderr); });

    std::vector<TRoundRequest> Requests;
    for (const int Source : Sources)
        if (!IsOwnSource(Source))
            Requests.push_back({.Source = Source,
                                .Address = Addresses[Source],
                                .StartMarker = Markers[Source].first,
                                .EndMarker = Markers[Source].second});
        else if (const std::optional<TOwnSource> Entry = Own.Source(Source + 1))
            Requests.push_back({.Source = Source,
                                .Address = Entry->Address,
                                .StartMarker = Entry->StartText,
                                .EndMarker = Entry->EndText});
    const std::string Folder =
        QFile::encodeName(MakePageFolder(QCoreApplication::applicationDirPath())).toStdString() + "/";
    TSourceRound Round([Folder] { return Folder; });
    const std::vector<TRoundResult> Results = Round.Run(Requests);
    for (const TRoundResult& Result : Results)
        std::fputs((RoundLine(Result) + "\n").c_str(), stdout);
    return RoundsStatus(Results);
}

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
