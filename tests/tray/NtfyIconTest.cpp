// TNotificationIcon on a recording tray: the icon record, adding and removing the icon, mouse
// message dispatch, the popup menu and its default item, and the main form helpers.
#include "Application.h"
#include "ErrorBoxRecorder.h"
#include "PopupMenu.h"
#include "TrayTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

using TOp = TRecordingTrayLayer::TOp;
using TEvents = std::vector<std::string>;

namespace {
// A menu like the main window's: "&Open..." (default), a separator, "Ex&it". Opening it logs
// "Popup" and chooses Chosen.
struct TTrayMenu
{
    TTrayMenu(TLoggedIcon& Logged, TMenuItem* TTrayMenu::*Chosen = nullptr)
    {
        TEvents& Events = Logged.Events;
        Open = Menu.Add(QStringLiteral("&Open..."), [&Events](QObject*) { Events.push_back("Open"); });
        Open->SetDefault(true);
        Menu.Add(QStringLiteral("-"));
        Exit = Menu.Add(QStringLiteral("Ex&it"), [&Events](QObject*) { Events.push_back("Exit"); });
        Menu.SetExecHook([this, &Events, Chosen](QMenu&, const QPoint&) {
            Events.push_back("Popup");
            return Chosen != nullptr ? (this->*Chosen)->Action() : nullptr;
        });
        Logged.Icon->SetPopupMenu(&Menu);
    }
    TPopupMenu Menu;
    TMenuItem* Open;
    TMenuItem* Exit;
};

void Send(TLoggedIcon& Logged, std::initializer_list<unsigned> Messages)
{
    for (unsigned Message : Messages)
        Logged.Tray->Send(Message);
}

const TEvents RightClick{"MouseDown right [right]", "Click right [right]", "MouseUp right [right]"};
const TEvents DblClickWithoutDefault{"DblClick", "MouseDown left [double]"};
} // namespace

class NotificationIconTest : public testing::Test, public TLoggedIcon
{
};

TEST(NotificationIcon, MouseMessagesClickOpenTheMenuOrRunTheDefaultItem)
{
    struct TCase
    {
        const char* Name;
        std::function<void(TTrayMenu&, TNotificationIcon&)> Setup;
        std::initializer_list<unsigned> Messages;
        TEvents Expected;
    };
    const auto None = [](TTrayMenu&, TNotificationIcon&) {};
    const auto NoMenu = [](TTrayMenu&, TNotificationIcon& Icon) { Icon.SetPopupMenu(nullptr); };
    const TCase Cases[] = {
        // The shell reports a double click as down, up, double-click, up.
        {"double click",
         None,
         {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
         {"MouseDown left [left]", "Click left [left]", "MouseUp left [left]", "Open",
          "MouseDown left [double]", "MouseUp left [left]"}},
        {"disabled default item",
         [](TTrayMenu& M, TNotificationIcon&) { M.Open->SetEnabled(false); },
         {WM_LBUTTONDBLCLK},
         DblClickWithoutDefault},
        {"no default item",
         [](TTrayMenu& M, TNotificationIcon&) { M.Open->SetDefault(false); },
         {WM_LBUTTONDBLCLK},
         DblClickWithoutDefault},
        {"right click opens the menu",
         None,
         {WM_RBUTTONDOWN, WM_RBUTTONUP},
         {"MouseDown right [right]", "Popup", "Exit", "MouseUp right [right]"}},
        {"menu without AutoPopup",
         [](TTrayMenu& M, TNotificationIcon&) { M.Menu.AutoPopup = false; },
         {WM_RBUTTONDOWN, WM_RBUTTONUP},
         RightClick},
        {"no menu", NoMenu, {WM_RBUTTONDOWN, WM_RBUTTONUP}, RightClick},
        {"freed menu",
         [](TTrayMenu&, TNotificationIcon& Icon) {
             auto* Freed = new TPopupMenu();
             Freed->Add(QStringLiteral("&Open..."))->SetDefault(true);
             Icon.SetPopupMenu(Freed);
             delete Freed;
             EXPECT_EQ(Icon.PopupMenu(), nullptr);
         },
         {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDBLCLK},
         {"MouseDown right [right]", "Click right [right]", "MouseUp right [right]", "DblClick",
          "MouseDown left [double]"}},
        {"ups without downs",
         None,
         {WM_LBUTTONUP, WM_RBUTTONUP},
         {"MouseUp left [left]", "MouseUp right [right]"}},
        {"middle never clicks, a double click is no down",
         None,
         {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_RBUTTONUP},
         {"MouseDown middle [middle]", "MouseUp middle [middle]", "MouseDown middle [double]",
          "MouseDown right [double]", "MouseUp right [right]"}},
        {"disabled icon",
         [](TTrayMenu&, TNotificationIcon& Icon) { Icon.SetEnabled(false); },
         {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE},
         {}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TLoggedIcon Logged;
        TTrayMenu Menu(Logged, &TTrayMenu::Exit);
        Logged.ShowWithImage();
        Case.Setup(Menu, *Logged.Icon);
        Send(Logged, Case.Messages);
        EXPECT_EQ(Logged.Events, Case.Expected);
        EXPECT_EQ(Menu.Menu.PopupComponent.data(),
                  Logged.Events.size() > 1 && Logged.Events[1] == "Popup" ? Logged.Icon.get() : nullptr);
        EXPECT_TRUE(Logged.Icon->IconShown()) << "a disabled icon keeps its place";
    }
}

TEST_F(NotificationIconTest, ReAddingForgetsButtonsAndEventsCarryKeysAndCursor)
{
    ShowWithImage();
    Send(*this, {WM_LBUTTONDOWN});
    Icon->SetActive(false);
    Icon->SetActive(true);
    Send(*this, {WM_LBUTTONUP});
    EXPECT_EQ(Events, (TEvents{"MouseDown left [left]", "MouseUp left [left]"}));

    Events.clear();
    Tray->Keys = {VK_SHIFT, VK_CONTROL};
    Tray->Cursor = QPoint(17, 23);
    Send(*this, {WM_MOUSEMOVE, 0x20A});
    EXPECT_EQ(Events, (TEvents{"MouseMove [shift+ctrl]"})) << "an unknown mouse message does nothing";
    EXPECT_EQ(Positions.back(), QPoint(17, 23));

    // Messages other than the tray's callback are left to the default handling.
    EXPECT_EQ(Tray->Shown.hWnd->Perform(TrayCallbackMessage + 1, 0, WM_LBUTTONDOWN), 0);
    EXPECT_EQ(Events.size(), 1u);
}

TEST_F(NotificationIconTest, IconRecordCarriesTheShortHintAndTheShellsRecordSize)
{
    Icon->SetHint(QStringLiteral("Tickerwell|Stock commentary"));
    ShowWithImage(Qt::green);
    ASSERT_EQ(Tray->Calls.back().Op, TOp::Add) << "a non-empty tooltip needs no modify after the add";
    const TNotifyIconData& Added = Tray->Calls.back().Data;
    EXPECT_EQ(std::tuple(Added.cbSize, Added.uID, Added.uFlags, Added.uCallbackMessage),
              std::tuple(488u, 0u, 7u, 0xB064u));
    EXPECT_EQ(Added.szTip, QStringLiteral("Tickerwell"));
    EXPECT_EQ(Added.hIcon, SolidImage(Qt::green));

    Icon->SetHint(QString(200, QLatin1Char('x')));
    EXPECT_EQ(Tray->Shown.szTip, QString(127, QLatin1Char('x')));

    // The record is 488 bytes only for a shell above 5.0.0.0.
    const std::pair<std::optional<TFileVersion>, std::uint32_t> Shells[] = {{TFileVersion{5, 0, 0, 0}, 88},
                                                                            {TFileVersion{5, 0, 0, 1}, 488},
                                                                            {TFileVersion{4, 90, 0, 0}, 88},
                                                                            {{}, 88}};
    for (const auto& [Version, Size] : Shells) {
        Tray->Version = Version;
        Icon->SetHint(Icon->Hint() + QLatin1Char('x'));
        EXPECT_EQ(Tray->Shown.cbSize, Size) << (Version ? Version->Major * 100 + Version->Minor : 0);
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

    TIcon Red(SolidImage(Qt::red));
    Icon->SetIcon(&Red);
    EXPECT_EQ(Tray->CountOf(TOp::Add), 1);
    EXPECT_EQ(Tray->Shown.hIcon, SolidImage(Qt::red));
    Icon->Icon()->SetImage(SolidImage(Qt::blue));
    EXPECT_EQ(Tray->Shown.hIcon, SolidImage(Qt::blue)) << "the image changed in place";

    Icon->SetIcon(nullptr);
    EXPECT_FALSE(Tray->Present);
    Icon->SetIcon(&Red);
    Icon->SetActive(false);
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

TEST_F(NotificationIconTest, ErrorsOfHandlersGoToTheErrorBox)
{
    TErrorBoxRecorder Boxes;
    TTrayMenu Menu(*this, &TTrayMenu::Exit);
    Menu.Open->OnClick = [](QObject*) { throw std::runtime_error("Cannot open the window"); };
    Menu.Exit->OnClick = [](QObject*) { throw std::runtime_error("Cannot end."); };
    Icon->OnClick = [](QObject*, TMouseButton, TShiftState, int, int) {
        throw std::runtime_error("Click failed");
    };
    ShowWithImage();

    // The error ends the handling of its message; the next message is handled as usual.
    Send(*this, {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE});
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
    ShowWithImage();
    EXPECT_FALSE(App->ShowMainForm) << "HideOnTaskbar keeps the run loop from showing the main form";
    App->ShowMainForm = true;
    Icon->SetShowDesign(true);
    EXPECT_FALSE(Icon->ShowDesign()) << "ShowDesign means nothing at run time";

    // While designing, Active adds and removes nothing and ShowDesign does; the menu stays shut.
    TLoggedIcon Designed;
    TTrayMenu Menu(Designed);
    Designed.Icon->SetDesigning(true);
    Designed.ShowWithImage();
    Designed.Icon->SetActive(false);
    Designed.Icon->SetActive(true);
    EXPECT_EQ(Designed.Tray->CountOf(TOp::Add), 0);
    Designed.Icon->SetShowDesign(true);
    EXPECT_TRUE(Designed.Tray->Present);
    Send(Designed, {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDBLCLK});
    EXPECT_EQ(Designed.Events, (TEvents{"MouseDown right [right]", "Click right [right]",
                                        "MouseUp right [right]", "DblClick", "MouseDown left [double]"}));
    Designed.Icon->SetShowDesign(false);
    EXPECT_FALSE(Designed.Tray->Present);
}

TEST_F(NotificationIconTest, RealMenuOpensAtTheCursorAndRunsTheChosenItem)
{
    TTrayMenu Menu(*this);
    Menu.Menu.SetExecHook(nullptr);
    EXPECT_EQ(Menu.Menu.Menu()->defaultAction(), Menu.Open->Action()) << "the default item is shown bold";
    ShowWithImage();
    Tray->Cursor = QPoint(200, 150);

    QObject Scope;
    QPoint ShownAt(-1, -1);
    QTimer::singleShot(100, &Scope, [&] {
        if (auto* Popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            ShownAt = Popup->pos();
            Popup->setActiveAction(Menu.Exit->Action());
            QKeyEvent Enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(Popup, &Enter);
        }
    });
    QTimer::singleShot(5000, &Scope, [] { // fail instead of hanging
        if (QWidget* Popup = QApplication::activePopupWidget())
            Popup->close();
    });
    Send(*this, {WM_RBUTTONDOWN, WM_RBUTTONUP});
    EXPECT_EQ(ShownAt, QPoint(200, 150));
    EXPECT_EQ(Events, (TEvents{"MouseDown right [right]", "Exit", "MouseUp right [right]"}));
}

TEST_F(NotificationIconTest, TrayActivationsArriveAsTheShellsMouseMessages)
{
    TTrayMenu Menu(*this);
    ShowWithImage();
    // Qt reports a double click as a click and then a double click.
    for (auto Reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context,
                        QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
        SendActivation(Tray->Shown.hWnd, Tray->Shown.uCallbackMessage, Tray->Shown.uID, Reason);
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
