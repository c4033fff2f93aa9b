// Faults met by a refresh of all five sources at once, each source running into a different one:
// every source ends in its own state, undisturbed by what the others meet. And a configuration file
// that has gone missing by a timer tick.
#include "ClosedPort.h"
#include "FormFixture.h"
#include "FragmentPages.h"
#include "HttpSession.h"
#include "IdleTimeout.h"
#include "IndexPage.h"
#include "TextRoutines.h"
#include "WebBrowser.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTimer>
#include <arpa/inet.h>
#include <filesystem>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {
using namespace std::chrono_literals;

const QRegularExpression LongTime(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d$"));

std::string Name(int Source)
{
    return "s" + std::to_string(Source);
}

std::string PageOf(int Source, const std::string& Section, const std::string& After = " tail\r\n")
{
    return "head <" + Name(Source) + ">" + Section + "</" + Name(Source) + ">" + After;
}

std::string IndexPageOf(const std::string& Sesid)
{
    return "<a href=\"/lib/php/p_glowna.php?sesid=" + Sesid + "\">WIG</a>\r\n";
}

// What the window makes of a downloaded page: the source's fragment page, or for the index source
// the page in line form.
std::string PageFileOf(int Source, const std::string& Page)
{
    if (Source == IndexSource)
        return NormalizeLines(Page);
    return BuildFragmentPage(Source, NormalizeLines(Page), "<" + Name(Source) + ">",
                             "</" + Name(Source) + ">");
}

QUrl FileUrl(const TTempDir& Dir, int Source)
{
    return QUrl::fromLocalFile(
        QString::fromStdString(Dir.Dir() + std::string(SourceTable[Source].PageFileName)));
}

QUrl QuotesUrl(const std::string& Sesid)
{
    return QUrl(QString::fromStdString(QuotesPageAddress(Sesid)));
}

// Byte values From to 255 in order.
std::string BytesFrom(int From)
{
    std::string Bytes;
    for (int Value = From; Value < 256; ++Value)
        Bytes += static_cast<char>(Value);
    return Bytes;
}

// Byte values 1 to 255 eight times over, longer than one read of the download.
std::string HighAndLowBytes()
{
    std::string Bytes;
    for (int Copy = 0; Copy < 8; ++Copy)
        Bytes += BytesFrom(1);
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
                Source == IndexSource ? QuotesUrl(ExtractSesid(File)) : FileUrl(ProgramDir, Source)};
    }

    TWebBrowser* View(int Source) const
    {
        const std::array<TWebBrowser*, SourceCount> Views{
            Form->WebBrowser1, Form->WebBrowser2, Form->WebBrowser3, Form->WebBrowser4, Form->WebBrowser5};
        return Views[Source];
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
        const QString Untouched = QStringLiteral("before round %1").arg(Round);
        for (int Source = 0; Source < SourceCount; ++Source) {
            FileBefore[Source] = ProgramDir.Read(std::string(SourceTable[Source].PageFileName));
            ShownBefore[Source] = View(Source)->Address();
            // A completed download puts the time of day in place of this mark.
            Form->LastUpdate[Source] = Untouched;
        }

        Refresh();
        for (int Source = 0; Source < SourceCount; ++Source) {
            ASSERT_TRUE(Form->Busy[Source])
                << "round " << Round << ": source " << Source << " was not started";
        }
        ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }, 90))
            << "round " << Round << ": downloads still in flight";

        for (int Source = 0; Source < SourceCount; ++Source) {
            const TCase& Case = Cases[Source];
            SCOPED_TRACE("round " + std::to_string(Round) + ", source " + std::to_string(Source) + ": " +
                         Case.Fault);
            const std::string File = ProgramDir.Read(std::string(SourceTable[Source].PageFileName));
            if (Case.File) {
                EXPECT_TRUE(File == *Case.File)
                    << "page file of " << File.size() << " bytes, expected " << Case.File->size();
                EXPECT_TRUE(LongTime.match(Form->LastUpdate[Source]).hasMatch())
                    << Form->LastUpdate[Source].toStdString();
                EXPECT_EQ(View(Source)->Address().toString().toStdString(),
                          Case.Shown.toString().toStdString());
            } else {
                EXPECT_TRUE(File == FileBefore[Source]) << "the last good page file changed";
                EXPECT_EQ(Form->LastUpdate[Source].toStdString(), Untouched.toStdString());
                EXPECT_EQ(View(Source)->Address().toString().toStdString(),
                          ShownBefore[Source].toString().toStdString());
            }
            EXPECT_TRUE(Form->PageError[Source].isEmpty()) << Form->PageError[Source].toStdString();
            if (Case.Requests >= 0) {
                EXPECT_EQ(Server.RequestCount(PathOf(Round, Source)), Case.Requests);
            }
        }
        // The status line belongs to the first tab: its time, or the failed worker's last word.
        const QString Status = Cases[0].File ? TForm1::LastUpdatePrefix + Form->LastUpdate[0]
                                             : QStringLiteral("Ściąganie zakończone");
        EXPECT_EQ(Form->InfoLabel->text().toStdString(), Status.toStdString()) << "round " << Round;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ProgramDir.Path()), {}), SourceCount)
            << "round " << Round << ": only the five page files, no temporary ones";
        EXPECT_TRUE(Boxes.Texts.isEmpty()) << Boxes.Texts.join('|').toStdString();
    }

    // Refreshes every source with a good page, so that each has a page file, a time and a view.
    void GoodRound()
    {
        std::array<TCase, SourceCount> Cases;
        for (int Source = 0; Source < IndexSource; ++Source)
            Cases[Source] =
                Succeeds(0, Source, "good page", {.Body = PageOf(Source, "first " + Name(Source))});
        Cases[IndexSource] = Succeeds(0, IndexSource, "good page", {.Body = IndexPageOf("First0")});
        // A round reads every page file before its refresh; empty ones stand in for the first.
        for (int Source = 0; Source < SourceCount; ++Source)
            ProgramDir.Write(std::string(SourceTable[Source].PageFileName), "");
        RunRound(0, Cases);
    }
};
} // namespace

TEST_F(TFaultMatrix, EverySourceEndsInItsOwnStateWhateverTheOthersMeet)
{
    // Silence breaks a download off after this long; the trickling page sends something every 50 ms.
    const TIdleTimeout Idle(1500ms);
    const TClosedPort Refusing;
    using TFault = TReply::TFault;

    GoodRound();
    if (HasFatalFailure())
        return;

    // A page of 50 MiB whose section is small; the other pages are all there but broken or refused.
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
    const std::string LargeFile = ProgramDir.Read("2stormerfut.htm");
    EXPECT_TRUE(LargeFile == PageFileOf(1, "<s1>small section</s1>\r\n"))
        << "only the section makes the page file";

    // A page of every byte value, a page sent a few bytes at a time, and the others answered with
    // error statuses or sent round in circles.
    RunRound(
        2,
        {
            // Every byte value, the NUL after the section.
            Succeeds(2, 0, "every byte value",
                     {.Body = PageOf(0, HighAndLowBytes(), '\0' + BytesFrom(1) + " tail\r\n")}),
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
    EXPECT_NE(ProgramDir.Read("1wirek&borta.htm").find(BytesFrom(14)), std::string::npos);
    EXPECT_GT(Server.RequestCount(PathOf(2, 3)), 1) << "the redirect was followed";

    // The index source's page trickles in; its neighbours stall, are refused or break off, or send a
    // NUL in the middle of the section: it ends the page's text there, so the section loses its end
    // marker, whereas a download that dropped the NUL or the bytes after it would keep it.
    RunRound(3, {
                    Fails(3, 0, "server silent past the time-out",
                          {.Body = PageOf(0, "late"), .Fault = TFault::Stall, .StallAfter = 5}),
                    TCase{"connection refused", Refusing.Url("/r3/s1"), -1, std::nullopt, {}},
                    Fails(3, 2, "connection closed half-way through the body",
                          {.Body = PageOf(2, std::string(3000, 'c')), .Fault = TFault::BreakOff}),
                    Succeeds(3, 3, "every byte value",
                             {.Body = PageOf(3, BytesFrom(1) + '\0' + HighAndLowBytes())}),
                    Succeeds(3, 4, "a few bytes every 50 ms",
                             {.Body = IndexPageOf("Trickled3"), .Fault = TFault::Trickle, .TrickleChunk = 4}),
                });
}

TEST_F(TFaultMatrix, ConfigurationGoneAtATimerTickIsReportedAndChangesNothing)
{
    WriteConfiguration();
    ServePages("kept");
    Server.Serve("/s4", {.Body = IndexPageOf("Kept")});
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));

    std::array<std::string, SourceCount> Files;
    std::array<QString, SourceCount> Captions;
    std::array<QUrl, SourceCount> Shown;
    const std::array<QLabel*, SourceCount> Links{Form->Label5, Form->Label6, Form->Label7, Form->Label8,
                                                 Form->Label9};
    for (int Source = 0; Source < SourceCount; ++Source) {
        Files[Source] = ProgramDir.Read(std::string(SourceTable[Source].PageFileName));
        Captions[Source] = Links[Source]->text();
        Shown[Source] = View(Source)->Address();
    }
    const auto StartMarkers = Form->StartMarker;
    const auto EndMarkers = Form->EndMarker;
    const auto Times = Form->LastUpdate;
    const QString Status = Form->InfoLabel->text();
    const auto Requests = Server.Requests().size();

    std::filesystem::remove(WorkDir.Path() / "dane.txt");
    const int Interval = Form->Timer1->interval();
    Form->Timer1->setInterval(20);
    const bool Ticked = WaitUntil([this] { return !Boxes.Texts.isEmpty(); });
    Form->Timer1->setInterval(Interval);
    ASSERT_TRUE(Ticked) << "no error box after a timer tick";

    for (const QString& Text : Boxes.Texts)
        EXPECT_EQ(Text, "File not found.");
    EXPECT_TRUE(Form->Timer1->isActive()) << "the next tick tries again";
    EXPECT_EQ(Form->Button1->text(), TForm1::RefreshCaption);
    EXPECT_EQ(Form->StartMarker, StartMarkers);
    EXPECT_EQ(Form->EndMarker, EndMarkers);
    EXPECT_EQ(Form->LastUpdate, Times);
    EXPECT_EQ(Form->InfoLabel->text(), Status);
    EXPECT_TRUE(AllIdle());
    for (int Source = 0; Source < SourceCount; ++Source) {
        EXPECT_EQ(ProgramDir.Read(std::string(SourceTable[Source].PageFileName)), Files[Source]) << Source;
        EXPECT_EQ(Links[Source]->text(), Captions[Source]) << Source;
        EXPECT_EQ(View(Source)->Address(), Shown[Source]) << Source;
    }
    ProcessEventsFor(100);
    EXPECT_EQ(Server.Requests().size(), Requests) << "no download without a configuration";
}
