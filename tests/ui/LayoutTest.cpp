// The window's two modes and its layout.
#include "FormFixture.h"

namespace {
using TLayout = TFormFixture;

QSize Outer(const TForm1& Form)
{
    return {Form.OuterWidth(), Form.OuterHeight()};
}

// Width and height of the tab control, a tab page and a page view, and a link label's top.
std::array<int, 7> Arranged(const TForm1& Form, int Tab)
{
    const QSize Control = Form.PageControl1->size(), Page = Form.PageControl1->widget(Tab)->size();
    const QWidget* Views[] = {Form.WebBrowser1, Form.WebBrowser2, Form.WebBrowser3, Form.WebBrowser4,
                              Form.WebBrowser5};
    const QLabel* Labels[] = {Form.Label5, Form.Label6, Form.Label7, Form.Label8, Form.Label9};
    return {Control.width(),     Control.height(),     Page.width(),    Page.height(),
            Views[Tab]->width(), Views[Tab]->height(), Labels[Tab]->y()};
}
} // namespace

TEST_F(TLayout, StartsAsTheFixedCompactStripAtTheTopLeftCorner)
{
    EXPECT_EQ(Outer(*Form), QSize(569, 90));
    EXPECT_EQ(Form->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(Form->minimumSize(), Form->maximumSize()) << "the compact strip at start cannot be resized";
    EXPECT_FALSE(Form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(Form->PageControl1->isVisible());
    EXPECT_TRUE(Form->CheckBox2->isChecked());
    EXPECT_FALSE(Form->CheckBox2->isEnabled());
    EXPECT_EQ(Form->InfoLabel->text(), QString());
    EXPECT_EQ(Form->Button1->text(), "S  T  A  R  T");
    EXPECT_EQ(Form->windowTitle(), "Tickerwell by QRX & Dobrel");
    EXPECT_EQ(Form->focusWidget(), Form->Button1) << "initial keyboard focus";
    EXPECT_EQ(Arranged(*Form, 0), (std::array{545, 5, 537, 33, 521, 58, -38}));
    // The first tab's caption doubles its ampersand so that the tab reads "Wirek & Borta".
    EXPECT_EQ(Form->PageControl1->tabText(0), "Wirek && Borta");
    EXPECT_EQ(Form->PageControl1->tabText(3), "doakcji.pl");
}

TEST_F(TLayout, FullWindowLayoutSizeLimitsAndShowTabsRestoringTheExactSize)
{
    WriteConfiguration();
    ServePages();
    Refresh();
    ASSERT_EQ(Outer(*Form), QSize(569, 490));
    for (int Tab = 0; Tab < SourceCount; ++Tab)
        EXPECT_EQ(Arranged(*Form, Tab), (std::array{545, 395, 537, 367, 521, 342, 352})) << "tab " << Tab;

    Form->resize(700, 600);
    ProcessEventsFor(50);
    EXPECT_EQ(Arranged(*Form, 2), (std::array{676, 505, 668, 477, 652, 452, 462}));
    // Showing another tab lays out again without changing any size.
    Form->PageControl1->setCurrentIndex(3);
    EXPECT_EQ(Arranged(*Form, 3), (std::array{676, 505, 668, 477, 652, 452, 462}));
    Form->resize(100, 20);
    EXPECT_EQ(Outer(*Form), QSize(569, 90)) << "the size limits hold the window to 569 x 90 at least";

    Form->resize(640, 555);
    ProcessEventsFor(50);
    Form->CheckBox2->click();
    EXPECT_FALSE(Form->PageControl1->isVisible());
    EXPECT_EQ(Outer(*Form), QSize(569, 90));
    // The strip made by "Show tabs" stays sizeable.
    Form->resize(600, 200);
    ProcessEventsFor(50);
    EXPECT_EQ(Outer(*Form), QSize(600, 200));
    Form->CheckBox2->click();
    EXPECT_TRUE(Form->PageControl1->isVisible());
    EXPECT_EQ(Outer(*Form), QSize(640, 555)) << "outer size after switching the tabs on again";
}
