// Refresh rounds of the window, and refreshes that meet downloads in flight, a full disk or no thread.
#include "ClosedPort.h"
#include "FormFixture.h"
#include "IdleTimeout.h"
#include "Sciager.h"

#include <csignal>
#include <sys/resource.h>

namespace {
using TFault = TReply::TFault;
const QString Mark = QStringLiteral("(untouched)");

struct TMeets
{
    TReply Reply;
    bool Good;               // the download succeeds when its source is enabled
    bool Refused = false;    // the address is a closed port
    const char* Quotes = ""; // the index tab's address after a good download (UTF-8)
};

struct TRound
{
    int Tab;                   // the visible tab
    std::array<bool, 4> Boxes; // CheckBox3 to CheckBox6
    std::array<TMeets, SourceCount> Sources;
    int Then = -1; // the tab turned to while the downloads of both tabs are under way
};

class TRounds : public TFormFixture
{
protected:
    void Run(int Number, const TRound& Round)
    {
        SCOPED_TRACE("round " + std::to_string(Number));
        const TClosedPort Closed;
        std::string Configuration;
        std::array<std::string, SourceCount> Paths, FilesBefore;
        std::array<QUrl, SourceCount> ShownBefore;
        for (int Source = 0; Source < SourceCount; ++Source) {
            const std::string& Path = Paths[Source] =
                "/r" + std::to_string(Number) + "/" + std::to_string(Source);
            Server.Serve(Path, Round.Sources[Source].Reply);
            Configuration += (Round.Sources[Source].Refused ? Closed.Url(Path) : Server.Url(Path)) + "\r" +
                             Marker(Source) + "\r" + Marker(Source, "/") + "\r";
            FilesBefore[Source] = PageFile(Source);
            ShownBefore[Source] = View(Source)->Address();
            Form->LastUpdate[Source] = Mark;
        }
        WorkDir.Write("dane.txt", Configuration);
        const std::array Checks{Form->CheckBox3, Form->CheckBox4, Form->CheckBox5, Form->CheckBox6};
        for (int Box = 0; Box < 4; ++Box)
            Checks[Box]->setChecked(Round.Boxes[Box]);
        Form->PageControl1->setCurrentIndex(Round.Tab);
        Form->InfoLabel->setText(Mark);
        const int Tab = Round.Then < 0 ? Round.Tab : Round.Then;
        if (Round.Then < 0) {
            ASSERT_TRUE(RefreshAndWait());
        } else {
            Refresh();
            ASSERT_TRUE(WaitUntil([&] {
                return Form->Busy[Round.Tab] && Form->Busy[Tab] && !Form->Worker[Tab]->StatusText.isEmpty();
            }));
            Form->PageControl1->setCurrentIndex(Tab);
            ProcessEventsFor(300);
            if (Form->Busy[Tab]) {
                EXPECT_EQ(Form->InfoLabel->text(), Form->Worker[Tab]->StatusText)
                    << "the status line follows the worker of the tab turned to";
            }
            ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
        }

        // Box 3 enables source 0, box 4 sources 1 and 2, box 5 source 4 and box 6 source 3.
        const auto& B = Round.Boxes;
        const std::array Enabled{B[0], B[1], B[1], B[3], B[2]};
        for (int Source = 0; Source < SourceCount; ++Source) {
            SCOPED_TRACE("source " + std::to_string(Source));
            const TMeets& Meets = Round.Sources[Source];
            const bool Good = Enabled[Source] && Meets.Good;
            const int Requests = Server.RequestCount(Paths[Source]);
            EXPECT_TRUE(Enabled[Source]
                            ? Meets.Refused || Requests == 1 || Meets.Reply.Fault == TFault::RedirectLoop
                            : Requests == 0)
                << Requests << " requests";
            const std::string File = Good ? PageFileOf(Source, Meets.Reply.Body) : FilesBefore[Source];
            EXPECT_TRUE(PageFile(Source) == File) << "page file of " << PageFile(Source).size() << " bytes";
            EXPECT_EQ(Form->LastUpdate[Source] != Mark, Good);
            EXPECT_EQ(View(Source)->Address(), !Good                   ? ShownBefore[Source]
                                               : Source == IndexSource ? QUrl(QString::fromUtf8(Meets.Quotes))
                                                                       : PageUrl(Source));
        }
        // The status line follows the visible tab alone.
        EXPECT_EQ(Form->InfoLabel->text(), !Enabled[Tab] ? Mark
                                           : Round.Sources[Tab].Good
                                               ? TForm1::LastUpdatePrefix + Form->LastUpdate[Tab]
                                               : QStringLiteral("Ściąganie zakończone"));
        EXPECT_EQ(FilesInProgramDir(), SourceCount) << "only the page files, no temporary ones";
        EXPECT_TRUE(Boxes.Texts.isEmpty()) << Boxes.Texts.join('|').toStdString();
    }
};
} // namespace

TEST_F(TRounds, EverySourceEndsInItsOwnStateWhateverTheOthersMeet)
{
    // A trickling page (4 bytes every 50 ms) takes longer in all than the idle time-out.
    const TIdleTimeout Idle(std::chrono::milliseconds(1500));
    const auto Good = [](int Source, const std::string& Text, TFault Fault = TFault::None) {
        return TMeets{
            {.Body = Source == IndexSource ? IndexPageOf(Text) : PageOf(Source, Text), .Fault = Fault}, true};
    };
    const auto Bad = [](TReply Reply) { return TMeets{std::move(Reply), false}; };
    const auto Index = [](const std::string& Sesid, const char* Quotes) {
        return TMeets{{.Body = IndexPageOf(Sesid)}, true, false, Quotes};
    };
    std::string EveryByte, Slow(180, 'w');
    for (int Value = 1; Value < 256; ++Value)
        EveryByte += char(Value);
    const TRound Rounds[] = {
        {0,
         {1, 1, 1, 1},
         {Good(0, EveryByte), Good(1, "a"), Good(2, "b"), Good(3, "c"),
          Index("First0", "https://notowania.doakcji.pl/lib/php/gieldy.php?sesid=First0")}},
        // The visible tab's page trickles in; the index tab, turned to meanwhile, stalls.
        {2,
         {0, 1, 1, 1},
         {Good(0, "off"), Bad({.Status = 404, .Body = PageOf(1, "not found")}),
          Good(2, Slow, TFault::Trickle),
          Bad({.Body = PageOf(3, std::string(4000, 'b')), .Fault = TFault::BreakOff}),
          Bad({.Body = IndexPageOf("Stalled"), .Fault = TFault::Stall, .StallAfter = 20})},
         4},
        {4,
         {1, 0, 1, 1},
         {TMeets{{}, false, true}, Good(1, "off"), Good(2, "off"), Bad({.Fault = TFault::RedirectLoop}),
          Bad({.Status = 500, .Body = IndexPageOf("Busy")})}},
        // A session id is taken as found, odd characters and Windows-1250 letters included.
        {3,
         {1, 1, 1, 0},
         {Good(0, "d"), Good(1, "e"), Good(2, Slow), Good(3, "off"),
          Index("a b|{}^`\\<>%\xB9",
                "https://notowania.doakcji.pl/lib/php/gieldy.php?sesid=a b|{}^`\\<>%ą")}},
    };
    const auto Outer = [this] { return QSize(Form->Frame->OuterWidth(), Form->Frame->OuterHeight()); };
    EXPECT_EQ(Outer(), QSize(569, 90)) << "the compact strip";
    for (int Round = 0; Round < std::ssize(Rounds) && !HasFatalFailure(); ++Round)
        Run(Round, Rounds[Round]);
    // The first press made the strip the full window, which is shown anew with a maximize button.
    EXPECT_TRUE(WaitUntil([&] { return Exposed() && Outer() == QSize(569, 490); }));
}

TEST_F(TRounds, PressWhileDownloadsAreInFlightStartsNoWorker)
{
    const TIdleTimeout Idle(std::chrono::milliseconds(1500));
    WriteConfiguration();
    for (int Source = 0; Source < SourceCount; ++Source)
        Server.Serve("/s" + std::to_string(Source), {.Body = "late", .Fault = TFault::Stall});
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return Server.Requests().size() == 5; }));
    const auto Workers = Form->Worker;
    Refresh();
    EXPECT_EQ(Form->Worker, Workers);
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    EXPECT_EQ(Server.Requests().size(), 5u);
}

TEST_F(TRounds, AHalfWrittenPageFileNeverReplacesTheLastGoodOne)
{
    WriteConfiguration();
    ServePages("old");
    OnlyFirstSource();
    ASSERT_TRUE(RefreshAndWait());
    const std::string Last = PageFile(0);
    // The new page file breaks off half-way through, as on a full disk.
    ServePages(std::string(5000, 'n'));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit Saved{};
    getrlimit(RLIMIT_FSIZE, &Saved);
    const rlimit Tight{1000, Saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &Tight);
    const bool Ended = RefreshAndWait("/s0", 2);
    setrlimit(RLIMIT_FSIZE, &Saved);
    ASSERT_TRUE(Ended);
    EXPECT_EQ(PageFile(0), Last);
    EXPECT_EQ(FilesInProgramDir(), 1) << "a temporary file left behind";
    EXPECT_EQ(Form->InfoLabel->text(), "Nie można zapisać 1wirek&borta.htm");
    const QString Updated = Form->LastUpdate[0];
    Form->PageControl1->setCurrentIndex(1);
    Form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(Form->InfoLabel->text(), "Ostatnia aktualizacja " + Updated)
        << "turning back to the tab shows its last update; its warning sign keeps the failure";
}

TEST_F(TRounds, SourceWhoseThreadCannotStartIsLeftToTheNextRefresh)
{
    WriteConfiguration();
    ServePages();
    // No thread can be made with a stack larger than the address space.
    const std::size_t Saved = std::exchange(TSciager::ThreadStackSize, std::size_t(1) << 50);
    Refresh();
    TSciager::ThreadStackSize = Saved;
    EXPECT_TRUE(AllIdle());
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(Server.Requests().size(), 5u);
}
