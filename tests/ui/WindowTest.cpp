// The window's two modes, its way to the tray and back, and the error box.
#include "FormFixture.h"
#include "NtfyIcon.h"

#include <QMessageBox>
#include <QSystemTrayIcon>

using TWindow = TFormFixture;

namespace {
QSize Outer(const TForm1& Form)
{
    return {Form.OuterWidth(), Form.OuterHeight()};
}
} // namespace

TEST_F(TWindow, CompactStripFullWindowAndShowTabsRestoringTheSize)
{
    EXPECT_EQ(Outer(*Form), QSize(569, 90));
    EXPECT_FALSE(Form->PageControl1->isVisible());
    WriteConfiguration();
    ServePages();
    Refresh();
    // The first press gives the window a maximize button, for which it is shown anew.
    ASSERT_TRUE(WaitUntil([this] { return Exposed() && Outer(*Form) == QSize(569, 490); }));
    EXPECT_EQ(View(2)->size(), QSize(521, 342));
    Form->resize(700, 600);
    EXPECT_TRUE(WaitUntil([this] { return View(3)->size() == QSize(652, 452); }));
    Form->CheckBox2->click();
    EXPECT_TRUE(WaitUntil([this] { return Outer(*Form) == QSize(569, 90); }));
    Form->CheckBox2->click();
    EXPECT_TRUE(WaitUntil([this] { return Outer(*Form) == QSize(700, 600); })) << "the size it had";
}

TEST_F(TWindow, TrayActivationsBringTheWindowBackAndWithoutATrayItStaysAnOrdinaryWindow)
{
    const auto Activate = [this](QSystemTrayIcon::ActivationReason Reason) {
        SendActivation(Tray->Shown.hWnd, Tray->Shown.uCallbackMessage, Tray->Shown.uID, Reason);
    };
    Form->showMinimized();
    ASSERT_TRUE(WaitUntil([this] { return !Form->isVisible(); }))
        << "the minimised window leaves for the tray";
    Activate(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(Form->isVisible() && !Form->isMinimized());
    // A double click runs the menu's default item, "&Open...".
    Form->hide();
    Form->NotificationIcon1->OnClick = nullptr;
    Activate(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(Form->isVisible());

    Form->NotificationIcon1->SetActive(false);
    Tray->AcceptAdd = false;
    Form->NotificationIcon1->SetActive(true);
    Form->showMinimized();
    ASSERT_TRUE(WaitUntil([this] { return Form->isMinimized(); }));
    ProcessEventsFor(100);
    EXPECT_TRUE(Form->isVisible()) << "with no tray to go to, the window must stay reachable";
}

TEST(ErrorBox, FullStopRuleAndCaption)
{
    const std::pair<QString, QString> Cases[] = {
        {"Cannot end", "Cannot end."},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"a-", "a-"},
        {"Why?", "Why?."},
        {"", ""},
        {"zażółć", "zażółć."},
    };
    for (const auto& [Message, Text] : Cases)
        EXPECT_EQ(TApplication::ErrorBoxText(Message), Text);
    QString Shown;
    QTimer Closer;
    QObject::connect(&Closer, &QTimer::timeout, [&] {
        if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            Shown = Box->windowTitle() + "|" + Box->text() + "|" + QString::number(Box->icon());
            Box->accept();
        }
    });
    Closer.start(20);
    TApplication::ShowException(std::make_exception_ptr(std::runtime_error("Cannot end")));
    EXPECT_EQ(Shown, "TKW by QRX|Cannot end.|" + QString::number(QMessageBox::Critical));
}
