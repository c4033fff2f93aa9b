// The configuration check: the file's warnings, the parallel downloads and one block per source.
#include "ConfigCheck.h"

#include "Command.h"
#include "ConfigFileWarnings.h"
#include "Configuration.h"
#include "PageFolder.h"
#include "Passages.h"
#include "SourceCaptions.h"
#include "SourcePage.h"
#include "SourceRound.h"
#include "TextRoutines.h"
#include "Windows1250.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {
constexpr std::size_t ShownLines = 2;
constexpr std::size_t ShownLineLength = 100;
constexpr const char* Indent = "    ";
constexpr std::size_t WarningWindow = 1 << 20;

struct TSourceCheck
{
    int Source = 0; // the source index; from 5 one's own, whose address and texts are UTF-8
    std::string Caption;
    std::string Address;
    std::string StartMarker;
    std::string EndMarker;
    bool Success = false;
    TDownloadOutcome Outcome;
    TSourcePage Page;
    std::string Failure; // one's own: a text not found
    std::shared_ptr<const TRuleSet> Rules;
};

// Downloads every source with an address at once, writing nothing, and waits until all have ended.
void DownloadAll(std::vector<TSourceCheck>& Sources)
{
    std::vector<TRoundRequest> Requests;
    std::vector<TSourceCheck*> Checks;
    for (TSourceCheck& Source : Sources)
        if (!Source.Address.empty()) {
            Requests.push_back({.Source = Source.Source,
                                .Address = Source.Address,
                                .StartMarker = Source.StartMarker,
                                .EndMarker = Source.EndMarker,
                                .Mode = TRoundMode::Download});
            Checks.push_back(&Source);
        }
    TSourceRound Round;
    const std::vector<TRoundResult> Results = Round.Run(Requests);
    for (std::size_t Index = 0; Index < Results.size(); ++Index) {
        const TRoundResult& Result = Results[Index];
        TSourceCheck& Source = *Checks[Index];
        Source.Success = !Result.Failed();
        Source.Outcome = Result.Download;
        Source.Page = Result.Page;
        Source.Failure = Result.Reason.toStdString();
    }
}

// Text of the file or the page for a line of the report: control characters, a stray LF above
// all, are shown as escapes.
std::string Printable(std::string_view Bytes, bool Windows1250 = true)
{
    std::string Escaped;
    for (const char C : Bytes) {
        if (C == '\n')
            Escaped += "\\n";
        else if (C == '\t')
            Escaped += "\\t";
        else if (static_cast<unsigned char>(C) < 0x20) {
            char Code[8];
            std::snprintf(Code, sizeof Code, "\\x%02X", static_cast<unsigned char>(C));
            Escaped += Code;
        } else
            Escaped += C;
    }
    return Windows1250 ? Windows1250ToUtf8(Escaped) : Escaped;
}

// The first lines of visible text in Fragment: tags dropped, entities decoded, blanks trimmed, long
// lines cut.
std::vector<std::string> VisibleLines(std::string_view Fragment, bool Windows1250 = true)
{
    std::string Text;
    bool InTag = false;
    for (const char C : Fragment) {
        if (C == '<' || C == '>')
            InTag = C == '<';
        else if (!InTag)
            Text += C;
    }
    // The common entities; "&amp;" last, so that "&amp;lt;" stays "&lt;".
    for (const auto& [Entity, Character] :
         {std::pair{"&nbsp;", " "}, std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"}, std::pair{"&quot;", "\""},
          std::pair{"&amp;", "&"}})
        Text = ReplaceAll(Entity, Character, Text);
    std::vector<std::string> Lines;
    std::size_t Begin = 0;
    while (Lines.size() < ShownLines && Begin < Text.size()) {
        const std::size_t End = std::min(Text.find_first_of("\r\n", Begin), Text.size());
        std::string_view Line = std::string_view(Text).substr(Begin, End - Begin);
        Begin = End + 1;
        const std::size_t First = Line.find_first_not_of(" \t");
        if (First == std::string_view::npos)
            continue;
        Line = Line.substr(First, Line.find_last_not_of(" \t") - First + 1);
        std::string Shown = Printable(Line.substr(0, ShownLineLength), Windows1250);
        if (Line.size() > ShownLineLength)
            Shown += "…";
        Lines.push_back(std::move(Shown));
    }
    return Lines;
}

std::string MarkerLine(const char* Name, int FileLine, std::string_view Marker, std::ptrdiff_t Position)
{
    std::string Line = std::string(Indent) + Name + " (wiersz " + std::to_string(FileLine) + "): ";
    if (Marker.empty())
        return Line + "pusty znacznik\n";
    if (Position == 0)
        return Line + "nie znaleziony\n";
    return Line + "znaleziony w bajcie " + std::to_string(Position) + "\n";
}

// What the source's rules make of its section now; empty when it has none.
std::string RulesLine(const TRuleSet* Rules, const TSourcePage& Page)
{
    if (!Rules)
        return {};
    const QStringList Passages = PagePassages(Page.FileBytes);
    const TRulesReport Report = ReportRules(Passages, *Rules);
    std::string Line = std::string(Indent) +
                       "reguły: pominięte fragmenty: " + std::to_string(Report.Ignored.size()) + " z " +
                       std::to_string(Passages.size());
    if (Rules->HasTriggers())
        Line += "; słowa kluczowe na stronie: " +
                (Report.Words.isEmpty() ? std::string("brak") : Report.Words.join(", ").toStdString());
    return Line + "\n";
}

// The rest of the block of a source of one's own that downloaded: where its texts are in the decoded
// page, and the section between them.
bool ReportOwnPage(const TSourceCheck& Source, std::string& Report)
{
    const auto TextLine = [](const char* Name, std::string_view Text, std::ptrdiff_t Position) {
        std::string Line = std::string(Indent) + Name + ": ";
        return Line + (Text.empty()    ? "pusty tekst\n"
                       : Position == 0 ? "nie znaleziony\n"
                                       : "znaleziony w bajcie " + std::to_string(Position) + "\n");
    };
    Report += std::string(Indent) + "pobieranie: HTTP " + std::to_string(Source.Outcome.Status) +
              ", bajtów: " + std::to_string(Source.Outcome.Bytes) + "\n";
    Report += TextLine("początek", Source.StartMarker, Source.Page.Markers.Start);
    Report += TextLine("koniec", Source.EndMarker, Source.Page.Markers.End);
    const bool Good = Source.Success;
    if (Good) {
        Report +=
            std::string(Indent) + "fragment: bajtów: " + std::to_string(Source.Page.Fragment.size()) + "\n";
        for (const std::string& Line : VisibleLines(Source.Page.Fragment, false))
            Report += std::string(Indent) + Indent + "„" + Line + "”\n";
        Report += RulesLine(Source.Rules.get(), Source.Page);
    } else {
        Report += std::string(Indent) + "strona: BŁĄD: " + Source.Failure + "\n";
    }
    Report += std::string(Indent) + "wynik: " + (Good ? "dobrze" : "BŁĄD") + "\n\n";
    return Good;
}

// Appends the block of one source to Report; true when the source is in order.
bool ReportSource(const TSourceCheck& Source, std::string& Report)
{
    const int Index = Source.Source;
    Report += "[" + std::to_string(Index + 1) + "] " + Source.Caption + "\n";
    if (Source.Address.empty()) {
        // Every source's box is checked when the window opens.
        Report += std::string(Indent) + "adres (wiersz " + std::to_string(3 * Index + 1) +
                  "): pusty, a źródło jest domyślnie włączone; pominięte\n\n";
        return true;
    }
    Report += std::string(Indent) + "adres: " + Printable(Source.Address, !IsOwnSource(Index)) + "\n";
    const std::string Bytes = "bajtów: " + std::to_string(Source.Outcome.Bytes);
    if (IsOwnSource(Index) && Source.Outcome.Failure == TFailure::None)
        return ReportOwnPage(Source, Report);
    if (!Source.Success) {
        const std::string Reason = DescribeFailure(Source.Outcome);
        Report += std::string(Indent) + "pobieranie: BŁĄD: " + (Reason.empty() ? "błąd pobierania" : Reason);
        if (Source.Outcome.Failure == TFailure::HttpStatus)
            Report += ", " + Bytes;
        Report += "\n" + std::string(Indent) + "wynik: BŁĄD\n\n";
        return false;
    }
    Report += std::string(Indent) + "pobieranie: HTTP " + std::to_string(Source.Outcome.Status) + ", " +
              Bytes + "\n";
    bool Good;
    const TSourcePage& Page = Source.Page;
    if (Index == IndexSource) {
        Good = !Page.Sesid.empty();
        Report += std::string(Indent) + "sesja: " +
                  (Good ? Printable(Page.Sesid) : "nie znaleziono (/lib/php/p_glowna.php?sesid=...\")") +
                  "\n" + Indent + "notowania: " + Printable(Page.QuotesAddress) + "\n";
    } else {
        // Positions in the page with CR LF line ends, as the page builder sees it.
        Good = Page.Markers.Start > 0 && Page.Markers.End > 0;
        Report += MarkerLine("początek", 3 * Index + 2, Source.StartMarker, Page.Markers.Start);
        Report += MarkerLine("koniec", 3 * Index + 3, Source.EndMarker, Page.Markers.End);
        Report += std::string(Indent) + "fragment: bajtów: " + std::to_string(Page.Fragment.size()) + "\n";
        for (const std::string& Line : VisibleLines(Page.Fragment))
            Report += std::string(Indent) + Indent + "„" + Line + "”\n";
        Report += RulesLine(Source.Rules.get(), Page);
    }
    Report += std::string(Indent) + "wynik: " + (Good ? "dobrze" : "BŁĄD") + "\n\n";
    return Good;
}
} // namespace

int RunConfigCheck(const std::string& FileName)
{
    TSourceValues Five;
    try {
        ReadSourceValues(FileName, Five);
    } catch (const EInOutError& Error) {
        return ConfigurationReadError(FileName, Error);
    }
    // zrodla.ini once, for every source's rules and one's own sources; a broken one is named below.
    TSourcesFile OwnFile;
    std::string Broken;
    try {
        OwnFile = LoadSourcesFile(OwnSourcesFileName);
    } catch (const ESourcesFile& Error) {
        Broken = Error.what();
    }
    std::vector<TSourceCheck> Sources;
    for (int Source = 0; Source < SourceCount; ++Source) {
        const auto& [Address, StartMarker, EndMarker] = Five[Source];
        Sources.push_back({.Source = Source,
                           .Caption = std::string(SourceTable[Source].Caption),
                           .Address = Address,
                           .StartMarker = StartMarker,
                           .EndMarker = EndMarker,
                           .Rules = RulesNow(OwnFile, Source)});
    }
    ErrorBoxesToStandardError();

    // The warnings look at the first MiB: a configuration is a few hundred bytes.
    std::ifstream File(FileName, std::ios::binary);
    std::string Bytes(WarningWindow, '\0');
    File.read(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
    Bytes.resize(static_cast<std::size_t>(File.gcount()));
    std::string Report = "Plik " + FileName + "\n";
    Report += std::string(Indent) +
              "Pliki stron okna: " + PageFolder(QCoreApplication::applicationDirPath()).toStdString() + "/\n";
    for (const std::string& Warning : ConfigFileWarnings(Bytes))
        Report += std::string(Indent) + "UWAGA: " + Warning + "\n";
    Report += "\n";
    std::fputs(Utf8ToLocale(Report).c_str(), stdout);
    std::fflush(stdout);

    if (!Broken.empty())
        Print(stderr, QString::fromStdString(Broken + "\n"));
    for (const TOwnSource& Own : OwnFile.Sources())
        if (Own.On)
            Sources.push_back({.Source = Own.Id - 1,
                               .Caption = Own.Caption,
                               .Address = Own.Address,
                               .StartMarker = Own.StartText,
                               .EndMarker = Own.EndText,
                               .Rules = RulesNow(OwnFile, Own.Id - 1)});
    DownloadAll(Sources);
    Report.clear();
    std::string Failed;
    for (const TSourceCheck& Source : Sources)
        if (!ReportSource(Source, Report))
            Failed += (Failed.empty() ? "" : ", ") + std::to_string(Source.Source + 1);
    if (!Broken.empty())
        Failed += (Failed.empty() ? "" : ", ") + std::string(OwnSourcesFileName);
    Report += Failed.empty() ? "Wszystkie źródła w porządku.\n" : "Źródła z błędami: " + Failed + ".\n";
    std::fputs(Utf8ToLocale(Report).c_str(), stdout);
    return Failed.empty() ? 0 : 1;
}
