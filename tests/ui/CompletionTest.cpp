// The completion of a download: page file, page view, update time and status line.
#include "FormFixture.h"

#include <QMouseEvent>
#include <QWebEngineHistory>
#include <QWebEngineView>
#include <csignal>
#include <sys/resource.h>

namespace {
using TCompletion = TFormFixture;

std::string ExpectedFile(int Source, const std::string& Text)
{
    return PageFileOf(Source, PageOf(Source, Text));
}

class TNonAsciiProgramDir : public TFormFixture
{
protected:
    TNonAsciiProgramDir() : TFormFixture("zażółć gęślą jaźń") {}
};
} // namespace

TEST_F(TCompletion, HiddenTabIsUpdatedQuietlyAndShowsItsTimeWhenTurnedTo)
{
    WriteConfiguration();
    ServePages("kurs WIG");
    for (QCheckBox* Box : {Form->CheckBox3, Form->CheckBox5, Form->CheckBox6})
        Box->setChecked(false);
    ASSERT_TRUE(RefreshAndWait());

    EXPECT_EQ(Server.Requests().size(), 2u) << "unchecked sources are not downloaded";
    EXPECT_EQ(Form->InfoLabel->text(), QString()) << "a hidden tab's completion leaves the status line alone";
    EXPECT_EQ(PageFile(1), ExpectedFile(1, "kurs WIG"));
    EXPECT_EQ(PageFile(2), ExpectedFile(2, "kurs WIG"));
    EXPECT_EQ(Form->WebBrowser2->Address(), FileUrl(1));
    EXPECT_FALSE(Form->WebBrowser2->Loaded()) << "a view loads only once its tab is shown";
    EXPECT_TRUE(LongTime.match(Form->LastUpdate[1]).hasMatch()) << Form->LastUpdate[1].toStdString();

    Form->PageControl1->setCurrentIndex(1);
    EXPECT_TRUE(Form->WebBrowser2->Loaded());
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[1]);
    Form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix) << "never updated: the prefix alone";
}

// A page file is replaced whole; a failed download or write keeps the last good one, with no
// temporary file left beside it, and a failed write is reported until a later refresh succeeds.
TEST_F(TCompletion, PageFileIsReplacedWholeOrKeptWhenTheDownloadOrWriteFails)
{
    ProgramDir.Write("1wirek&borta.htm", std::string(100000, 'o'));
    WriteConfiguration();
    ServePages("stara");
    OnlyFirstSource();
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(PageFile(0), ExpectedFile(0, "stara"));
    EXPECT_EQ(FilesInProgramDir(), 1);
    const QString Time = Form->LastUpdate[0];
    const QUrl Shown = Form->WebBrowser1->Address();

    Server.Serve("/s0", {.Status = 500, .Body = PageOf(0, "błąd")});
    ASSERT_TRUE(RefreshAndWait("/s0", 2));
    EXPECT_EQ(PageFile(0), ExpectedFile(0, "stara"));
    EXPECT_EQ(Form->LastUpdate[0], Time);
    EXPECT_EQ(Form->WebBrowser1->Address(), Shown);
    EXPECT_EQ(Form->InfoLabel->text(), "Ściąganie zakończone") << "the worker's own last status stays";

    // The new page breaks off half-way through its file, as on a full disk.
    ServePages(std::string(5000, 'n'));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit Saved{};
    getrlimit(RLIMIT_FSIZE, &Saved);
    rlimit Tight = Saved;
    Tight.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &Tight);
    const bool Ended = RefreshAndWait("/s0", 3);
    setrlimit(RLIMIT_FSIZE, &Saved);
    ASSERT_TRUE(Ended);
    EXPECT_EQ(PageFile(0), ExpectedFile(0, "stara"));
    EXPECT_EQ(FilesInProgramDir(), 1) << "no temporary file is left beside the page file";
    EXPECT_EQ(Form->LastUpdate[0], Time);
    Form->PageControl1->setCurrentIndex(1);
    Form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(Form->InfoLabel->text(), "Nie można zapisać 1wirek&borta.htm") << "the tab keeps saying so";

    ASSERT_TRUE(RefreshAndWait("/s0", 4));
    EXPECT_EQ(PageFile(0), ExpectedFile(0, std::string(5000, 'n')));
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[0]);
}

TEST_F(TCompletion, IndexSourceKeepsTheRawPageAndShowsTheQuotesForItsSessionId)
{
    WriteConfiguration();
    Server.Serve("/s4", {.Body = "<a href=\"/lib/php/p_glowna.php?sesid=A1b2\">WIG</a>\n"});
    for (QCheckBox* Box : {Form->CheckBox3, Form->CheckBox4, Form->CheckBox6})
        Box->setChecked(false);
    Form->PageControl1->setCurrentIndex(4);
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(PageFile(4), IndexPageOf("A1b2"));
    EXPECT_EQ(Form->WebBrowser5->Address(), QUrl(QString::fromStdString(QuotesPageAddress("A1b2"))));
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[4]);

    // An empty page writes no file but still navigates and records the time.
    Server.Serve("/s4", {.Body = ""});
    Form->LastUpdate[4].clear();
    ASSERT_TRUE(RefreshAndWait("/s4", 2));
    EXPECT_EQ(PageFile(4), IndexPageOf("A1b2"));
    EXPECT_EQ(Form->WebBrowser5->Address(), QUrl(QString::fromStdString(QuotesPageAddress(""))));
    EXPECT_FALSE(Form->LastUpdate[4].isEmpty());

    // Any value is handed over as found, read as a browser's address bar reads it, its bytes as
    // Windows-1250; only an address no browser could open is refused.
    Server.Serve("/s4", {.Body = "/lib/php/p_glowna.php?sesid=a b|{}^`\\<>%\xB9\""});
    Form->LastUpdate[4].clear();
    ASSERT_TRUE(RefreshAndWait("/s4", 3));
    EXPECT_FALSE(Form->LastUpdate[4].isEmpty());
    const QString Odd = QString::fromStdString(QuotesPageAddress("a b|{}^`\\<>%")) + u'ą';
    EXPECT_EQ(Form->WebBrowser5->Address(), QUrl(Odd, QUrl::TolerantMode));
    EXPECT_THROW(Form->WebBrowser5->Navigate("http://exa mple.org/"), std::invalid_argument);
}

TEST_F(TCompletion, ShownViewGoesBackOnTheMouseBackButton)
{
    ProgramDir.Write("a.htm", "<p>a</p>");
    ProgramDir.Write("b.htm", "<p>b</p>");
    const QString A = QString::fromStdString(ProgramDir.Dir() + "a.htm");
    Form->PageControl1->show();
    Form->WebBrowser1->Navigate(A);
    QWebEngineView* Viewer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (Viewer = Form->WebBrowser1->findChild<QWebEngineView*>()); }));
    ASSERT_TRUE(WaitUntil([&] { return Viewer->history()->currentItem().isValid(); }));
    Form->WebBrowser1->Navigate(QString::fromStdString(ProgramDir.Dir() + "b.htm"));
    ASSERT_TRUE(WaitUntil([&] { return Viewer->history()->canGoBack() && Viewer->focusProxy(); }));
    for (QEvent::Type Type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent Click(Type, QPointF(5, 5), QPointF(5, 5), Qt::BackButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Viewer->focusProxy(), &Click);
    }
    EXPECT_TRUE(WaitUntil([&] { return Viewer->url() == QUrl::fromLocalFile(A); }));
}

TEST_F(TNonAsciiProgramDir, PageFilesGoToAProgramDirectoryWithPolishLetters)
{
    WriteConfiguration();
    ServePages();
    OnlyFirstSource();
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(PageFile(0), ExpectedFile(0, "news"));
    EXPECT_EQ(Form->WebBrowser1->Address().toLocalFile().toStdString(),
              ProgramDir.Dir() + "1wirek&borta.htm");
}
