// The download worker's bounds: a body past the size limit or a download past the time limit ends
// as a failure of its own kind, with the usual final status step.
#include "HttpSession.h"
#include "LoopbackServer.h"
#include "Sciager.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(DownloadBoundsTest, AnEndlessOrCrawlingBodyFailsWithinItsLimit)
{
    const std::string Endless(16 << 20, 'x'); // longer than any limit lets through
    const struct
    {
        TReply Reply;
        THttpSession::TLimits Limits;
        TFailure Expected;
    } Rows[] = {
        {{.Body = Endless}, {.MaxBody = 64 << 10}, TFailure::TooLarge},
        {{.Body = Endless, .Fault = TReply::TFault::Trickle, .TrickleChunk = 1, .TrickleDelay = 20ms},
         {.MaxDuration = 300ms},
         TFailure::TooLong},
    };
    const THttpSession::TLimits Saved = THttpSession::DefaultLimits();
    for (const auto& Row : Rows) {
        SCOPED_TRACE(static_cast<int>(Row.Expected));
        TLoopbackServer Server;
        Server.Serve("/endless", Row.Reply);
        THttpSession::SetDefaultLimits(Row.Limits);
        bool Ended = false;
        auto* Worker = new TSciager;
        Worker->SetURL(Server.Url("/endless"));
        Worker->OnTerminate = [&](TSciager* Sender) {
            Ended = true;
            EXPECT_FALSE(Sender->Success());
            EXPECT_EQ(Sender->Outcome().Failure, Row.Expected);
            EXPECT_GT(Sender->BytesReceived(), 0);
            EXPECT_LE(Sender->BytesReceived(), Row.Limits.MaxBody) << "no read past the limit is kept";
            EXPECT_EQ(Sender->StatusText, QStringLiteral("Ściąganie zakończone"));
        };
        const auto Start = std::chrono::steady_clock::now();
        Worker->Start();
        ASSERT_TRUE(WaitUntil([&] { return Ended; }, 20));
        EXPECT_LT(std::chrono::steady_clock::now() - Start, 10s);
        THttpSession::SetDefaultLimits(Saved);
    }
}
