// The completion of a download: page file, page view, update time and status line.
#include "FormFixture.h"
#include "FragmentPages.h"
#include "IndexPage.h"
#include "TextRoutines.h"

#include <QRegularExpression>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {
using TCompletion = TFormFixture;

const QRegularExpression LongTime(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d$"));

std::string PageOf(int Source, const std::string& Text)
{
    const std::string Name = "s" + std::to_string(Source);
    return "head <" + Name + ">" + Text + "</" + Name + "> tail\r\n";
}

std::string ExpectedFile(int Source, const std::string& Text)
{
    const std::string Name = "s" + std::to_string(Source);
    return BuildFragmentPage(Source, NormalizeLines(PageOf(Source, Text)), "<" + Name + ">",
                             "</" + Name + ">");
}

// Leaves only source 0 enabled.
void OnlyFirstSource(TForm1& Form)
{
    Form.CheckBox4->setChecked(false);
    Form.CheckBox5->setChecked(false);
    Form.CheckBox6->setChecked(false);
}

std::size_t FilesIn(const std::filesystem::path& Dir)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(Dir), {}));
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
    Form->CheckBox3->setChecked(false);
    Form->CheckBox5->setChecked(false);
    Form->CheckBox6->setChecked(false);
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));

    EXPECT_EQ(Form->InfoLabel->text(), QString()) << "a hidden tab's completion leaves the status line alone";
    EXPECT_EQ(ProgramDir.Read("2stormerfut.htm"), ExpectedFile(1, "kurs WIG"));
    EXPECT_EQ(ProgramDir.Read("3stormer.htm"), ExpectedFile(2, "kurs WIG"));
    EXPECT_EQ(Form->WebBrowser2->Address(),
              QUrl::fromLocalFile(QString::fromStdString(ProgramDir.Dir() + "2stormerfut.htm")));
    EXPECT_TRUE(LongTime.match(Form->LastUpdate[1]).hasMatch()) << Form->LastUpdate[1].toStdString();
    EXPECT_TRUE(Form->LastUpdate[0].isEmpty());

    Form->PageControl1->setCurrentIndex(1);
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[1]);
    Form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix)
        << "a source never updated shows the prefix alone";
}

TEST_F(TCompletion, FailedDownloadChangesOnlyTheBusyFlag)
{
    WriteConfiguration();
    ServePages("pierwsza");
    OnlyFirstSource(*Form);
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    const QString Time = Form->LastUpdate[0];
    const QUrl Shown = Form->WebBrowser1->Address();
    ASSERT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Time);

    Server.Serve("/s0", {.Status = 500, .Body = PageOf(0, "błąd")});
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle() && Server.RequestCount("/s0") == 2; }));
    EXPECT_EQ(ProgramDir.Read("1wirek&borta.htm"), ExpectedFile(0, "pierwsza"));
    EXPECT_EQ(Form->LastUpdate[0], Time);
    EXPECT_EQ(Form->WebBrowser1->Address(), Shown);
    EXPECT_EQ(Form->InfoLabel->text(), "Ściąganie zakończone") << "the worker's own last status stays";
}

TEST_F(TCompletion, PageFileIsReplacedWhole)
{
    ProgramDir.Write("1wirek&borta.htm", std::string(100000, 'o'));
    WriteConfiguration();
    ServePages("nowa");
    OnlyFirstSource(*Form);
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    EXPECT_EQ(ProgramDir.Read("1wirek&borta.htm"), ExpectedFile(0, "nowa"));
    EXPECT_EQ(FilesIn(ProgramDir.Path()), 1u) << "no temporary file is left beside the page file";
}

TEST_F(TCompletion, FailedWriteKeepsTheLastGoodPageAndSaysSo)
{
    WriteConfiguration();
    ServePages("stara");
    OnlyFirstSource(*Form);
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    const QString Time = Form->LastUpdate[0];

    // The new page breaks off half-way through its file, as on a full disk.
    ServePages(std::string(5000, 'n'));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit Saved{};
    getrlimit(RLIMIT_FSIZE, &Saved);
    rlimit Tight = Saved;
    Tight.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &Tight);
    Refresh();
    const bool Ended = WaitUntil([this] { return AllIdle() && Server.RequestCount("/s0") == 2; });
    setrlimit(RLIMIT_FSIZE, &Saved);
    ASSERT_TRUE(Ended);

    EXPECT_EQ(ProgramDir.Read("1wirek&borta.htm"), ExpectedFile(0, "stara"));
    EXPECT_EQ(FilesIn(ProgramDir.Path()), 1u) << "no temporary file is left beside the page file";
    EXPECT_EQ(Form->LastUpdate[0], Time);
    EXPECT_EQ(Form->InfoLabel->text(), "Nie można zapisać 1wirek&borta.htm");
    Form->PageControl1->setCurrentIndex(1);
    Form->PageControl1->setCurrentIndex(0);
    EXPECT_EQ(Form->InfoLabel->text(), "Nie można zapisać 1wirek&borta.htm") << "the tab keeps saying so";

    // The next refresh tries again.
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle() && Server.RequestCount("/s0") == 3; }));
    EXPECT_EQ(ProgramDir.Read("1wirek&borta.htm"), ExpectedFile(0, std::string(5000, 'n')));
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[0]);
}

TEST_F(TCompletion, MissingProgramDirectoryIsReportedOnTheStatusLine)
{
    Form->ProgramDir = ProgramDir.Dir() + "gone/";
    WriteConfiguration();
    ServePages();
    OnlyFirstSource(*Form);
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    EXPECT_TRUE(Form->LastUpdate[0].isEmpty());
    EXPECT_TRUE(Form->WebBrowser1->Address().isEmpty());
    EXPECT_EQ(Form->InfoLabel->text(), "Nie można zapisać 1wirek&borta.htm");
}

TEST_F(TCompletion, IndexSourceKeepsTheRawPageAndShowsTheQuotesForItsSessionId)
{
    WriteConfiguration();
    Server.Serve("/s4", {.Body = "<a href=\"/lib/php/p_glowna.php?sesid=A1b2\">WIG</a>\n"});
    Form->CheckBox3->setChecked(false);
    Form->CheckBox4->setChecked(false);
    Form->CheckBox6->setChecked(false);
    Form->PageControl1->setCurrentIndex(4);
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    EXPECT_EQ(ProgramDir.Read("5swiat.htm"), "<a href=\"/lib/php/p_glowna.php?sesid=A1b2\">WIG</a>\r\n");
    EXPECT_EQ(Form->WebBrowser5->Address(), QUrl(QString::fromStdString(QuotesPageAddress("A1b2"))));
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[4]);

    // An empty page writes no file but still navigates and records the time.
    Server.Serve("/s4", {.Body = ""});
    Form->LastUpdate[4].clear();
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle() && Server.RequestCount("/s4") == 2; }));
    EXPECT_EQ(ProgramDir.Read("5swiat.htm"), "<a href=\"/lib/php/p_glowna.php?sesid=A1b2\">WIG</a>\r\n");
    EXPECT_EQ(Form->WebBrowser5->Address(), QUrl(QString::fromStdString(QuotesPageAddress(""))));
    EXPECT_FALSE(Form->LastUpdate[4].isEmpty());

    // An address the viewer refuses is reported, not shown.
    Server.Serve("/s4", {.Body = "/lib/php/p_glowna.php?sesid=a b\""});
    const QString Time = Form->LastUpdate[4];
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle() && Server.RequestCount("/s4") == 3; }));
    EXPECT_EQ(Form->LastUpdate[4], Time);
    EXPECT_EQ(Form->InfoLabel->text(), "Nie można otworzyć strony");
}

TEST_F(TNonAsciiProgramDir, PageFilesGoToAProgramDirectoryWithPolishLetters)
{
    WriteConfiguration();
    ServePages();
    OnlyFirstSource(*Form);
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    EXPECT_EQ(ProgramDir.Read("1wirek&borta.htm"), ExpectedFile(0, "news"));
    EXPECT_EQ(Form->WebBrowser1->Address().toLocalFile().toStdString(),
              ProgramDir.Dir() + "1wirek&borta.htm");
}
