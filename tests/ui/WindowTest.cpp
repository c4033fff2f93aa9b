// The window's way to the tray and back, and the error box.
#include "FormFixture.h"
#include "NtfyIcon.h"

#include <QMessageBox>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineView>

using TWindow = TFormFixture;

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

TEST_F(TWindow, TimerTicksAddNoErrorBoxOverAnOpenOneOfTheSameText)
{
    WriteConfiguration();
    ServePages();
    ASSERT_TRUE(RefreshAndWait());
    std::filesystem::remove(WorkDir.Path() / "dane.txt");
    // Each new text's box stays open a while; meanwhile dane.txt turns into a folder.
    TApplication::SetErrorBoxHook([this](const QString& Text) {
        Boxes.Texts.append(Text);
        std::filesystem::create_directory(WorkDir.Path() / "dane.txt");
        if (Boxes.Texts.count(Text) == 1)
            ProcessEventsFor(300);
    });
    Form->Timer1->setInterval(20);
    Refresh();
    EXPECT_EQ(Boxes.Texts, (QStringList{"File not found.", "File access denied."}))
        << "ticks piled boxes on an open one of the same text, or held back another";
    EXPECT_TRUE(WaitUntil([this] { return Boxes.Texts.size() == 3; })) << "a later tick tells again";
    Form->Timer1->stop();
}

TEST_F(TWindow, PageViewsKeepTheNativeWindowLoadOnceShownAndGoBackOnTheMouseBackButton)
{
    const WId Native = Form->winId();
    WriteConfiguration();
    ServePages();
    ASSERT_TRUE(RefreshAndWait());
    ASSERT_TRUE(PageShown(View(0)));
    EXPECT_EQ(Form->winId(), Native) << "the window was made again for its page view";
    EXPECT_FALSE(View(1)->Loaded()) << "a view loads only once its tab is shown";
    Form->PageControl1->setCurrentIndex(1);
    ASSERT_TRUE(View(1)->Loaded());
    auto* Viewer = View(1)->findChild<QWebEngineView*>();
    ASSERT_TRUE(WaitUntil([&] { return Viewer->history()->currentItem().isValid(); }));
    ProgramDir.Write("b.htm", "<p>b</p>");
    View(1)->Navigate(QString::fromStdString(ProgramDir.Dir() + "b.htm"));
    ASSERT_TRUE(WaitUntil([&] { return Viewer->history()->canGoBack() && Viewer->focusProxy(); }));
    for (QEvent::Type Type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent Click(Type, QPointF(5, 5), QPointF(5, 5), Qt::BackButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Viewer->focusProxy(), &Click);
    }
    EXPECT_TRUE(WaitUntil([&] { return Viewer->url() == PageUrl(1); }));
}

TEST(ErrorBox, FullStopRuleAndCaption)
{
    // A text gets a full stop unless its last character sorts at or below one.
    EXPECT_EQ(TApplication::ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(TApplication::ErrorBoxText("Why?"), "Why?.");
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
