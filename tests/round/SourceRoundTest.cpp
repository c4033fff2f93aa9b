// The round without a window, against the loopback server: the demo's five page files byte for
// byte, a change told once, failures that keep the last good file and name their reason.
#include "SourceRound.h"
#include "ClosedPort.h"
#include "Configuration.h"
#include "LoopbackServer.h"
#include "OwnSources.h"
#include "TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {
std::string ReadFile(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

class TSourceRounds : public testing::Test
{
protected:
    // The demo's configuration and pages, served under the same names, read as a refresh reads them.
    std::vector<TRoundRequest> DemoRequests()
    {
        std::string Configuration = ReadFile(TKW_DEMO_DIR "/dane.txt.in");
        const std::string Demo = "http://127.0.0.1:@PORT@/";
        for (std::size_t At; (At = Configuration.find(Demo)) != std::string::npos;)
            Configuration.replace(At, Demo.size(), Server.Url("/"));
        Data.Write("dane.txt", Configuration);
        for (const char* Page :
             {"parkiet.html", "euromoney.html", "bankier.html", "doakcji.html", "indeksy.html"})
            Server.Serve(std::string("/") + Page,
                         {.Body = ReadFile(std::string(TKW_DEMO_DIR "/site/") + Page)});
        std::vector<TRoundRequest> Requests(SourceCount);
        const auto Addresses = LoadConfiguration(
            Data.Dir() + "dane.txt", [&](int Source, TConfigField Field, const std::string& Value) {
                if (Field == TConfigField::StartMarker)
                    Requests[Source].StartMarker = Value;
                else if (Field == TConfigField::EndMarker)
                    Requests[Source].EndMarker = Value;
            });
        for (int Source = 0; Source < SourceCount; ++Source) {
            Requests[Source].Source = Source;
            Requests[Source].Address = Addresses[Source];
        }
        return Requests;
    }

    std::vector<TRoundResult> Run(const std::vector<TRoundRequest>& Requests) { return Round.Run(Requests); }

    TLoopbackServer Server;
    TTempDir Folder;
    TTempDir Data;
    TSourceRound Round{[this] { return Folder.Dir(); }, nullptr,
                       QString::fromStdString(Data.Dir() + "history.sqlite")};
};
} // namespace

TEST_F(TSourceRounds, DemoPagesGiveTheirPageFilesByteForByteAndAChangeIsToldOnce)
{
    std::vector<TRoundRequest> Requests = DemoRequests();
    std::vector<TRoundResult> Results = Run(Requests);
    ASSERT_EQ(Results.size(), 5u);
    for (const TRoundResult& Result : Results) {
        const std::string Name(SourceTable[Result.Source].PageFileName);
        SCOPED_TRACE(Name);
        ASSERT_FALSE(Result.Failed()) << Result.Failure().toStdString();
        EXPECT_EQ(Folder.Read(Name), ReadFile(TKW_E2E_DIR "/" + Name)) << "page file bytes";
        EXPECT_EQ(Result.PagePath, Folder.Dir() + Name);
        EXPECT_FALSE(Result.Changed) << "there was no page file before";
        ASSERT_TRUE(Result.Kept);
        EXPECT_TRUE(Result.Kept->Added.Stored && Result.Kept->Added.First);
        EXPECT_TRUE(Result.Kept->New.isEmpty()) << "a first version has nothing new against";
    }
    EXPECT_TRUE(Results[4].Page.QuotesAddress.find("gieldy.php?sesid=") != std::string::npos);

    // The first source's section gains a paragraph: that source alone changes, once.
    const std::string Parkiet = ReadFile(TKW_DEMO_DIR "/site/parkiet.html");
    const std::size_t End = Parkiet.find("<!-- KONIEC KOMENTARZA -->");
    ASSERT_NE(End, std::string::npos);
    Server.Serve("/parkiet.html",
                 {.Body = Parkiet.substr(0, End) + "<p>Nowy akapit</p>\r\n" + Parkiet.substr(End)});
    for (int Pass = 0; Pass < 2; ++Pass) {
        SCOPED_TRACE("pass " + std::to_string(Pass));
        Results = Run(Requests);
        for (const TRoundResult& Result : Results) {
            SCOPED_TRACE(Result.Source);
            const bool Changed = Pass == 0 && Result.Source == 0;
            ASSERT_FALSE(Result.Failed());
            EXPECT_EQ(Result.Changed, Changed);
            ASSERT_TRUE(Result.Kept);
            EXPECT_EQ(Result.Kept->Added.Stored, Changed);
            EXPECT_EQ(Result.Kept->New, Changed ? QStringList{"Nowy akapit"} : QStringList{});
        }
    }
}

TEST_F(TSourceRounds, FailuresKeepTheLastGoodFileAndNameTheirReason)
{
    const TClosedPort Closed;
    const auto Page = [](const std::string& Text) { return "a <s>" + Text + "</s> b"; };
    for (int Source = 0; Source < 4; ++Source)
        Server.Serve("/" + std::to_string(Source), {.Body = Page("old")});
    std::vector<TRoundRequest> Requests;
    for (int Source = 0; Source < 4; ++Source)
        Requests.push_back({Source, Server.Url("/" + std::to_string(Source)), "<s>", "</s>"});
    ASSERT_FALSE(Run(Requests)[0].Failed());
    std::array<std::string, 4> Before;
    for (int Source = 0; Source < 4; ++Source)
        Before[Source] = Folder.Read(std::string(SourceTable[Source].PageFileName));

    Server.Serve("/0", {.Status = 404, .Body = Page("not found")});
    Server.Serve("/1", {.Body = Page(std::string(4000, 'n')), .Fault = TReply::TFault::BreakOff});
    Requests[2].Address = Closed.Url("/2");
    Server.Serve("/3", {.Body = Page("new")});
    const std::vector<TRoundResult> Results = Run(Requests);
    const struct
    {
        TRoundOutcome Outcome;
        const char* Failure;
    } Expected[] = {{TRoundOutcome::DownloadFailed, "Błąd pobierania: HTTP 404"},
                    {TRoundOutcome::DownloadFailed, "Błąd pobierania: "},
                    {TRoundOutcome::DownloadFailed, "Błąd pobierania: połączenie odrzucone"},
                    {TRoundOutcome::Done, ""}};
    for (int Source = 0; Source < 4; ++Source) {
        SCOPED_TRACE(Source);
        const TRoundResult& Result = Results[Source];
        EXPECT_EQ(Result.Outcome, Expected[Source].Outcome);
        const QString Failure = QString::fromUtf8(Expected[Source].Failure);
        EXPECT_EQ(Result.Failure().left(Failure.size()), Failure) << Result.Failure().toStdString();
        EXPECT_EQ(Result.Kept.has_value(), !Result.Failed()) << "only a saved page reaches the history";
        const std::string File = Folder.Read(std::string(SourceTable[Source].PageFileName));
        EXPECT_EQ(File == Before[Source], Result.Failed()) << "the last good page file stays";
    }

    // A folder that cannot take the page file: the page is downloaded, nothing is stored.
    TSourceRound Nowhere([this] { return Folder.Dir() + "missing/"; }, nullptr,
                         QString::fromStdString(Data.Dir() + "history.sqlite"));
    const TRoundResult Unsaved = Nowhere.Run({Requests[3]})[0];
    EXPECT_EQ(Unsaved.Outcome, TRoundOutcome::WriteFailed);
    EXPECT_EQ(Unsaved.Failure(), QStringLiteral("Błąd zapisu: Nie można zapisać 4doakcji.htm"));
    EXPECT_FALSE(Unsaved.Kept);

    // Download mode writes no page file and opens no history: the folder stays as it was.
    const TTempDir Empty;
    TSourceRound Preview([&Empty] { return Empty.Dir(); }, nullptr,
                         QString::fromStdString(Empty.Dir() + "h.sqlite"));
    const TRoundResult Downloaded = Preview.Run({{.Source = 3,
                                                  .Address = Requests[3].Address,
                                                  .StartMarker = "<s>",
                                                  .EndMarker = "</s>",
                                                  .Mode = TRoundMode::Download}})[0];
    EXPECT_FALSE(Downloaded.Failed());
    EXPECT_EQ(Downloaded.Downloaded, Page("new") + "\r\n") << "the page in line form";
    EXPECT_NE(Downloaded.Page.Fragment.find("new"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(Empty.Path()));
}

// The source's rules in zrodla.ini: a change of ignored text alone is none and stores nothing, the
// page file still gets the page's bytes; a real change beside it counts, and notifies only with a
// trigger word; a change that only removes passages is kept quietly.
TEST_F(TSourceRounds, RulesDecideWhatCountsAndWhatNotifies)
{
    const TWorkingDirectory Working(Data.Path());
    Data.Write("zrodla.ini", "[1]\nignore = Aktualizacja: \\d\\d:\\d\\d\ntrigger = zysk\n");
    const TRoundRequest Request{0, Server.Url("/p"), "<s>", "</s>"};
    const struct
    {
        const char* Section;
        bool Changed;
        bool Stored;
        bool Notifies;
        const char* Trigger;
    } Steps[] = {
        {"<p>Aktualizacja: 10:00</p><p>Spadki</p>", false, true, false, ""},
        {"<p>Aktualizacja: 10:05</p><p>Spadki</p>", false, false, false, ""},
        {"<p>Aktualizacja: 10:10</p><p>Spadki</p><p>Wzrosty</p>", true, true, false, ""},
        {"<p>Aktualizacja: 10:15</p><p>Spadki</p><p>Wzrosty</p><p>Rekordowy ZYSK banku</p>", true, true, true,
         "Rekordowy ZYSK banku"},
        {"<p>Aktualizacja: 10:20</p><p>Wzrosty</p><p>Rekordowy ZYSK banku</p>", true, true, false, ""},
    };
    for (const auto& Step : Steps) {
        SCOPED_TRACE(Step.Section);
        Server.Serve("/p", {.Body = std::string("a <s>") + Step.Section + "</s> b"});
        const TRoundResult Result = Run({Request})[0];
        ASSERT_FALSE(Result.Failed()) << Result.Failure().toStdString();
        EXPECT_EQ(Folder.Read(std::string(SourceTable[0].PageFileName)), Result.Page.FileBytes)
            << "the page file holds the page as downloaded";
        EXPECT_EQ(Result.Changed, Step.Changed);
        EXPECT_EQ(Result.Notifies(), Step.Notifies);
        ASSERT_TRUE(Result.Kept);
        EXPECT_EQ(Result.Kept->Added.Stored, Step.Stored) << "a new version in the history";
        EXPECT_EQ(Result.Kept->TriggerPassage, QString::fromUtf8(Step.Trigger));
        EXPECT_EQ(Result.Kept->Trigger, *Step.Trigger ? QStringLiteral("zysk") : QString());
    }
}

TEST_F(TSourceRounds, OwnSourcesAreReadInTheirCharsetAndATextNotFoundKeepsTheLastPage)
{
    // "Początek ... gęślą ... Koniec" in each charset, the charset named by the header or the page.
    const struct
    {
        const char* Name;
        std::string Header;
        std::string Body;
        std::string End;
    } Pages[] = {
        {"utf-8 header", "text/html; charset=UTF-8",
         "<b>Pocz\xc4\x85tek</b><p>g\xc4\x99\xc5\x9bl\xc4\x85</p><i>Koniec</i>", "</i>"},
        {"iso-8859-2 header", "text/html; charset=iso-8859-2",
         "<b>Pocz\xb1tek</b><p>g\xea\xb6l\xb1</p><i>Koniec</i>", "</i>"},
        {"windows-1250 meta, empty end text", "text/html",
         "<meta charset=\"windows-1250\"><b>Pocz\xb9tek</b><p>g\xea\x9cl\xb9</p><i>Koniec</i>", ""},
    };
    for (const auto& Page : Pages) {
        SCOPED_TRACE(Page.Name);
        Server.Serve("/own", {.Body = Page.Body, .ContentType = Page.Header});
        const TRoundResult Result = Run({{.Source = 6,
                                          .Address = Server.Url("/own"),
                                          .StartMarker = "<b>Początek",
                                          .EndMarker = Page.End}})[0];
        ASSERT_FALSE(Result.Failed()) << Result.Failure().toStdString();
        EXPECT_EQ(Result.Page.Fragment, "<b>Początek</b><p>gęślą</p><i>Koniec</i>");
        EXPECT_EQ(Result.PagePath, Folder.Dir() + "zrodlo7.htm");
        const std::string File = Folder.Read("zrodlo7.htm");
        EXPECT_NE(File.find("<p>gęślą</p>"), std::string::npos) << "the page file is UTF-8: " << File;
        EXPECT_NE(File.find("<base href=\"" + Server.Url("/own") + "\">"), std::string::npos) << File;
        ASSERT_TRUE(Result.Kept) << "the version reaches the history under its index";
    }

    const std::string Good = Folder.Read("zrodlo7.htm");
    Server.Serve("/own", {.Body = "<p>bez tekstu</p>", .ContentType = "text/html"});
    const TRoundResult Missing =
        Run({{.Source = 6, .Address = Server.Url("/own"), .StartMarker = "<b>Początek", .EndMarker = ""}})[0];
    EXPECT_EQ(Missing.Outcome, TRoundOutcome::DownloadFailed);
    EXPECT_FALSE(Missing.Reason.isEmpty()) << "the reason names the text not found";
    EXPECT_FALSE(Missing.Kept);
    EXPECT_EQ(Folder.Read("zrodlo7.htm"), Good) << "the last good page stays";
}

TEST_F(TSourceRounds, FiftyOwnSourcesDownloadEightAtOnceAndWriteEveryPage)
{
    std::vector<TRoundRequest> Requests;
    for (int Id = FirstOwnId; Id < FirstOwnId + 50; ++Id) {
        const std::string Path = "/own" + std::to_string(Id);
        Server.Serve(Path, {.Body = "<p>strona " + std::to_string(Id) + "</p>",
                            .Fault = TReply::TFault::Trickle,
                            .TrickleChunk = 8,
                            .TrickleDelay = std::chrono::milliseconds(5)});
        Requests.push_back({.Source = Id - 1, .Address = Server.Url(Path)});
    }
    for (const TRoundResult& Result : Run(Requests)) {
        ASSERT_FALSE(Result.Failed()) << Result.Source << ": " << Result.Failure().toStdString();
        EXPECT_NE(Folder.Read("zrodlo" + std::to_string(Result.Source + 1) + ".htm").find("strona"),
                  std::string::npos);
    }
    EXPECT_LE(Server.MaxInFlight(), MaxOwnDownloads) << "own downloads at once";
}
