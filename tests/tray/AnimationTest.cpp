// Icon animation: frame order, empty or removed frames, advancing on the user-interface thread.
#include "TrayTestSupport.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>
#include <thread>

using TOp = TRecordingTrayLayer::TOp;

class AnimationTest : public testing::Test, public TLoggedIcon
{
protected:
    void SetUp() override
    {
        Icon->SetInterval(60000); // never advances by itself unless a test shortens it
        Icon->SetHint(QStringLiteral("Tickerwell"));
        ShowWithImage(Qt::black);
    }

    void Animate(std::initializer_list<QImage> Images, int Interval = 60000)
    {
        TVelorIconList Frames;
        for (const QImage& Image : Images) {
            TIcon Frame(Image);
            Frames.Add(&Frame);
        }
        Icon->SetIcons(&Frames);
        Icon->SetInterval(Interval);
        Icon->SetAnimated(true);
    }

    bool AllTrayCallsOnThisThread() const
    {
        return std::all_of(Tray->Calls.begin(), Tray->Calls.end(),
                           [](const auto& Call) { return Call.Thread == std::this_thread::get_id(); });
    }

    const QImage Black = SolidImage(Qt::black), Red = SolidImage(Qt::red), Green = SolidImage(Qt::green),
                 Blue = SolidImage(Qt::blue);
};

TEST_F(AnimationTest, FramesFollowInListOrderAndIconReturnsWhenSwitchedOff)
{
    Icon->SetAnimated(true);
    EXPECT_FALSE(Icon->Animated()) << "no frames, no animation";

    Animate({Red, Green, Blue});
    EXPECT_EQ(Tray->Shown.hIcon, Red) << "frame 0 shows at once";
    std::vector<QImage> Shown;
    for (int I = 0; I < 4; ++I) {
        Icon->NextFrame();
        Shown.push_back(Tray->Shown.hIcon);
    }
    EXPECT_EQ(Shown, (std::vector<QImage>{Green, Blue, Red, Green}));

    Icon->SetAnimated(false);
    EXPECT_EQ(Tray->Shown.hIcon, Black);
    Icon->NextFrame();
    EXPECT_EQ(Icon->FrameIndex(), 0) << "no advance while not animating";
}

TEST_F(AnimationTest, EmptyFrameRemovesTheIconAndAnEmptiedListEndsTheAnimation)
{
    Animate({Red, QImage(), Blue});
    Icon->NextFrame();
    EXPECT_EQ(Tray->Calls.back().Op, TOp::Delete);
    EXPECT_FALSE(Icon->IconShown());
    Icon->NextFrame();
    EXPECT_EQ(Tray->Calls.back().Op, TOp::Add);
    EXPECT_EQ(Tray->Shown.hIcon, Blue);

    Icon->Icons()->Clear();
    Icon->NextFrame();
    EXPECT_FALSE(Icon->Animated());
    EXPECT_EQ(Tray->Shown.hIcon, Black);
    EXPECT_TRUE(Icon->IconShown());
}

TEST_F(AnimationTest, TimerAdvancesFramesOnTheUserInterfaceThread)
{
    Animate({Red, Green, Blue}, 2);
    ASSERT_TRUE(WaitUntil([&] { return Tray->CountOf(TOp::Modify) >= 12; }, 5));
    EXPECT_TRUE(AllTrayCallsOnThisThread());

    Icon->SetAnimated(false);
    const std::size_t Calls = Tray->Calls.size();
    ProcessEventsFor(50);
    EXPECT_EQ(Tray->Calls.size(), Calls) << "no advance after the animation is switched off";

    // A zero interval advances without starving the event loop.
    const int Modifies = Tray->CountOf(TOp::Modify);
    Animate({Red, Green}, 0);
    bool TimerRan = false;
    QObject Scope;
    QTimer::singleShot(20, &Scope, [&] { TimerRan = true; });
    ASSERT_TRUE(WaitUntil([&] { return TimerRan && Tray->CountOf(TOp::Modify) >= Modifies + 50; }, 5));
    EXPECT_TRUE(AllTrayCallsOnThisThread());
}

TEST_F(AnimationTest, ThreadStartedWhileTheIconWasAbsentAnimatesOnceItIsAdded)
{
    Icon->SetActive(false);
    Animate({Red, Green}, 2);
    ProcessEventsFor(50);
    EXPECT_EQ(Icon->FrameIndex(), 0);
    Icon->SetActive(true);
    EXPECT_TRUE(WaitUntil([&] { return Tray->CountOf(TOp::Modify) >= 4; }, 5));
}

TEST_F(AnimationTest, DestructionAndRestartsWhileAdvancesAreQueued)
{
    Animate({Red, QImage(), Blue}, 0);
    ASSERT_TRUE(WaitUntil([&] { return Tray->Calls.size() > 30; }, 5));
    for (int I = 0; I < 20; ++I) { // queued advances of a replaced thread are ignored
        Icon->SetAnimated(false);
        Icon->SetAnimated(true);
        QCoreApplication::processEvents();
        EXPECT_TRUE(Icon->FrameIndex() >= 0 && Icon->FrameIndex() <= 2) << Icon->FrameIndex();
    }
    Icon.reset();
    Tray = nullptr;
    ProcessEventsFor(30); // advances queued for the destroyed component go with it
}
