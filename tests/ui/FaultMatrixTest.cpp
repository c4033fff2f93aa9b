// Faults met by a refresh of all five sources at once, each source running into a different one:
// every source ends in its own state, undisturbed by what the others meet. And a configuration file
// that has gone missing by a timer tick.
#include "ClosedPort.h"
#include "FormFixture.h"
#include "HttpSession.h"
#include "IdleTimeout.h"

#include <QTimer>
#include <optional>

namespace {
using namespace std::chrono_literals;
using TFault = TReply::TFault;

// Byte values From to 255 in order, Copies times over; eight copies are longer than one read.
std::string BytesFrom(int From, int Copies = 1)
{
    std::string Bytes;
    for (int Copy = 0; Copy < Copies; ++Copy)
        for (int Value = From; Value < 256; ++Value)
            Bytes += static_cast<char>(Value);
    return Bytes;
}

// What one source meets in a round and how it must end.
struct TCase
{
    std::string Fault;
    std::string Address;
    int Requests;                    // requests the loopback server gets for it; -1: not counted
    std::optional<std::string> File; // page file after a download that succeeds; none when it fails
    QUrl Shown;                      // the page view's address after a download that succeeds
};

class TFaultMatrix : public TFormFixture
{
protected:
    static std::string PathOf(int Round, int Source)
    {
        return "/r" + std::to_string(Round) + "/" + Name(Source);
    }

    TCase Fails(int Round, int Source, const std::string& Fault, TReply Reply, int Requests = 1)
    {
        Server.Serve(PathOf(Round, Source), std::move(Reply));
        return {Fault, Server.Url(PathOf(Round, Source)), Requests, std::nullopt, {}};
    }

    TCase Succeeds(int Round, int Source, const std::string& Fault, TReply Reply)
    {
        const std::string File = PageFileOf(Source, Reply.Body);
        Server.Serve(PathOf(Round, Source), std::move(Reply));
        return {Fault, Server.Url(PathOf(Round, Source)), 1, File,
                Source == IndexSource ? QUrl(QString::fromStdString(QuotesPageAddress(ExtractSesid(File))))
                                      : FileUrl(Source)};
    }

    // Refreshes all five sources at once, each meeting its case, and checks how every one ended.
    void RunRound(int Round, const std::array<TCase, SourceCount>& Cases)
    {
        std::string Configuration;
        for (int Source = 0; Source < SourceCount; ++Source)
            Configuration += Cases[Source].Address + "\r<" + Name(Source) + ">\r</" + Name(Source) + ">\r";
        WorkDir.Write("dane.txt", Configuration);

        std::array<std::string, SourceCount> FileBefore;
        std::array<QUrl, SourceCount> ShownBefore;
        // A completed download puts the time of day in place of this mark.
        const QString Untouched = QStringLiteral("before round %1").arg(Round);
        for (int Source = 0; Source < SourceCount; ++Source) {
            FileBefore[Source] = PageFile(Source);
            ShownBefore[Source] = View(Source)->Address();
            Form->LastUpdate[Source] = Untouched;
        }

        Refresh();
        for (int Source = 0; Source < SourceCount; ++Source)
            ASSERT_TRUE(Form->Busy[Source]) << "round " << Round << ": source " << Source << " not started";
        ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }, 90)) << "round " << Round << ": still in flight";

        for (int Source = 0; Source < SourceCount; ++Source) {
            const TCase& Case = Cases[Source];
            SCOPED_TRACE("round " + std::to_string(Round) + ", source " + std::to_string(Source) + ": " +
                         Case.Fault);
            // A download that succeeds leaves its page file, time and view; one that fails, the last ones.
            const bool Ok = Case.File.has_value();
            const std::string File = PageFile(Source);
            EXPECT_TRUE(File == (Ok ? *Case.File : FileBefore[Source]))
                << "page file of " << File.size() << " bytes";
            EXPECT_TRUE(Ok ? LongTime.match(Form->LastUpdate[Source]).hasMatch()
                           : Form->LastUpdate[Source] == Untouched)
                << Form->LastUpdate[Source].toStdString();
            EXPECT_EQ(View(Source)->Address().toString(), (Ok ? Case.Shown : ShownBefore[Source]).toString());
            EXPECT_TRUE(Form->PageError[Source].isEmpty()) << Form->PageError[Source].toStdString();
            if (Case.Requests >= 0) {
                EXPECT_EQ(Server.RequestCount(PathOf(Round, Source)), Case.Requests);
            }
        }
        // The status line belongs to the first tab: its time, or the failed worker's last word.
        EXPECT_EQ(Form->InfoLabel->text(), Cases[0].File ? TForm1::LastUpdatePrefix + Form->LastUpdate[0]
                                                         : QStringLiteral("Ściąganie zakończone"));
        EXPECT_EQ(FilesInProgramDir(), SourceCount) << "only the five page files, no temporary ones";
        EXPECT_TRUE(Boxes.Texts.isEmpty()) << Boxes.Texts.join('|').toStdString();
    }
};
} // namespace

TEST_F(TFaultMatrix, EverySourceEndsInItsOwnStateWhateverTheOthersMeet)
{
    // Silence breaks a download off after this long; the trickling page sends something every 50 ms.
    const TIdleTimeout Idle(1500ms);
    const TClosedPort Refusing;

    // Round 0: a good page everywhere; the empty page files stand in for the ones before.
    std::array<TCase, SourceCount> Good;
    for (int Source = 0; Source < SourceCount; ++Source) {
        ProgramDir.Write(std::string(SourceTable[Source].PageFileName), "");
        Good[Source] =
            Succeeds(0, Source, "good page",
                     {.Body = Source == IndexSource ? IndexPageOf("First0") : PageOf(Source, "first")});
    }
    RunRound(0, Good);
    if (HasFatalFailure())
        return;

    // A page of 50 MiB whose section is small; the other pages are broken or refused.
    const std::string Large = "<s1>small section</s1>\r\n" + std::string(50 << 20, 'x') + "\r\n";
    RunRound(1, {
                    TCase{"connection refused", Refusing.Url("/r1/s0"), -1, std::nullopt, {}},
                    Succeeds(1, 1, "50 MiB page", {.Body = Large}),
                    Fails(1, 2, "status 404", {.Status = 404, .Body = PageOf(2, "not found")}),
                    Fails(1, 3, "connection closed half-way through the body",
                          {.Body = PageOf(3, std::string(4000, 'b')), .Fault = TFault::BreakOff}),
                    Fails(1, 4, "server silent past the time-out",
                          {.Body = IndexPageOf("Stalled1"), .Fault = TFault::Stall, .StallAfter = 20}),
                });
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(PageFile(1) == PageFileOf(1, "<s1>small section</s1>\r\n"))
        << "only the section makes the file";

    RunRound(
        2,
        {
            // Every byte value, the NUL after the section.
            Succeeds(2, 0, "every byte value",
                     {.Body = PageOf(0, BytesFrom(1, 8), '\0' + BytesFrom(1) + " tail\r\n")}),
            Fails(2, 1, "status 500", {.Status = 500, .Body = PageOf(1, "server error")}),
            // 4 bytes every 50 ms: the whole page takes longer than the idle time-out.
            Succeeds(2, 2, "a few bytes every 50 ms",
                     {.Body = PageOf(2, std::string(180, 'w')), .Fault = TFault::Trickle, .TrickleChunk = 4}),
            Fails(2, 3, "redirect loop", {.Fault = TFault::RedirectLoop}, -1),
            Fails(2, 4, "status 503", {.Status = 503, .Body = IndexPageOf("Busy2")}),
        });
    if (HasFatalFailure())
        return;
    // The bytes above the line breaks come through as they were sent, not recoded.
    EXPECT_NE(PageFile(0).find(BytesFrom(14)), std::string::npos);
    EXPECT_GT(Server.RequestCount(PathOf(2, 3)), 1) << "the redirect was followed";

    // A NUL in the middle of a section ends the page's text there, so the section loses its end
    // marker; a download that dropped the NUL or the bytes after it would keep it.
    RunRound(
        3, {
               Fails(3, 0, "server silent past the time-out",
                     {.Body = PageOf(0, "late"), .Fault = TFault::Stall, .StallAfter = 5}),
               TCase{"connection refused", Refusing.Url("/r3/s1"), -1, std::nullopt, {}},
               Fails(3, 2, "connection closed half-way through the body",
                     {.Body = PageOf(2, std::string(3000, 'c')), .Fault = TFault::BreakOff}),
               Succeeds(3, 3, "every byte value", {.Body = PageOf(3, BytesFrom(1) + '\0' + BytesFrom(1, 8))}),
               Succeeds(3, 4, "a few bytes every 50 ms",
                        {.Body = IndexPageOf("Trickled3"), .Fault = TFault::Trickle, .TrickleChunk = 4}),
           });
}

TEST_F(TFaultMatrix, ConfigurationGoneAtATimerTickIsReportedAndChangesNothing)
{
    WriteConfiguration();
    ServePages("kept");
    Server.Serve("/s4", {.Body = IndexPageOf("Kept")});
    ASSERT_TRUE(RefreshAndWait());

    // Everything a refresh could change.
    const auto State = [this] {
        std::vector<std::string> Parts{Form->InfoLabel->text().toStdString(),
                                       Form->Button1->text().toStdString()};
        for (int Source = 0; Source < SourceCount; ++Source)
            for (const QString& Text :
                 {View(Source)->Address().toString(), Form->LastUpdate[Source],
                  Form->findChild<QLabel*>("Label" + QString::number(5 + Source))->text()})
                Parts.push_back(Text.toStdString());
        Parts.insert(Parts.end(), Form->StartMarker.begin(), Form->StartMarker.end());
        Parts.insert(Parts.end(), Form->EndMarker.begin(), Form->EndMarker.end());
        for (int Source = 0; Source < SourceCount; ++Source)
            Parts.push_back(PageFile(Source));
        return Parts;
    };
    const auto Before = State();
    const auto Requests = Server.Requests().size();

    std::filesystem::remove(WorkDir.Path() / "dane.txt");
    // The press's box stays open a while, as a modal box does, and the timer ticks meanwhile: the
    // ticks add no box on top of it. Once it is closed, a tick shows the error again.
    TApplication::SetErrorBoxHook([this](const QString& Text) {
        Boxes.Texts.append(Text);
        if (Boxes.Texts.size() == 1)
            ProcessEventsFor(300);
    });
    const int Interval = Form->Timer1->interval();
    Form->Timer1->setInterval(20);
    Refresh();
    EXPECT_EQ(Boxes.Texts, QStringList{"File not found."}) << "ticks piled boxes on the open one";
    const bool Ticked = WaitUntil([this] { return Boxes.Texts.size() == 2; });
    Form->Timer1->setInterval(Interval);
    ASSERT_TRUE(Ticked) << "no error box after a timer tick";
    EXPECT_TRUE(Form->Timer1->isActive()) << "the next tick tries again";
    EXPECT_EQ(State(), Before);
    EXPECT_TRUE(AllIdle());
    ProcessEventsFor(100);
    EXPECT_EQ(Server.Requests().size(), Requests) << "no download without a configuration";
}
