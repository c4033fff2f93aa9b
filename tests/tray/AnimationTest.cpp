// Icon animation: switching it on and off, the frame order, frames that are empty or gone, the
// timer thread's advance on the user-interface thread, and stopping it.
#include "TrayTestSupport.h"

#include <QTimer>
#include <gtest/gtest.h>

using TOp = TRecordingTrayLayer::TOp;

class AnimationTest : public testing::Test, public TLoggedIcon
{
protected:
    void SetUp() override
    {
        // Long enough that the thread never advances by itself unless a test shortens it.
        Icon->SetInterval(60000);
        Icon->SetHint(QStringLiteral("Tickerwell"));
        ShowWithImage(Qt::black);
    }

    void SetFrames(std::initializer_list<QImage> Images)
    {
        TVelorIconList Frames;
        for (const QImage& Image : Images) {
            TIcon Frame(Image);
            Frames.Add(&Frame);
        }
        Icon->SetIcons(&Frames);
    }

    bool AllTrayCallsOnThisThread() const
    {
        return std::all_of(Tray->Calls.begin(), Tray->Calls.end(),
                           [](const auto& Call) { return Call.Thread == std::this_thread::get_id(); });
    }

    const QImage Red = SolidImage(Qt::red);
    const QImage Green = SolidImage(Qt::green);
    const QImage Blue = SolidImage(Qt::blue);
};

TEST_F(AnimationTest, FramesFollowInListOrderAndIconReturnsWhenSwitchedOff)
{
    Icon->SetAnimated(true);
    EXPECT_FALSE(Icon->Animated()) << "no frames, no animation";
    EXPECT_EQ(Icon->FrameIndex(), -1);

    SetFrames({Red, Green, Blue});
    EXPECT_EQ(Tray->Shown.hIcon, SolidImage(Qt::black)) << "new frames do not refresh the tray by themselves";
    Icon->SetAnimated(true);
    EXPECT_TRUE(Icon->Animated());
    EXPECT_EQ(Tray->Shown.hIcon, Red) << "frame 0 shows at once";
    std::vector<QImage> Shown;
    for (int I = 0; I < 4; ++I) {
        Icon->NextFrame();
        Shown.push_back(Tray->Shown.hIcon);
    }
    EXPECT_EQ(Shown, (std::vector<QImage>{Green, Blue, Red, Green}));

    Icon->SetAnimated(false);
    EXPECT_EQ(Icon->FrameIndex(), 0);
    EXPECT_EQ(Tray->Shown.hIcon, SolidImage(Qt::black));
    Icon->NextFrame();
    EXPECT_EQ(Icon->FrameIndex(), 0) << "no advance while not animating";
}

TEST_F(AnimationTest, EmptyingTheListWhileAnimatingReturnsToTheIcon)
{
    SetFrames({Red, Green});
    Icon->SetAnimated(true);
    Icon->NextFrame();
    Icon->Icons()->Clear();
    EXPECT_EQ(Tray->Shown.hIcon, Green);
    Icon->NextFrame();
    EXPECT_FALSE(Icon->Animated());
    EXPECT_EQ(Tray->Shown.hIcon, SolidImage(Qt::black));
    EXPECT_TRUE(Icon->IconShown());
}

TEST_F(AnimationTest, EmptyFrameTakesTheIconOutForThatFrame)
{
    SetFrames({Red, QImage(), Blue});
    Icon->SetAnimated(true);
    Icon->NextFrame();
    EXPECT_EQ(Tray->Calls.back().Op, TOp::Delete);
    EXPECT_FALSE(Icon->IconShown());
    Icon->NextFrame();
    EXPECT_EQ(Tray->Calls.back().Op, TOp::Add);
    EXPECT_EQ(Tray->Shown.hIcon, Blue);
    EXPECT_TRUE(Icon->IconShown());
}

TEST_F(AnimationTest, TimerAdvancesFramesOnTheUserInterfaceThread)
{
    SetFrames({Red, Green, Blue});
    Icon->SetInterval(2);
    Icon->SetAnimated(true);
    ASSERT_TRUE(RunEventsUntil([&] { return Tray->CountOf(TOp::Modify) >= 12; }))
        << "frames advanced: " << Tray->CountOf(TOp::Modify);
    EXPECT_TRUE(AllTrayCallsOnThisThread()) << "the tray and the frames belong to the user-interface thread";

    Icon->SetAnimated(false);
    const std::size_t Calls = Tray->Calls.size();
    RunEventsFor(50);
    EXPECT_EQ(Tray->Calls.size(), Calls) << "no advance after the animation is switched off";
}

TEST_F(AnimationTest, ZeroIntervalAdvancesWithoutStarvingTheEventLoop)
{
    SetFrames({Red, Green});
    Icon->SetInterval(0);
    Icon->SetAnimated(true);
    bool TimerRan = false;
    QObject TestScope;
    QTimer::singleShot(20, &TestScope, [&] { TimerRan = true; });
    ASSERT_TRUE(RunEventsUntil([&] { return TimerRan; }));
    ASSERT_TRUE(RunEventsUntil([&] { return Tray->CountOf(TOp::Modify) >= 50; }));
    EXPECT_TRUE(AllTrayCallsOnThisThread());
}

TEST_F(AnimationTest, ThreadStartedWhileTheIconWasAbsentAnimatesOnceItIsAdded)
{
    Icon->SetActive(false);
    SetFrames({Red, Green});
    Icon->SetInterval(2);
    Icon->SetAnimated(true);
    RunEventsFor(50);
    EXPECT_EQ(Icon->FrameIndex(), 0) << "nothing to animate while the icon is absent";

    Icon->SetActive(true);
    EXPECT_TRUE(RunEventsUntil([&] { return Tray->CountOf(TOp::Modify) >= 4; }))
        << "the animation did not start when the icon was added";
}

TEST_F(AnimationTest, DestructionAndRestartsWhileAdvancesAreQueued)
{
    SetFrames({Red, QImage(), Blue});
    Icon->SetInterval(0);
    Icon->SetAnimated(true);
    ASSERT_TRUE(RunEventsUntil([&] { return Tray->Calls.size() > 30; }));
    // Advances of a replaced thread that are still queued are ignored, not applied twice.
    for (int I = 0; I < 20; ++I) {
        Icon->SetAnimated(false);
        Icon->SetAnimated(true);
        QCoreApplication::processEvents();
        EXPECT_GE(Icon->FrameIndex(), 0);
        EXPECT_LE(Icon->FrameIndex(), 2);
    }
    Icon.reset();
    Tray = nullptr;
    // Whatever was queued for the destroyed component goes with it.
    RunEventsFor(30);
}
