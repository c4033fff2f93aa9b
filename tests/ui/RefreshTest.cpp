// The refresh: reading dane.txt, the first press, one download per source, the timer, and refreshes
// that meet downloads still in flight.
#include "FormFixture.h"
#include "Sciager.h"

#include <QTimer>

using TRefresh = TFormFixture;

TEST_F(TRefresh, FirstPressWithoutTheFileChangesNothingAndWithItDownloadsEverySource)
{
    Refresh();
    EXPECT_EQ(Boxes.Texts, QStringList{"File not found."});
    EXPECT_EQ(Form->Button1->text(), TForm1::StartCaption);
    EXPECT_FALSE(Form->Timer1->isActive());
    EXPECT_FALSE(Form->PageControl1->isVisible());
    EXPECT_EQ(QSize(Form->OuterWidth(), Form->OuterHeight()), QSize(569, 90)) << "compact strip's outer size";
    EXPECT_FALSE(Form->CheckBox2->isEnabled());

    WriteConfiguration();
    ServePages();
    Refresh();
    EXPECT_EQ(Boxes.Texts.size(), 1);
    EXPECT_EQ(Form->Button1->text(), TForm1::RefreshCaption);
    EXPECT_EQ(Form->Button1->font().pointSize(), 10);
    EXPECT_EQ(Form->Timer1->interval(), 300000);
    EXPECT_TRUE(Form->Timer1->isActive());
    EXPECT_TRUE(Form->PageControl1->isVisible());
    EXPECT_TRUE(Form->CheckBox2->isEnabled());
    EXPECT_TRUE(Form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(Form->Label5->text(), QString::fromStdString(Server.Url("/s0")));
    EXPECT_EQ(Form->EndMarker[4], "</s4>");

    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    for (int Source = 0; Source < SourceCount; ++Source) {
        EXPECT_EQ(Server.RequestCount("/s" + std::to_string(Source)), 1) << "downloads of source " << Source;
        EXPECT_FALSE(Form->LastUpdate[Source].isEmpty()) << "update time of source " << Source;
    }
    EXPECT_EQ(Server.Requests().front().Headers.at("user-agent"), TForm1::AgentName);
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[0]);
}

TEST_F(TRefresh, PressWhileDownloadsAreInFlightRereadsTheFileButStartsNoWorker)
{
    WriteConfiguration();
    for (int Source = 0; Source < SourceCount; ++Source)
        Server.Serve("/s" + std::to_string(Source), {.Body = "late", .Fault = TReply::TFault::Stall});
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return Server.Requests().size() == 5; }));
    const auto Workers = Form->Worker;

    WriteConfiguration("/t");
    Refresh();
    EXPECT_EQ(Form->Worker, Workers) << "no new worker while every source is in flight";
    EXPECT_EQ(Form->Label9->text(), QString::fromStdString(Server.Url("/t4"))) << "captions follow the file";
    ProcessEventsFor(200);
    EXPECT_EQ(Server.Requests().size(), 5u);

    // The stalled downloads end; the next refresh starts every source with the new addresses.
    ServePages("news", "/t");
    Server.Release();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    ASSERT_TRUE(RefreshAndWait("/t2", 1));
    EXPECT_EQ(Server.Requests().size(), 10u);
}

TEST_F(TRefresh, NestedRefreshKeepsOneDownloadPerSource)
{
    WriteConfiguration();
    ServePages();
    // The queued click runs a whole refresh inside this one, while it processes waiting messages.
    QMetaObject::invokeMethod(Form->Button1, &QPushButton::click, Qt::QueuedConnection);
    Form->Timer1Timer();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    ProcessEventsFor(200);
    for (int Source = 0; Source < SourceCount; ++Source)
        EXPECT_EQ(Server.RequestCount("/s" + std::to_string(Source)), 1) << "downloads of source " << Source;
}

TEST_F(TRefresh, OnlyTheVisibleTabsWorkerWritesTheStatusLine)
{
    WriteConfiguration();
    ServePages();
    Server.Serve("/s4", {.Body = std::string(3000, 'x'), .Fault = TReply::TFault::Stall});
    Refresh();
    Form->PageControl1->setCurrentIndex(4);
    ASSERT_TRUE(
        WaitUntil([this] { return !Form->Busy[0] && !Form->Busy[1] && !Form->Busy[2] && !Form->Busy[3]; }));
    EXPECT_EQ(Form->InfoLabel->text(), Form->Worker[4]->StatusText) << "source 4's progress";

    Server.Release();
    ASSERT_TRUE(WaitUntil([this] { return AllIdle(); }));
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[4]);
    Form->PageControl1->setCurrentIndex(1);
    EXPECT_EQ(Form->InfoLabel->text(), TForm1::LastUpdatePrefix + Form->LastUpdate[1]);
}

TEST_F(TRefresh, SourceWhoseThreadCannotStartIsLeftToTheNextRefresh)
{
    WriteConfiguration();
    ServePages();
    // No thread can be made with a stack larger than the address space.
    const std::size_t Saved = TSciager::ThreadStackSize;
    TSciager::ThreadStackSize = std::size_t(1) << 50;
    Refresh();
    TSciager::ThreadStackSize = Saved;
    for (int Source = 0; Source < SourceCount; ++Source) {
        EXPECT_FALSE(Form->Busy[Source]) << "source " << Source << " left in flight";
        EXPECT_EQ(Form->Worker[Source], nullptr);
    }
    EXPECT_TRUE(Boxes.Texts.isEmpty());
    ASSERT_TRUE(RefreshAndWait());
    EXPECT_EQ(Server.Requests().size(), 5u);
}
