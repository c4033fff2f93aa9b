// The window under a Wayland compositor, which frames it once it is shown: the start strip's outer
// size counts the frame. Runs where the platform is Wayland (tests/e2e/wayland.sh starts weston).
#include "TKW.h"
#include "WaitUntil.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

TEST(TWayland, TheStartStripsOuterSizeCountsTheFrame)
{
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        GTEST_SKIP() << "needs a Wayland compositor: bash tests/e2e/wayland.sh";
    TForm1 Form;
    Form.show();
    const auto Outer = [&] {
        return std::to_string(Form.frameGeometry().width()) + "x" +
               std::to_string(Form.frameGeometry().height());
    };
    EXPECT_TRUE(WaitUntil([&] { return Outer() == "569x90"; }, 10)) << "the compact strip is " << Outer();
}
