// The window under a Wayland compositor, which places windows itself and keeps none on top: the
// outer size counts the frame in both forms, and "On top" neither moves the window nor fails. Runs
// where the platform is Wayland (tests/e2e/wayland.sh starts a headless weston for it).
#include "FormFixture.h"

#include <QGuiApplication>

namespace {
class TWaylandTest : public TFormFixture
{
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("wayland"))
            GTEST_SKIP() << "needs a Wayland compositor: bash tests/e2e/wayland.sh";
        TFormFixture::SetUp();
    }
    void TearDown() override
    {
        if (Form)
            TFormFixture::TearDown();
    }

    std::string Outer() const
    {
        const QRect Frame = Form->frameGeometry();
        return std::to_string(Frame.width()) + "x" + std::to_string(Frame.height());
    }
    bool OuterIs(const std::string& Size) const { return Outer() == Size; }
};

TEST_F(TWaylandTest, OuterSizeCountsTheFrameAndOnTopKeepsTheWindow)
{
    EXPECT_TRUE(WaitUntil([&] { return OuterIs("569x90"); }, 10)) << "the compact strip is " << Outer();
    WriteConfiguration();
    ServePages();
    ASSERT_TRUE(RefreshAndWait());
    // The first page view shown makes the window anew, for OpenGL: the compositor places it.
    for (QWindow* Last = nullptr; Last != Form->windowHandle();) {
        Last = Form->windowHandle();
        ProcessEventsFor(1000);
    }
    EXPECT_TRUE(WaitUntil([&] { return OuterIs("569x490"); }, 10)) << "the full window is " << Outer();

    QWindow* Before = Form->windowHandle();
    const QRect Geometry = Form->frameGeometry();
    Form->CheckBox1->click();
    ProcessEventsFor(500);
    EXPECT_TRUE(Form->isVisible() && Exposed()) << "On top hid the window";
    EXPECT_EQ(Form->windowHandle(), Before) << "On top made the window anew, where the compositor places it";
    EXPECT_EQ(Form->frameGeometry(), Geometry) << "On top moved or resized the window";
    Form->CheckBox1->click();
    ProcessEventsFor(200);
    EXPECT_EQ(Form->frameGeometry(), Geometry);
}
} // namespace
