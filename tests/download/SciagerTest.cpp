// The download worker against the loopback server.
#include "Sciager.h"
#include "ClosedPort.h"
#include "HttpSession.h"
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

struct TEnd
{
    bool Success;
    std::string Text;
    std::string Reason; // the failure as the user reads it
    TFailure Failure = TFailure::None;
    std::int64_t Bytes = 0;
    QString Status;
};

// How the worker ended downloading Url (into File when one is given, with its steps in Progress).
TEnd Download(const std::string& Url, const std::string& File = "", QLabel* Progress = nullptr)
{
    std::optional<TEnd> Outcome;
    auto* Worker = new TSciager;
    Worker->SetURL(Url);
    Worker->ProgressControl = Progress;
    Worker->ShowProgress = true;
    if (!File.empty()) {
        Worker->SetMode(TDownloadMode::dmToFile);
        Worker->FileName = File;
    }
    Worker->OnTerminate = [&](TSciager* Sender) {
        Outcome = {Sender->Success(),         Sender->ResultText(),    DescribeFailure(Sender->Outcome()),
                   Sender->Outcome().Failure, Sender->BytesReceived(), Sender->StatusText};
    };
    Worker->Start();
    EXPECT_TRUE(WaitUntil([&] { return Outcome.has_value(); })) << Url;
    return Outcome.value_or(TEnd{false, "(no end)", ""});
}
} // namespace

TEST(Sciager, OnlyACompleteTransferWithAGoodStatusIsASuccess)
{
    // Silence ends a transfer after 400 ms; the trickling page sends 4 bytes every 50 ms for 2 s.
    const TIdleTimeout Idle(400ms);
    TLoopbackServer Server;
    const TClosedPort Closed;
    const std::string Page(3000, 'p'), Slow(160, 's');
    // Past the first MiB, with no two kibibytes alike.
    std::string Big((1 << 20) + 3000, '\0');
    for (std::size_t I = 0; I < Big.size(); ++I)
        Big[I] = char(I * 7 + I / 1024);
    Server.Serve("/page", {.Body = Page});
    Server.Serve("/big", {.Body = Big});
    Server.Serve("/moved", {.Location = "/page", .Fault = TFault::Redirect});
    Server.Serve("/slow", {.Body = Slow, .Fault = TFault::Trickle});
    Server.Serve("/gone", {.Status = 404, .Body = Page});
    Server.Serve("/cut", {.Body = Page, .Fault = TFault::BreakOff});
    Server.Serve("/stuck", {.Body = Page, .Fault = TFault::Stall, .StallAfter = 1000});
    Server.Serve("/loop", {.Fault = TFault::RedirectLoop});
    const std::tuple<std::string, bool, std::string> Cases[] = {
        {Server.Url("/page"), true, Page},
        {Server.Url("/big"), true, Big},
        {Server.Url("/moved"), true, Page},
        {Server.Url("/slow"), true, Slow},
        {Server.Url("/gone"), false, Page},
        {Server.Url("/cut"), false, Page.substr(0, 1500)},
        {Server.Url("/stuck"), false, Page.substr(0, 1000)},
        {Server.Url("/loop"), false, ""},
        {Closed.Url("/page"), false, ""},
    };
    for (const auto& [Url, Success, Text] : Cases) {
        const TEnd End = Download(Url);
        EXPECT_EQ(End.Success, Success) << Url;
        EXPECT_TRUE(End.Text == Text) << Url << ": " << End.Text.size() << " bytes";
    }

    // Over TLS, a server's certificate counts only when an authority the worker trusts signed it.
    TLoopbackServer Secure(TTlsFiles{TKW_TLS_DATA_DIR "/server.pem", TKW_TLS_DATA_DIR "/server-key.pem"});
    Secure.Serve("/page", {.Body = Page});
    const TEnd Untrusted = Download(Secure.Url("/page"));
    EXPECT_FALSE(Untrusted.Success);
    EXPECT_TRUE(Untrusted.Reason.find("certificate") != std::string::npos) << Untrusted.Reason;
    THttpSession::SetTrustedCaFile(TKW_TLS_DATA_DIR "/ca.pem");
    const TEnd Trusted = Download(Secure.Url("/page"));
    THttpSession::SetTrustedCaFile({});
    EXPECT_TRUE(Trusted.Success) << Trusted.Reason;
    EXPECT_EQ(Trusted.Text, Page);

    // File mode: the page goes into the file; a file that cannot be created fails the download.
    TTempDir Dir;
    EXPECT_TRUE(Download(Server.Url("/page"), Dir.Dir() + "page.htm").Success);
    EXPECT_EQ(Dir.Read("page.htm"), Page);
    QLabel Progress;
    EXPECT_FALSE(Download(Server.Url("/page"), Dir.Dir() + "missing/page.htm", &Progress).Success);
    EXPECT_EQ(Progress.text(), QString()) << "no status step without a file to download into";
}

TEST(Sciager, AnEndlessOrCrawlingBodyFailsWithinItsLimit)
{
    const std::string Endless(16 << 20, 'x'); // longer than any limit lets through
    TLoopbackServer Server;
    Server.Serve("/big", {.Body = Endless});
    Server.Serve("/crawl",
                 {.Body = Endless, .Fault = TFault::Trickle, .TrickleChunk = 1, .TrickleDelay = 20ms});
    const THttpSession::TLimits Saved = THttpSession::DefaultLimits();
    const std::tuple<const char*, THttpSession::TLimits, TFailure> Rows[] = {
        {"/big", {.MaxBody = 64 << 10}, TFailure::TooLarge},
        {"/crawl", {.MaxDuration = 300ms}, TFailure::TooLong},
    };
    for (const auto& [Path, Limits, Failure] : Rows) {
        THttpSession::SetDefaultLimits(Limits);
        const TEnd End = Download(Server.Url(Path));
        THttpSession::SetDefaultLimits(Saved);
        EXPECT_FALSE(End.Success) << Path;
        EXPECT_EQ(End.Failure, Failure) << Path;
        EXPECT_GT(End.Bytes, 0) << Path;
        EXPECT_LE(End.Bytes, Limits.MaxBody) << Path << ": a read past the limit was kept";
        EXPECT_EQ(End.Status, QStringLiteral("Ściąganie zakończone")) << Path;
    }
}
