// The download worker's bounds: a body past the size limit or a download past the time limit ends
// as a failure of its own kind, with the usual final status step.
#include "HttpSession.h"
#include "LoopbackServer.h"
#include "Sciager.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
struct TBoundRow
{
    const char* Name;
    TReply Reply;
    THttpSession::TLimits Limits;
    TFailure Expected;
};

TEST(DownloadBoundsTest, AnEndlessOrCrawlingBodyFailsWithinItsLimit)
{
    constexpr std::int64_t Small = 64 << 10;
    const std::string Endless(16 << 20, 'x'); // nothing the limit lets through ever reaches its end
    const TBoundRow Rows[] = {
        {"too large", {.Body = Endless}, {.MaxBody = Small}, TFailure::TooLarge},
        {"too long",
         {.Body = Endless, .Fault = TReply::TFault::Trickle, .TrickleChunk = 1, .TrickleDelay = 20ms},
         {.MaxDuration = 300ms},
         TFailure::TooLong},
    };
    const THttpSession::TLimits Saved = THttpSession::DefaultLimits();
    for (const TBoundRow& Row : Rows) {
        SCOPED_TRACE(Row.Name);
        TLoopbackServer Server;
        Server.Serve("/endless", Row.Reply);
        THttpSession::SetDefaultLimits(Row.Limits);
        struct
        {
            bool Ended = false, Success = true;
            std::int64_t Bytes = -1;
            TDownloadOutcome Outcome;
            QString LastStatus;
        } Seen;
        auto* Worker = new TSciager;
        Worker->SetURL(Server.Url("/endless"));
        Worker->OnTerminate = [&Seen](TSciager* Sender) {
            Seen = {true, Sender->Success(), Sender->BytesReceived(), Sender->Outcome(), Sender->StatusText};
        };
        const auto Start = std::chrono::steady_clock::now();
        Worker->Start();
        ASSERT_TRUE(WaitUntil([&] { return Seen.Ended; }, 20));
        THttpSession::SetDefaultLimits(Saved);
        EXPECT_LT(std::chrono::steady_clock::now() - Start, 10s);
        EXPECT_FALSE(Seen.Success);
        EXPECT_EQ(Seen.Outcome.Failure, Row.Expected);
        EXPECT_LE(Seen.Bytes, Row.Limits.MaxBody) << "no read past the limit is kept";
        EXPECT_GT(Seen.Bytes, 0);
        EXPECT_EQ(Seen.LastStatus, QStringLiteral("Ściąganie zakończone"));
        EXPECT_FALSE(DescribeFailure(Seen.Outcome).empty());
    }
}
} // namespace
