// A shell's refresh handed to the running window: the sources asked for are refreshed as a press
// would, a download in flight runs on, and the answer comes once every source is idle.
#include "FormFixture.h"
#include "SingleInstance.h"
#include "SourceWatch.h"

#include <future>

using TRefreshRequest = TFormFixture;

TEST_F(TRefreshRequest, ARefreshRequestRefreshesTheSourcesAskedForAndAnswersWhenAllAreIdle)
{
    TSingleInstance Instance(QString::fromStdString(ProgramDir.Path().string()));
    ASSERT_FALSE(Instance.HandedOver());
    QObject::connect(&Instance, &TSingleInstance::RefreshRequested, Form.get(),
                     [this](const QList<int>& Sources, const TSingleInstance::TReplyFn& Reply) {
                         Form->RefreshOnRequest(Sources, Reply);
                     });
    WriteConfiguration();
    ServePages("<p>old</p>");
    ASSERT_TRUE(RefreshAndWait("/s0", 1));
    ServePages("<p>news</p>");
    Server.Serve("/s1", {.Body = PageOf(1, "<p>late</p>"), .Fault = TReply::TFault::Stall});
    Server.Serve("/s3", {.Status = 404, .Body = "gone"});
    // Source 1 is downloading when the request comes; the boxes are no matter to a request.
    for (QCheckBox* Box : {Form->CheckBox3, Form->CheckBox5, Form->CheckBox6})
        Box->setChecked(false);
    Refresh();
    ASSERT_TRUE(WaitUntil([this] { return !Form->Busy[2] && Server.RequestCount("/s1") == 2; }));

    const QString Folder = QString::fromStdString(ProgramDir.Path().string());
    const auto Ask = [&Folder](const QList<int>& Sources) {
        return std::async(std::launch::async,
                          [&Folder, Sources] { return TSingleInstance::RequestRefresh(Folder, Sources); });
    };
    const auto Answered = [](const auto& Reply) {
        return Reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    const auto Answer = [&](auto Reply) {
        EXPECT_TRUE(WaitUntil([&] { return Answered(Reply); }));
        return Reply.get().value_or(TRefreshReply{{}, "no copy", -1});
    };
    auto Reply = Ask({3, 1, 0});
    ASSERT_TRUE(
        WaitUntil([&] { return Server.RequestCount("/s0") == 2 && Server.RequestCount("/s3") == 2; }));
    EXPECT_TRUE(WaitUntil([&] { return !Form->Busy[0] && !Form->Busy[3]; }));
    ProcessEventsFor(200);
    EXPECT_FALSE(Answered(Reply)) << "answered while source 1 was still downloading";
    Server.Release();
    const TRefreshReply Lines = Answer(std::move(Reply));
    EXPECT_EQ(Lines.Lines, QStringList({"Wirek & Borta\tzmieniono\t+1 -1",
                                        "Stormer Futures\tzmieniono\t+1 -1\tpobieranie już trwało",
                                        "doakcji.pl\tbłąd: HTTP 404\t+0 -0"}));
    EXPECT_EQ(Lines.ExitCode, 1);
    EXPECT_EQ(Server.RequestCount("/s1"), 2) << "the download in flight was started again";
    EXPECT_EQ(Server.RequestCount("/s4"), 1) << "a source not asked for was downloaded";
    EXPECT_EQ(PageFile(0), PageFileOf(0, PageOf(0, "<p>news</p>")));
    EXPECT_TRUE(Form->Watch->State(0).Unseen || Form->PageControl1->currentIndex() == 0);
    EXPECT_TRUE(Form->Watch->State(1).Unseen) << "the changed tab has no mark";
    EXPECT_FALSE(Form->Watch->State(3).Failure.isEmpty());

    // Unchanged pages, and a dane.txt that cannot be read: its reason and status 2, and no box.
    EXPECT_EQ(Answer(Ask({0})).Lines, QStringList{"Wirek & Borta\tbez zmian\t+0 -0"});
    std::filesystem::remove(WorkDir.Path() / "dane.txt");
    const TRefreshReply Refused = Answer(Ask({}));
    EXPECT_EQ(Refused.ExitCode, 2);
    EXPECT_EQ(Refused.Error, "File not found.");
    EXPECT_TRUE(Boxes.Texts.isEmpty());
}
