// The download worker against the loopback server: which transfers count as a success, and what
// it read.
#include "Sciager.h"
#include "ClosedPort.h"
#include "IdleTimeout.h"
#include "LoopbackServer.h"
#include "TempDir.h"
#include "WaitUntil.h"

#include <QLabel>
#include <gtest/gtest.h>
#include <optional>

namespace {
using namespace std::chrono_literals;
using TFault = TReply::TFault;

// Downloads Url, in file mode into File when one is given, with its status steps shown in Progress;
// success and text once the worker has ended.
std::pair<bool, std::string> Download(const std::string& Url, const std::string& File = "",
                                      QLabel* Progress = nullptr)
{
    std::optional<std::pair<bool, std::string>> Outcome;
    auto* Worker = new TSciager;
    Worker->SetURL(Url);
    Worker->ProgressControl = Progress;
    Worker->ShowProgress = true;
    if (!File.empty()) {
        Worker->SetMode(TDownloadMode::dmToFile);
        Worker->FileName = File;
    }
    Worker->OnTerminate = [&](TSciager* Sender) { Outcome.emplace(Sender->Success(), Sender->ResultText()); };
    Worker->Start();
    EXPECT_TRUE(WaitUntil([&] { return Outcome.has_value(); })) << Url;
    return Outcome.value_or(std::pair(false, "(no end)"));
}
} // namespace

TEST(Sciager, OnlyACompleteTransferWithAGoodStatusIsASuccess)
{
    // Silence ends a transfer after 400 ms; the trickling page sends 4 bytes every 50 ms for 2 s.
    const TIdleTimeout Idle(400ms);
    TLoopbackServer Server;
    const TClosedPort Closed;
    const std::string Page(3000, 'p'), Slow(160, 's');
    Server.Serve("/page", {.Body = Page});
    Server.Serve("/slow", {.Body = Slow, .Fault = TFault::Trickle});
    Server.Serve("/gone", {.Status = 404, .Body = Page});
    Server.Serve("/cut", {.Body = Page, .Fault = TFault::BreakOff});
    Server.Serve("/stuck", {.Body = Page, .Fault = TFault::Stall, .StallAfter = 1000});
    Server.Serve("/loop", {.Fault = TFault::RedirectLoop});
    const std::tuple<std::string, bool, std::string> Cases[] = {
        {Server.Url("/page"), true, Page},
        {Server.Url("/slow"), true, Slow},
        {Server.Url("/gone"), false, Page},
        {Server.Url("/cut"), false, Page.substr(0, 1500)},
        {Server.Url("/stuck"), false, Page.substr(0, 1000)},
        {Server.Url("/loop"), false, ""},
        {Closed.Url("/page"), false, ""},
    };
    for (const auto& [Url, Success, Text] : Cases) {
        const auto [Succeeded, Read] = Download(Url);
        EXPECT_EQ(Succeeded, Success) << Url;
        EXPECT_TRUE(Read == Text) << Url << ": " << Read.size() << " bytes";
    }

    // File mode: the page goes into the file; a file that cannot be created fails the download.
    TTempDir Dir;
    EXPECT_TRUE(Download(Server.Url("/page"), Dir.Dir() + "page.htm").first);
    EXPECT_EQ(Dir.Read("page.htm"), Page);
    QLabel Progress;
    EXPECT_FALSE(Download(Server.Url("/page"), Dir.Dir() + "missing/page.htm", &Progress).first);
    EXPECT_EQ(Progress.text(), QString()) << "no status step without a file to download into";
}
