// TSciager against the loopback HTTP server; WaitUntil runs the hand-overs on this thread's loop.
#include "Sciager.h"
#include "ErrorBoxRecorder.h"
#include "HttpSession.h"
#include "IdleTimeout.h"
#include "LoopbackServer.h"
#include "TempDir.h"
#include "WaitUntil.h"

#include <QLabel>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <list>

using namespace std::chrono_literals;

namespace {
const QString Finished = QStringLiteral("Ściąganie zakończone");
const QString Untouched = QStringLiteral("untouched");

QString Received(std::int64_t Count)
{
    return QStringLiteral("Ściągnięto %1 bajtów").arg(Count);
}

std::string Bytes(std::size_t Size)
{
    std::string Text(Size, '\0');
    for (std::size_t I = 0; I < Size; ++I)
        Text[I] = static_cast<char>('a' + I * 7 % 26);
    return Text;
}

struct TTrace
{
    QStringList Statuses, Captions; // StatusText and the label's caption after every status step
    bool Ended = false, Success = false;
    std::string Text;
    std::int64_t BytesReceived = -1;
    std::atomic<bool> Destroyed = false;
    int TerminateAtStep = 0, ThrowAtStep = 0;
};

class TTracedSciager : public TSciager
{
public:
    explicit TTracedSciager(TTrace& Trace) : Trace(Trace) {}
    ~TTracedSciager() override { Trace.Destroyed = true; }

protected:
    void ReportProgress() override
    {
        TSciager::ReportProgress();
        Record();
    }
    void ReportDone() override
    {
        TSciager::ReportDone();
        Record();
    }

private:
    void Record()
    {
        Trace.Statuses << StatusText;
        Trace.Captions << ProgressControl->text();
        if (Trace.Statuses.size() == Trace.TerminateAtStep)
            Terminate();
        if (Trace.Statuses.size() == Trace.ThrowAtStep)
            throw std::runtime_error("status step failed");
    }
    TTrace& Trace;
};

using TConfigure = std::function<void(TTracedSciager*, TTrace&)>;

class SciagerTest : public testing::Test
{
protected:
    SciagerTest() { Label.setText(Untouched); }

    void TearDown() override
    {
        Server.Release(); // no worker may outlive the fixture it uses
        for (TTrace& Trace : Traces)
            WaitUntil([&] { return Trace.Destroyed.load(); }, 10);
    }

    std::pair<TTracedSciager*, TTrace*> Make(const std::string& Path)
    {
        TTrace& Trace = Traces.emplace_back();
        auto* Worker = new TTracedSciager(Trace);
        Worker->ProgressControl = &Label;
        Worker->ShowProgress = true;
        Worker->SetURL(Path.starts_with('/') ? Server.Url(Path) : Path);
        Worker->OnTerminate = [&Trace](TSciager* Sender) {
            Trace.Ended = true;
            Trace.Success = Sender->Success();
            Trace.Text = Sender->ResultText();
            Trace.BytesReceived = Sender->BytesReceived();
        };
        return {Worker, &Trace};
    }

    static void WaitForEnd(const TTrace& Trace)
    {
        ASSERT_TRUE(WaitUntil([&] { return Trace.Destroyed.load(); })) << "the worker did not delete itself";
        EXPECT_TRUE(Trace.Ended) << "the end notification did not run";
    }

    // Downloads Path (a server path or a whole address) and waits for the worker's end.
    const TTrace& Download(const std::string& Path, const TConfigure& Configure = {})
    {
        auto [Worker, Trace] = Make(Path);
        if (Configure)
            Configure(Worker, *Trace);
        Worker->Start();
        WaitForEnd(*Trace);
        return *Trace;
    }

    TLoopbackServer Server;
    QLabel Label;
    std::list<TTrace> Traces;
};

TEST_F(SciagerTest, ReportsEveryReadThenTheEnd)
{
    Server.Serve("/page", {.Body = Bytes(2050)});
    Server.Serve("/empty", {});
    const TTrace& Trace = Download("/page");
    const QStringList Expected{Received(1025), Received(2050), Received(2050), Finished};
    EXPECT_EQ(Trace.Statuses, Expected);
    EXPECT_EQ(Trace.Captions, Expected) << "with ShowProgress the label shows every status";
    EXPECT_TRUE(Trace.Success);
    EXPECT_EQ(Trace.Text, Bytes(2050));
    EXPECT_EQ(Trace.BytesReceived, 2050);

    const TTrace& Empty = Download("/empty");
    EXPECT_EQ(Empty.Statuses, (QStringList{Received(0), Finished}));
    EXPECT_TRUE(Empty.Success);
}

TEST_F(SciagerTest, ShowProgressAndSettersWhileWorking)
{
    Server.Serve("/slow", {.Body = Bytes(3000), .Fault = TReply::TFault::Stall, .StallAfter = 1000});
    auto [Worker, Trace] = Make("/slow");
    Worker->ShowProgress = false;
    Worker->SetUserAgent("first");
    Worker->Start();
    // The stalled page's first bytes may come in more than one read.
    ASSERT_TRUE(WaitUntil([&] { return !Trace->Statuses.isEmpty(); }));
    EXPECT_EQ(Label.text(), Untouched);

    ASSERT_TRUE(Worker->Working());
    Worker->SetURL(Server.Url("/other"));
    Worker->SetMode(TDownloadMode::dmToFile);
    Worker->SetUserAgent("second");
    EXPECT_EQ(Worker->URL(), Server.Url("/slow"));
    EXPECT_EQ(Worker->Mode(), TDownloadMode::dmToString);
    EXPECT_EQ(Worker->UserAgent(), "first");

    // Statuses are made on this thread, so none comes between counting them and the switch.
    const qsizetype Shown = Trace->Statuses.size();
    Worker->ShowProgress = true;
    Server.Release();
    WaitForEnd(*Trace);
    ASSERT_GT(Trace->Statuses.size(), Shown + 1);
    EXPECT_EQ(Trace->Captions[Shown], Trace->Statuses[Shown])
        << "ShowProgress switched on shows the next status";
    EXPECT_EQ(Label.text(), Finished);
    EXPECT_EQ(Trace->Text, Bytes(3000));
    EXPECT_EQ(Server.Requests().size(), 1u);
}

TEST_F(SciagerTest, AddressThatCannotBeOpenedFailsWithoutAProgressStep)
{
    Server.Serve("/loop", {.Fault = TReply::TFault::RedirectLoop});
    const std::string Closed = TLoopbackServer().Url("/page");
    for (const std::string& Url :
         {std::string(), std::string("http://tickerwell.invalid/page"), Closed, Server.Url("/loop")}) {
        const TTrace& Trace = Download(Url);
        EXPECT_EQ(Trace.Statuses, QStringList{Finished}) << "for address '" << Url << "'";
        EXPECT_FALSE(Trace.Success) << "for address '" << Url << "'";
    }
}

TEST_F(SciagerTest, RequestsCarryTheAgentAndNoCacheHeadersAlsoAfterARedirect)
{
    const std::string Agent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461";
    Server.Serve("/old", {.Fault = TReply::TFault::Redirect, .Location = "/new"});
    Server.Serve("/new", {.Body = "moved here"});
    const TTrace& Trace = Download("/old", [&](TSciager* W, TTrace&) { W->SetUserAgent(Agent); });
    EXPECT_TRUE(Trace.Success);
    EXPECT_EQ(Trace.Text, "moved here");
    const std::vector<TRequest> Requests = Server.Requests();
    ASSERT_EQ(Requests.size(), 2u);
    EXPECT_EQ(Requests[1].Path, "/new");
    for (const TRequest& Request : Requests) {
        EXPECT_EQ(Request.Method, "GET");
        EXPECT_EQ(Request.Headers.at("user-agent"), Agent);
        EXPECT_EQ(Request.Headers.at("cache-control"), "no-cache");
        EXPECT_EQ(Request.Headers.at("pragma"), "no-cache");
    }
}

TEST_F(SciagerTest, ErrorStatusAndBrokenOffTransfersFail)
{
    const std::string Page = Bytes(4000);
    Server.Serve("/gone", {.Status = 404, .Body = "gone for good"});
    Server.Serve("/cut", {.Body = Page, .Fault = TReply::TFault::BreakOff});
    Server.Serve("/stuck", {.Body = Page, .Fault = TReply::TFault::Stall, .StallAfter = 1500});
    Server.Serve("/silent", {.Body = Page, .Fault = TReply::TFault::Stall});
    TIdleTimeout Timeout(300ms);

    const TTrace& Gone = Download("/gone");
    EXPECT_FALSE(Gone.Success) << "an error page must not pass for the page";
    EXPECT_EQ(Gone.Text, "gone for good");
    EXPECT_EQ(Gone.Statuses, (QStringList{Received(13), Received(13), Finished}));

    const TTrace& Cut = Download("/cut");
    EXPECT_FALSE(Cut.Success) << "a truncated page must not pass for the page";
    EXPECT_EQ(Cut.Text, Page.substr(0, 2000));
    EXPECT_EQ(Cut.Statuses.mid(Cut.Statuses.size() - 3),
              (QStringList{Received(2000), Received(2000), Finished}));

    const auto Start = std::chrono::steady_clock::now();
    const TTrace& Stuck = Download("/stuck");
    EXPECT_FALSE(Stuck.Success);
    EXPECT_EQ(Stuck.Text, Page.substr(0, 1500));
    EXPECT_LT(std::chrono::steady_clock::now() - Start, 10s) << "the idle time-out did not end the transfer";

    const TTrace& Silent = Download("/silent");
    EXPECT_FALSE(Silent.Success);
    EXPECT_EQ(Silent.Statuses, (QStringList{Received(0), Finished})) << "the headers had arrived";
}

TEST_F(SciagerTest, TerminationAndErrorsOnTheUserInterfaceThread)
{
    TErrorBoxRecorder Boxes;
    Server.Serve("/page", {.Body = Bytes(5000)});
    const TTrace& Stopped = Download("/page", [](TSciager*, TTrace& T) { T.TerminateAtStep = 1; });
    EXPECT_EQ(Stopped.Statuses, (QStringList{Received(1025), Finished}));
    EXPECT_FALSE(Stopped.Success);
    EXPECT_EQ(Stopped.Text.size(), 1025u);

    const TTrace& Handler = Download("/page", [](TSciager* W, TTrace& T) {
        W->OnTerminate = [&T](TSciager*) {
            T.Ended = true;
            throw std::runtime_error("handler failed");
        };
    });
    EXPECT_TRUE(Handler.Ended);
    EXPECT_EQ(Boxes.Texts, QStringList{"handler failed."});

    Boxes.Texts.clear();
    const TTrace& Failing = Download("/page", [](TSciager*, TTrace& T) { T.ThrowAtStep = 1; });
    EXPECT_EQ(Boxes.Texts, QStringList{"status step failed."});
    EXPECT_EQ(Failing.Statuses.size(), 1) << "the body ends with the failing step";
    EXPECT_FALSE(Failing.Success);
}

TEST_F(SciagerTest, FileModeWritesThePageAndFailsWithoutAUsableFile)
{
    Server.Serve("/page", {.Body = Bytes(3000)});
    TTempDir Dir;
    const auto ToFile = [](const std::string& Name) {
        return [Name](TSciager* W, TTrace&) {
            W->SetMode(TDownloadMode::dmToFile);
            W->FileName = Name;
        };
    };

    Dir.Write("page.htm", "an older, longer page that is replaced whole " + Bytes(5000));
    const TTrace& Written = Download("/page", ToFile(Dir.Dir() + "page.htm"));
    EXPECT_TRUE(Written.Success);
    EXPECT_TRUE(Dir.Read("page.htm") == Bytes(3000)) << "the file does not hold the page";
    EXPECT_EQ(Written.Text, "");
    EXPECT_EQ(Written.BytesReceived, 3000);

    const TTrace& NoFile = Download("/page", ToFile(Dir.Dir() + "missing/page.htm"));
    EXPECT_FALSE(NoFile.Success);
    EXPECT_EQ(NoFile.Statuses, QStringList{}) << "no status step without an output file";
    EXPECT_EQ(Server.RequestCount("/page"), 1) << "no request without an output file";

    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(Download("/page", ToFile("/dev/full")).Success) << "an unwritten page must not pass";
    }
}
} // namespace
