// TNotificationIcon on a recording tray: the icon record, when the icon is added and removed, the
// mouse message dispatch, the popup menu and default item, and the main form helpers.
#include "Application.h"
#include "ErrorBoxRecorder.h"
#include "PopupMenu.h"
#include "TrayTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

using TOp = TRecordingTrayLayer::TOp;
using TEvents = std::vector<std::string>;

class NotificationIconTest : public testing::Test, public TLoggedIcon
{
protected:
    void Send(std::initializer_list<unsigned> Messages)
    {
        for (unsigned Message : Messages)
            Tray->Send(Message);
    }

    // A menu like the main window's: "&Open..." (default), a separator, "Ex&it".
    struct TTrayMenu
    {
        explicit TTrayMenu(TEvents& Events)
        {
            Open = Menu.Add(QStringLiteral("&Open..."), [&Events](QObject*) { Events.push_back("Open"); });
            Open->SetDefault(true);
            Menu.Add(QStringLiteral("-"));
            Exit = Menu.Add(QStringLiteral("Ex&it"), [&Events](QObject*) { Events.push_back("Exit"); });
        }
        // Replaces the modal menu: logs "Popup" and returns Chosen as the user's choice.
        void LogPopups(TEvents& Events, TMenuItem* Chosen = nullptr)
        {
            Menu.SetExecHook([&Events, Chosen](QMenu&, const QPoint&) {
                Events.push_back("Popup");
                return Chosen != nullptr ? Chosen->Action() : nullptr;
            });
        }
        TPopupMenu Menu;
        TMenuItem* Open;
        TMenuItem* Exit;
    };
};

TEST_F(NotificationIconTest, DoubleClickClicksOnceThenRunsTheDefaultItem)
{
    TTrayMenu Menu(Events);
    Icon->SetPopupMenu(&Menu.Menu);
    ShowWithImage();

    // The shell reports a double click as down, up, double-click, up.
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
    EXPECT_EQ(Events, (TEvents{"MouseDown left [left]", "Click left [left]", "MouseUp left [left]", "Open",
                               "MouseDown left [double]", "MouseUp left [left]"}));

    Events.clear();
    Menu.Open->SetEnabled(false);
    Send({WM_LBUTTONDBLCLK});
    EXPECT_EQ(Events, (TEvents{"DblClick", "MouseDown left [double]"}))
        << "a disabled default item is not run";

    Events.clear();
    Menu.Open->SetEnabled(true);
    Menu.Open->SetDefault(false);
    Send({WM_LBUTTONDBLCLK});
    EXPECT_EQ(Events, (TEvents{"DblClick", "MouseDown left [double]"})) << "a menu without a default item";
}

TEST_F(NotificationIconTest, RightClickOpensTheMenuInsteadOfClicking)
{
    TTrayMenu Menu(Events);
    Menu.LogPopups(Events, Menu.Exit);
    Icon->SetPopupMenu(&Menu.Menu);
    ShowWithImage();

    Send({WM_RBUTTONDOWN, WM_RBUTTONUP});
    EXPECT_EQ(Events, (TEvents{"MouseDown right [right]", "Popup", "Exit", "MouseUp right [right]"}));
    EXPECT_EQ(Menu.Menu.PopupComponent.data(), Icon.get());

    Events.clear();
    Menu.Menu.AutoPopup = false;
    Send({WM_RBUTTONDOWN, WM_RBUTTONUP});
    EXPECT_EQ(Events, (TEvents{"MouseDown right [right]", "Click right [right]", "MouseUp right [right]"}))
        << "a menu without AutoPopup";

    Events.clear();
    Menu.Menu.AutoPopup = true;
    Icon->SetPopupMenu(nullptr);
    Send({WM_RBUTTONDOWN, WM_RBUTTONUP});
    EXPECT_EQ(Events, (TEvents{"MouseDown right [right]", "Click right [right]", "MouseUp right [right]"}))
        << "no menu";
}

TEST_F(NotificationIconTest, OnlyAButtonThatWentDownOnTheIconClicksIt)
{
    ShowWithImage();
    Send({WM_LBUTTONUP, WM_RBUTTONUP});
    EXPECT_EQ(Events, (TEvents{"MouseUp left [left]", "MouseUp right [right]"})) << "ups without downs";

    Events.clear();
    Send({WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_RBUTTONUP});
    EXPECT_EQ(Events,
              (TEvents{"MouseDown middle [middle]", "MouseUp middle [middle]", "MouseDown middle [double]",
                       "MouseDown right [double]", "MouseUp right [right]"}))
        << "the middle button never clicks, and a double-click is no down";

    // Adding the icon again forgets a button that went down before.
    Events.clear();
    Send({WM_LBUTTONDOWN});
    Icon->SetActive(false);
    Icon->SetActive(true);
    Send({WM_LBUTTONUP});
    EXPECT_EQ(Events, (TEvents{"MouseDown left [left]", "MouseUp left [left]"}));

    // Keys held and the cursor at the time of the message travel with the events.
    Events.clear();
    Positions.clear();
    Tray->Keys = {VK_SHIFT, VK_CONTROL};
    Tray->Cursor = QPoint(17, 23);
    Send({WM_MOUSEMOVE, 0x20A});
    EXPECT_EQ(Events, (TEvents{"MouseMove [shift+ctrl]"})) << "an unknown mouse message does nothing";
    EXPECT_EQ(Positions, (std::vector<QPoint>{QPoint(17, 23)}));
}

TEST_F(NotificationIconTest, DisabledIconKeepsItsPlaceButReportsNothing)
{
    TTrayMenu Menu(Events);
    Menu.LogPopups(Events);
    Icon->SetPopupMenu(&Menu.Menu);
    ShowWithImage();
    const int Deletes = Tray->CountOf(TOp::Delete);

    Icon->SetEnabled(false);
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE});
    EXPECT_TRUE(Events.empty()) << Events.front();
    EXPECT_TRUE(Icon->IconShown());
    EXPECT_EQ(Tray->CountOf(TOp::Delete), Deletes);

    // Messages other than the tray's callback are left to the default handling.
    Icon->SetEnabled(true);
    EXPECT_EQ(Tray->Shown.hWnd->Perform(TrayCallbackMessage + 1, 0, WM_LBUTTONDOWN), 0);
    EXPECT_TRUE(Events.empty());
}

TEST_F(NotificationIconTest, IconRecordCarriesTheShortHintAndTheShellsRecordSize)
{
    Icon->SetHint(QStringLiteral("Tickerwell|Stock commentary"));
    ShowWithImage(Qt::green);
    ASSERT_EQ(Tray->Calls.back().Op, TOp::Add) << "a non-empty tooltip needs no modify after the add";
    const TNotifyIconData& Added = Tray->Calls.back().Data;
    EXPECT_EQ(Added.cbSize, 488u);
    EXPECT_EQ(Added.hWnd, Tray->Shown.hWnd);
    EXPECT_NE(Added.hWnd, nullptr);
    EXPECT_EQ(Added.uID, 0u);
    EXPECT_EQ(Added.uFlags, 7u);
    EXPECT_EQ(Added.uCallbackMessage, 0xB064u);
    EXPECT_EQ(Added.szTip, QStringLiteral("Tickerwell"));
    EXPECT_EQ(Added.hIcon, SolidImage(Qt::green));

    Icon->SetHint(QString(200, QLatin1Char('x')));
    EXPECT_EQ(Tray->Calls.back().Op, TOp::Modify);
    EXPECT_EQ(Tray->Shown.szTip, QString(127, QLatin1Char('x')));

    // The record is 488 bytes only for a shell above 5.0.0.0.
    const std::pair<std::optional<TFileVersion>, std::uint32_t> Shells[] = {
        {TFileVersion{5, 0, 0, 0}, 88},
        {TFileVersion{5, 0, 0, 1}, 488},
        {TFileVersion{4, 90, 0, 0}, 88},
        {std::nullopt, 88},
    };
    for (const auto& [Version, Size] : Shells) {
        Tray->Version = Version;
        Icon->SetHint(Icon->Hint() + QLatin1Char('x'));
        EXPECT_EQ(Tray->Shown.cbSize, Size)
            << "shell " << (Version ? Version->Major * 100 + Version->Minor : 0);
    }

    // An empty short hint sends a modify right after the add.
    TLoggedIcon Bare;
    Bare.Icon->SetHint(QStringLiteral("|only the long part"));
    Bare.ShowWithImage();
    ASSERT_GE(Bare.Tray->Calls.size(), 2u);
    EXPECT_EQ(Bare.Tray->Calls[Bare.Tray->Calls.size() - 2].Op, TOp::Add);
    EXPECT_EQ(Bare.Tray->Calls.back().Op, TOp::Modify);
    EXPECT_EQ(Bare.Tray->Shown.szTip, QString());
}

TEST_F(NotificationIconTest, IconIsInTheTrayExactlyWhileItHasAnImageAndIsActive)
{
    Icon->Loaded();
    Icon->SetActive(false);
    Icon->SetActive(true);
    Icon->SetHint(QStringLiteral("Tickerwell"));
    EXPECT_EQ(Tray->CountOf(TOp::Add), 0) << "an empty image is never added";
    EXPECT_FALSE(Icon->IconShown());

    TIcon Red(SolidImage(Qt::red));
    Icon->SetIcon(&Red);
    EXPECT_EQ(Tray->CountOf(TOp::Add), 1) << "an image assigned while active is added at once";
    EXPECT_TRUE(Icon->IconShown());
    EXPECT_EQ(Tray->Shown.hIcon, SolidImage(Qt::red));
    EXPECT_NE(Icon->Icon(), &Red) << "the component keeps a copy";

    Icon->Icon()->SetImage(SolidImage(Qt::blue));
    EXPECT_EQ(Tray->Calls.back().Op, TOp::Modify);
    EXPECT_EQ(Tray->Shown.hIcon, SolidImage(Qt::blue));

    Icon->SetIcon(nullptr);
    EXPECT_EQ(Tray->Calls.back().Op, TOp::Delete);
    EXPECT_FALSE(Icon->IconShown());

    Icon->SetIcon(&Red);
    Icon->SetActive(false);
    EXPECT_FALSE(Tray->Present);
    Icon->SetIcon(&Red);
    EXPECT_FALSE(Tray->Present) << "an inactive icon is not added by an image change";

    Icon->SetActive(true);
    EXPECT_TRUE(Tray->Present);
    bool Deleted = false;
    Tray->OnDelete = [&] { Deleted = true; };
    Icon.reset();
    Tray = nullptr;
    EXPECT_TRUE(Deleted) << "destruction removes the icon";
}

TEST_F(NotificationIconTest, WithoutATrayTheMainFormStaysAnOrdinaryMinimisedWindow)
{
    TApplication* App = TApplication::Instance();
    ASSERT_NE(App, nullptr);
    QWidget Form;
    Form.resize(320, 200);
    Form.show();
    Form.showMinimized();
    App->MainForm = &Form;

    Tray->AcceptAdd = false;
    ShowWithImage();
    EXPECT_FALSE(Icon->IconShown());
    EXPECT_FALSE(Icon->HideMainForm());
    EXPECT_TRUE(Form.isVisible()) << "hiding the window would leave no way back to it";
    EXPECT_TRUE(Form.isMinimized());

    // A tray that has come up since is used.
    Tray->AcceptAdd = true;
    EXPECT_TRUE(Icon->HideMainForm());
    EXPECT_TRUE(Icon->IconShown());
    EXPECT_FALSE(Form.isVisible());

    Icon->RestoreMainForm();
    EXPECT_TRUE(Form.isVisible());
    EXPECT_FALSE(Form.isMinimized());
    App->MainForm = nullptr;
}

TEST_F(NotificationIconTest, FreedPopupMenuIsForgotten)
{
    auto* Menu = new TPopupMenu();
    Menu->Add(QStringLiteral("&Open..."))->SetDefault(true);
    Icon->SetPopupMenu(Menu);
    ShowWithImage();
    delete Menu;
    EXPECT_EQ(Icon->PopupMenu(), nullptr);

    Send({WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDBLCLK});
    EXPECT_EQ(Events, (TEvents{"MouseDown right [right]", "Click right [right]", "MouseUp right [right]",
                               "DblClick", "MouseDown left [double]"}));
}

TEST_F(NotificationIconTest, ErrorsOfHandlersGoToTheErrorBox)
{
    TErrorBoxRecorder Boxes;
    TTrayMenu Menu(Events);
    Menu.Open->OnClick = [](QObject*) { throw std::runtime_error("Cannot open the window"); };
    Menu.Exit->OnClick = [](QObject*) { throw std::runtime_error("Cannot end."); };
    Menu.LogPopups(Events, Menu.Exit);
    Icon->SetPopupMenu(&Menu.Menu);
    Icon->OnClick = [](QObject*, TMouseButton, TShiftState, int, int) {
        throw std::runtime_error("Click failed");
    };
    ShowWithImage();

    // The error ends the handling of its message; the next message is handled as usual.
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE});
    EXPECT_EQ(Boxes.Texts,
              (QStringList{QStringLiteral("Click failed."), QStringLiteral("Cannot open the window."),
                           QStringLiteral("Cannot end.")}));
    EXPECT_EQ(Events, (TEvents{"MouseDown left [left]", "MouseDown right [right]", "Popup", "MouseMove []"}));
}

TEST_F(NotificationIconTest, LoadingAndDesigning)
{
    TApplication* App = TApplication::Instance();
    App->ShowMainForm = true;
    Icon->SetHideOnTaskbar(true);
    Icon->BeginLoading();
    EXPECT_TRUE(Icon->Loading());
    ShowWithImage();
    EXPECT_FALSE(Icon->Loading());
    EXPECT_FALSE(App->ShowMainForm) << "HideOnTaskbar keeps the run loop from showing the main form";
    App->ShowMainForm = true;
    Icon->SetShowDesign(true);
    EXPECT_FALSE(Icon->ShowDesign()) << "ShowDesign means nothing at run time";

    // While designing, Active adds and removes nothing and ShowDesign does; the menu stays shut.
    TLoggedIcon Designed;
    TTrayMenu Menu(Designed.Events);
    Menu.LogPopups(Designed.Events);
    Designed.Icon->SetPopupMenu(&Menu.Menu);
    Designed.Icon->SetDesigning(true);
    Designed.ShowWithImage();
    Designed.Icon->SetActive(false);
    Designed.Icon->SetActive(true);
    EXPECT_EQ(Designed.Tray->CountOf(TOp::Add), 0);
    Designed.Icon->SetShowDesign(true);
    EXPECT_TRUE(Designed.Icon->ShowDesign());
    EXPECT_TRUE(Designed.Tray->Present);
    Designed.Tray->Send(WM_RBUTTONDOWN);
    Designed.Tray->Send(WM_RBUTTONUP);
    Designed.Tray->Send(WM_LBUTTONDBLCLK);
    EXPECT_EQ(Designed.Events, (TEvents{"MouseDown right [right]", "Click right [right]",
                                        "MouseUp right [right]", "DblClick", "MouseDown left [double]"}));
    Designed.Icon->SetShowDesign(false);
    EXPECT_FALSE(Designed.Tray->Present);
}

TEST_F(NotificationIconTest, RealMenuOpensAtTheCursorAndRunsTheChosenItem)
{
    TTrayMenu Menu(Events);
    EXPECT_EQ(Menu.Menu.Menu()->defaultAction(), Menu.Open->Action()) << "the default item is shown bold";
    Icon->SetPopupMenu(&Menu.Menu);
    ShowWithImage();
    Tray->Cursor = QPoint(200, 150);

    QObject TestScope;
    QPoint ShownAt(-1, -1);
    QTimer::singleShot(100, &TestScope, [&] {
        auto* Popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (Popup == nullptr)
            return;
        ShownAt = Popup->pos();
        Popup->setActiveAction(Menu.Exit->Action());
        QKeyEvent Enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(Popup, &Enter);
    });
    // Should the menu not react, it is closed so that the test fails instead of hanging.
    QTimer::singleShot(5000, &TestScope, [] {
        if (QWidget* Popup = QApplication::activePopupWidget())
            Popup->close();
    });
    Send({WM_RBUTTONDOWN, WM_RBUTTONUP});
    EXPECT_EQ(ShownAt, QPoint(200, 150));
    EXPECT_EQ(Events, (TEvents{"MouseDown right [right]", "Exit", "MouseUp right [right]"}));
}

TEST_F(NotificationIconTest, TrayActivationsArriveAsTheShellsMouseMessages)
{
    TTrayMenu Menu(Events);
    Menu.LogPopups(Events);
    Icon->SetPopupMenu(&Menu.Menu);
    ShowWithImage();
    const auto Activate = [&](QSystemTrayIcon::ActivationReason Reason) {
        SendActivation(Tray->Shown.hWnd, Tray->Shown.uCallbackMessage, Tray->Shown.uID, Reason);
    };

    // Qt reports a double click as a click and then a double click.
    Activate(QSystemTrayIcon::Trigger);
    Activate(QSystemTrayIcon::DoubleClick);
    Activate(QSystemTrayIcon::Context);
    Activate(QSystemTrayIcon::MiddleClick);
    Activate(QSystemTrayIcon::Unknown);
    EXPECT_EQ(Events,
              (TEvents{"MouseDown left [left]", "Click left [left]", "MouseUp left [left]", "Open",
                       "MouseDown left [double]", "MouseUp left [left]", "MouseDown right [right]", "Popup",
                       "MouseUp right [right]", "MouseDown middle [middle]", "MouseUp middle [middle]"}));
}

TEST(DesktopTrayLayer, AddsTheIconOnlyWhereATrayHostRuns)
{
    TNotificationIcon Icon;
    Icon.Icon()->SetImage(SolidImage(Qt::red));
    Icon.Loaded();
    EXPECT_EQ(Icon.IconShown(), QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_EQ(Icon.IconData().cbSize, 488u);
    Icon.SetActive(false);
    EXPECT_FALSE(Icon.IconShown());
}
