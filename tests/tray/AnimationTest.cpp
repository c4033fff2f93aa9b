// Icon animation on a recording tray.
#include "NtfyIcon.h"
#include "RecordingTrayLayer.h"
#include "VelorIconList.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

using TOp = TRecordingTrayLayer::TOp;

TEST(Animation, StartsOnceTheIconIsAddedAdvancesOnTheUserInterfaceThreadAndStopsWithTheComponent)
{
    auto Layer = std::make_unique<TRecordingTrayLayer>();
    TRecordingTrayLayer& Tray = *Layer;
    auto Icon = std::make_unique<TNotificationIcon>(nullptr, std::move(Layer));
    QImage Image(16, 16, QImage::Format_ARGB32);
    TVelorIconList Frames;
    for (const auto Colour : {Qt::red, Qt::green, Qt::blue}) {
        Image.fill(Colour);
        TIcon Frame(Image);
        Frames.Add(&Frame);
    }
    Icon->Icon()->SetImage(Image);
    Icon->SetActive(false);
    Icon->Loaded();
    Icon->SetIcons(&Frames);
    Icon->SetInterval(2);
    Icon->SetAnimated(true);
    ProcessEventsFor(50);
    Icon->SetActive(true);
    ASSERT_TRUE(WaitUntil([&] { return Tray.CountOf(TOp::Modify) >= 12; }, 5)) << "no frames once added";
    EXPECT_TRUE(std::all_of(Tray.Calls.begin(), Tray.Calls.end(),
                            [](const auto& Call) { return Call.Thread == std::this_thread::get_id(); }));
    // An advance queued when the component goes goes with it.
    Icon->SetInterval(0);
    ProcessEventsFor(20);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Icon.reset();
    ProcessEventsFor(50);
}
