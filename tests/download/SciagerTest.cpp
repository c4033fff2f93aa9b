// Tests of the download worker TSciager against the loopback HTTP server, with the hand-overs run by
// this thread's event loop as the user-interface thread runs them (WaitUntil spins it).
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
#include <fstream>
#include <gtest/gtest.h>
#include <list>

using namespace std::chrono_literals;

namespace {
const QString Finished = QStringLiteral("Ściąganie zakończone");
const QString Untouched = QStringLiteral("untouched");
const std::string IEAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0; Q312461";

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

int ThreadCount()
{
    std::ifstream Status("/proc/self/status");
    for (std::string Line; std::getline(Status, Line);)
        if (Line.starts_with("Threads:"))
            return std::stoi(Line.substr(8));
    return -1;
}

// What one worker showed and left behind; outlives the worker.
struct TTrace
{
    QStringList Statuses; // StatusText after every status step
    QStringList Captions; // the label's caption after every status step
    bool Ended = false;   // the end notification ran
    bool Success = false;
    std::string Text;
    std::int64_t BytesReceived = -1;
    std::atomic<bool> Destroyed = false;
    int TerminateAtStep = 0; // the status step that asks for termination
    int ThrowAtStep = 0;     // the status step that throws
};

// The worker under test, tracing its status steps and its deletion.
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

class SciagerTest : public testing::Test
{
protected:
    SciagerTest() { Label.setText(Untouched); }

    void TearDown() override
    {
        // A test that failed half-way must not leave a worker behind that uses the fixture.
        Server.Release();
        for (TTrace& Trace : Traces)
            WaitUntil([&] { return Trace.Destroyed.load(); }, 10);
    }

    // A worker for Url showing its progress in Label, whose end is recorded in the returned trace.
    std::pair<TTracedSciager*, TTrace*> Make(const std::string& Url)
    {
        TTrace& Trace = Traces.emplace_back();
        auto* Worker = new TTracedSciager(Trace);
        Worker->ProgressControl = &Label;
        Worker->ShowProgress = true;
        Worker->SetURL(Url);
        Worker->OnTerminate = [&Trace](TSciager* Sender) {
            Trace.Ended = true;
            Trace.Success = Sender->Success();
            Trace.Text = Sender->ResultText();
            Trace.BytesReceived = Sender->BytesReceived();
        };
        return {Worker, &Trace};
    }

    // Waits until the worker has run its end notification and deleted itself.
    static void WaitForEnd(const TTrace& Trace)
    {
        ASSERT_TRUE(WaitUntil([&] { return Trace.Destroyed.load(); })) << "the worker did not delete itself";
        EXPECT_TRUE(Trace.Ended) << "the end notification did not run";
    }

    const TTrace& Download(const std::string& Url, const std::function<void(TTracedSciager*)>& Configure = {})
    {
        auto [Worker, Trace] = Make(Url);
        if (Configure)
            Configure(Worker);
        Worker->Start();
        WaitForEnd(*Trace);
        return *Trace;
    }

    TLoopbackServer Server;
    QLabel Label;
    std::list<TTrace> Traces;
};

TEST_F(SciagerTest, ReportsEveryReadOfAPageThenTheEnd)
{
    const std::string Page = Bytes(2050);
    Server.Serve("/page", {.Body = Page});
    const TTrace& Trace = Download(Server.Url("/page"));

    const QStringList Expected{Received(1025), Received(2050), Received(2050), Finished};
    EXPECT_EQ(Trace.Statuses, Expected);
    EXPECT_EQ(Trace.Captions, Expected) << "with ShowProgress the label shows every status";
    EXPECT_TRUE(Trace.Success);
    EXPECT_EQ(Trace.Text, Page);
    EXPECT_EQ(Trace.BytesReceived, 2050);
}

TEST_F(SciagerTest, EmptyBodyIsOneReadOfZeroBytes)
{
    Server.Serve("/empty", {});
    const TTrace& Trace = Download(Server.Url("/empty"));

    EXPECT_EQ(Trace.Statuses, (QStringList{Received(0), Finished}));
    EXPECT_TRUE(Trace.Success);
    EXPECT_EQ(Trace.Text, "");
}

TEST_F(SciagerTest, LargePageComesInReadsOfAtMost1025BytesWithoutTouchingAHiddenLabel)
{
    const std::string Page = Bytes(300000);
    Server.Serve("/large", {.Body = Page});
    const TTrace& Trace = Download(Server.Url("/large"), [](TSciager* W) { W->ShowProgress = false; });

    ASSERT_TRUE(Trace.Success);
    EXPECT_TRUE(Trace.Text == Page) << "ResultText differs from the page served";
    EXPECT_EQ(Trace.BytesReceived, static_cast<std::int64_t>(Trace.Text.size()));
    ASSERT_GE(Trace.Statuses.size(), 300000 / 1025 + 2);
    EXPECT_EQ(Trace.Statuses.back(), Finished);
    EXPECT_EQ(Trace.Statuses[Trace.Statuses.size() - 2], Received(300000)) << "the final read of 0 bytes";
    std::int64_t Previous = 0;
    for (qsizetype I = 0; I + 2 < Trace.Statuses.size(); ++I) {
        const std::int64_t Count = Trace.Statuses[I].section(' ', 1, 1).toLongLong();
        EXPECT_GT(Count, Previous) << "read " << I << " brought nothing before the end";
        EXPECT_LE(Count - Previous, 1025) << "read " << I << " was larger than 1025 bytes";
        Previous = Count;
    }
    EXPECT_EQ(Trace.Captions, QStringList(Trace.Statuses.size(), Untouched));
}

TEST_F(SciagerTest, ShowProgressSwitchedOnMidDownloadShowsTheNextStatus)
{
    Server.Serve("/slow", {.Body = Bytes(3000), .Fault = TReply::TFault::Stall, .StallAfter = 1000});
    auto [Worker, Trace] = Make(Server.Url("/slow"));
    Worker->ShowProgress = false;
    Worker->Start();
    ASSERT_TRUE(WaitUntil([&] { return Trace->Statuses.size() == 1; }));
    EXPECT_EQ(Label.text(), Untouched);

    Worker->ShowProgress = true;
    Server.Release();
    WaitForEnd(*Trace);
    ASSERT_GE(Trace->Statuses.size(), 3);
    EXPECT_EQ(Trace->Captions[0], Untouched);
    EXPECT_EQ(Trace->Captions[1], Trace->Statuses[1]);
    EXPECT_EQ(Label.text(), Finished);
}

TEST_F(SciagerTest, SettersAreIgnoredWhileWorking)
{
    Server.Serve("/page", {.Body = "the page", .Fault = TReply::TFault::Stall});
    auto [Worker, Trace] = Make(Server.Url("/page"));
    Worker->SetUserAgent("first");
    Worker->Start();
    ASSERT_TRUE(WaitUntil([&] { return Server.RequestCount("/page") == 1; }));

    ASSERT_TRUE(Worker->Working());
    Worker->SetURL(Server.Url("/other"));
    Worker->SetMode(TDownloadMode::dmToFile);
    Worker->SetUserAgent("second");
    EXPECT_EQ(Worker->URL(), Server.Url("/page"));
    EXPECT_EQ(Worker->Mode(), TDownloadMode::dmToString);
    EXPECT_EQ(Worker->UserAgent(), "first");

    Server.Release();
    WaitForEnd(*Trace);
    EXPECT_TRUE(Trace->Success);
    EXPECT_EQ(Trace->Text, "the page");
    EXPECT_EQ(Server.Requests().size(), 1u);
}

TEST_F(SciagerTest, AddressThatCannotBeOpenedFailsWithoutAProgressStep)
{
    Server.Serve("/loop", {.Fault = TReply::TFault::RedirectLoop});
    const std::string Closed = [] {
        TLoopbackServer Gone;
        return Gone.Url("/page");
    }();
    for (const std::string& Url :
         {std::string(), std::string("http://tickerwell.invalid/page"), Closed, Server.Url("/loop")}) {
        const TTrace& Trace = Download(Url);
        EXPECT_EQ(Trace.Statuses, QStringList{Finished}) << "for address '" << Url << "'";
        EXPECT_FALSE(Trace.Success) << "for address '" << Url << "'";
        EXPECT_EQ(Trace.Text, "");
    }
}

TEST_F(SciagerTest, RequestsCarryTheAgentAndNoCacheHeadersAlsoAfterARedirect)
{
    Server.Serve("/old", {.Fault = TReply::TFault::Redirect, .Location = "/new"});
    Server.Serve("/new", {.Body = "moved here"});
    const TTrace& Trace = Download(Server.Url("/old"), [](TSciager* W) { W->SetUserAgent(IEAgent); });

    EXPECT_TRUE(Trace.Success);
    EXPECT_EQ(Trace.Text, "moved here");
    const std::vector<TRequest> Requests = Server.Requests();
    ASSERT_EQ(Requests.size(), 2u);
    EXPECT_EQ(Requests[1].Path, "/new");
    for (const TRequest& Request : Requests) {
        EXPECT_EQ(Request.Method, "GET");
        EXPECT_EQ(Request.Headers.at("user-agent"), IEAgent);
        EXPECT_EQ(Request.Headers.at("cache-control"), "no-cache");
        EXPECT_EQ(Request.Headers.at("pragma"), "no-cache");
    }
}

TEST_F(SciagerTest, ErrorStatusPageIsReceivedButFails)
{
    Server.Serve("/gone", {.Status = 404, .Body = "gone for good"});
    const TTrace& Trace = Download(Server.Url("/gone"));

    EXPECT_FALSE(Trace.Success) << "an error page must not pass for the page";
    EXPECT_EQ(Trace.Text, "gone for good");
    EXPECT_EQ(Trace.Statuses, (QStringList{Received(13), Received(13), Finished}));
}

TEST_F(SciagerTest, TransferThatBreaksOffAfterTheHeadersFails)
{
    const std::string Page = Bytes(4000);
    Server.Serve("/cut", {.Body = Page, .Fault = TReply::TFault::BreakOff});
    Server.Serve("/stuck", {.Body = Page, .Fault = TReply::TFault::Stall, .StallAfter = 1500});
    Server.Serve("/silent", {.Body = Page, .Fault = TReply::TFault::Stall});
    TIdleTimeout Timeout(300ms);

    const TTrace& Cut = Download(Server.Url("/cut"));
    EXPECT_FALSE(Cut.Success) << "a truncated page must not pass for the page";
    EXPECT_EQ(Cut.Text, Page.substr(0, 2000));
    EXPECT_EQ(Cut.Statuses.mid(Cut.Statuses.size() - 3),
              (QStringList{Received(2000), Received(2000), Finished}));

    const auto Start = std::chrono::steady_clock::now();
    const TTrace& Stuck = Download(Server.Url("/stuck"));
    EXPECT_FALSE(Stuck.Success);
    EXPECT_EQ(Stuck.Text, Page.substr(0, 1500));
    EXPECT_LT(std::chrono::steady_clock::now() - Start, 10s) << "the idle time-out did not end the transfer";

    const TTrace& Silent = Download(Server.Url("/silent"));
    EXPECT_FALSE(Silent.Success);
    EXPECT_EQ(Silent.Statuses, (QStringList{Received(0), Finished})) << "the headers had arrived";
}

TEST_F(SciagerTest, TerminationRequestEndsTheDownloadAfterTheCurrentRead)
{
    Server.Serve("/page", {.Body = Bytes(5000)});
    const TTrace& Trace =
        Download(Server.Url("/page"), [this](TSciager*) { Traces.back().TerminateAtStep = 1; });

    EXPECT_EQ(Trace.Statuses, (QStringList{Received(1025), Finished}));
    EXPECT_FALSE(Trace.Success);
    EXPECT_EQ(Trace.Text.size(), 1025u);
}

TEST_F(SciagerTest, ErrorsOnTheUserInterfaceThreadAreShownAndTheWorkerStillEnds)
{
    TErrorBoxRecorder Boxes;
    Server.Serve("/page", {.Body = Bytes(3000)});

    const int ThreadsBefore = ThreadCount();
    auto [Worker, Trace] = Make(Server.Url("/page"));
    Worker->OnTerminate = [Trace](TSciager*) {
        Trace->Ended = true;
        throw std::runtime_error("handler failed");
    };
    Worker->Start();
    WaitForEnd(*Trace);
    EXPECT_EQ(Boxes.Texts, QStringList{"handler failed."});
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() <= ThreadsBefore; }))
        << "the worker's thread did not end";

    Boxes.Texts.clear();
    const TTrace& Failing =
        Download(Server.Url("/page"), [this](TSciager*) { Traces.back().ThrowAtStep = 1; });
    EXPECT_EQ(Boxes.Texts, QStringList{"status step failed."});
    EXPECT_EQ(Failing.Statuses.size(), 1) << "the body ends with the failing step";
    EXPECT_FALSE(Failing.Success);
}

TEST_F(SciagerTest, FileModeWritesThePageAndFailsWithoutAUsableFile)
{
    const std::string Page = Bytes(3000);
    Server.Serve("/page", {.Body = Page});
    TTempDir Dir;
    const auto ToFile = [](const std::string& Name) {
        return [Name](TSciager* W) {
            W->SetMode(TDownloadMode::dmToFile);
            W->FileName = Name;
        };
    };

    Dir.Write("page.htm", "an older, longer page that is replaced whole " + Bytes(5000));
    const TTrace& Written = Download(Server.Url("/page"), ToFile(Dir.Dir() + "page.htm"));
    EXPECT_TRUE(Written.Success);
    EXPECT_TRUE(Dir.Read("page.htm") == Page) << "the file does not hold the page";
    EXPECT_EQ(Written.Text, "");
    EXPECT_EQ(Written.BytesReceived, 3000);

    const TTrace& NoFile = Download(Server.Url("/page"), ToFile(Dir.Dir() + "missing/page.htm"));
    EXPECT_FALSE(NoFile.Success);
    EXPECT_EQ(NoFile.Statuses, QStringList{Finished});
    EXPECT_EQ(Server.RequestCount("/page"), 1) << "no request without an output file";

    if (std::filesystem::exists("/dev/full")) {
        const TTrace& Full = Download(Server.Url("/page"), ToFile("/dev/full"));
        EXPECT_FALSE(Full.Success) << "a page that could not be written must not pass";
    }
}
} // namespace
