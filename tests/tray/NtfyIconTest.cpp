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
#include <map>
#include <sstream>
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

// Sends messages written as "LD LU L2 RD RU R2 MD MU M2 MV" (down, up, double click, move).
void Send(TLoggedIcon& Logged, const std::string& Messages)
{
    static const std::map<std::string, unsigned> Codes = {
        {"LD", WM_LBUTTONDOWN},   {"LU", WM_LBUTTONUP},     {"L2", WM_LBUTTONDBLCLK}, {"RD", WM_RBUTTONDOWN},
        {"RU", WM_RBUTTONUP},     {"R2", WM_RBUTTONDBLCLK}, {"MD", WM_MBUTTONDOWN},   {"MU", WM_MBUTTONUP},
        {"M2", WM_MBUTTONDBLCLK}, {"MV", WM_MOUSEMOVE},     {"WHEEL", 0x20A}};
    std::istringstream Words(Messages);
    for (std::string Word; Words >> Word;)
        Logged.Tray->Send(Codes.at(Word));
}

// The logged events joined by ", ".
std::string Joined(const TLoggedIcon& Logged)
{
    std::string Text;
    for (const std::string& Event : Logged.Events)
        Text += (Text.empty() ? "" : ", ") + Event;
    return Text;
}

const char* const RightClick = "MouseDown right [right], Click right [right], MouseUp right [right]";
const char* const DblClick = "DblClick, MouseDown left [double]";
} // namespace

class NotificationIconTest : public testing::Test, public TLoggedIcon
{
};

TEST(NotificationIcon, MouseMessagesClickOpenTheMenuOrRunTheDefaultItem)
{
    using TSetup = std::function<void(TTrayMenu&, TNotificationIcon&)>;
    const TSetup None = [](TTrayMenu&, TNotificationIcon&) {};
    const TSetup NoDefault = [](TTrayMenu& M, TNotificationIcon&) { M.Open->SetDefault(false); };
    const TSetup DisabledDefault = [](TTrayMenu& M, TNotificationIcon&) { M.Open->SetEnabled(false); };
    const TSetup NoAutoPopup = [](TTrayMenu& M, TNotificationIcon&) { M.Menu.AutoPopup = false; };
    const TSetup NoMenu = [](TTrayMenu&, TNotificationIcon& Icon) { Icon.SetPopupMenu(nullptr); };
    const TSetup Disabled = [](TTrayMenu&, TNotificationIcon& Icon) { Icon.SetEnabled(false); };
    const TSetup FreedMenu = [](TTrayMenu&, TNotificationIcon& Icon) {
        auto* Freed = new TPopupMenu();
        Freed->Add(QStringLiteral("&Open..."))->SetDefault(true);
        Icon.SetPopupMenu(Freed);
        delete Freed;
        EXPECT_EQ(Icon.PopupMenu(), nullptr);
    };
    const std::string Menu = "MouseDown right [right], Popup, Exit, MouseUp right [right]";
    const std::tuple<TSetup, const char*, std::string> Cases[] = {
        // The shell reports a double click as down, up, double-click, up.
        {None, "LD LU L2 LU",
         "MouseDown left [left], Click left [left], MouseUp left [left], Open, MouseDown left [double], "
         "MouseUp left [left]"},
        {DisabledDefault, "L2", DblClick},
        {NoDefault, "L2", DblClick},
        {None, "RD RU", Menu},
        {NoAutoPopup, "RD RU", RightClick},
        {NoMenu, "RD RU", RightClick},
        {FreedMenu, "RD RU L2", RightClick + std::string(", ") + DblClick},
        {None, "LU RU", "MouseUp left [left], MouseUp right [right]"},
        // The middle button never clicks, and a double click is no down.
        {None, "MD MU M2 R2 RU",
         "MouseDown middle [middle], MouseUp middle [middle], MouseDown middle [double], MouseDown right "
         "[double], MouseUp right [right]"},
        {Disabled, "LD LU L2 RD RU MV", ""},
    };
    for (const auto& [Setup, Messages, Expected] : Cases) {
        SCOPED_TRACE(Messages);
        TLoggedIcon Logged;
        TTrayMenu Tray(Logged, &TTrayMenu::Exit);
        Logged.ShowWithImage();
        Setup(Tray, *Logged.Icon);
        Send(Logged, Messages);
        EXPECT_EQ(Joined(Logged), Expected);
        EXPECT_EQ(Tray.Menu.PopupComponent.data(), Expected == Menu ? Logged.Icon.get() : nullptr);
        EXPECT_TRUE(Logged.Icon->IconShown()) << "a disabled icon keeps its place";
    }
}

TEST_F(NotificationIconTest, ReAddingForgetsButtonsAndEventsCarryKeysAndCursor)
{
    ShowWithImage();
    Send(*this, "LD");
    Icon->SetActive(false);
    Icon->SetActive(true);
    Send(*this, "LU");
    EXPECT_EQ(Joined(*this), "MouseDown left [left], MouseUp left [left]");

    Events.clear();
    Tray->Keys = {VK_SHIFT, VK_CONTROL};
    Tray->Cursor = QPoint(17, 23);
    Send(*this, "MV WHEEL");
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
    const auto SizeFor = [&](std::optional<TFileVersion> Version) {
        Tray->Version = Version;
        Icon->SetHint(Icon->Hint() + QLatin1Char('x'));
        return Tray->Shown.cbSize;
    };
    EXPECT_EQ((std::vector{SizeFor(TFileVersion{5, 0, 0, 0}), SizeFor(TFileVersion{5, 0, 0, 1}),
                           SizeFor(TFileVersion{4, 90, 0, 0}), SizeFor(std::nullopt)}),
              (std::vector<std::uint32_t>{88, 488, 88, 88}));

    // An empty short hint sends a modify right after the add.
    TLoggedIcon Bare;
    Bare.Icon->SetHint(QStringLiteral("|only the long part"));
    Bare.ShowWithImage();
    const auto& Calls = Bare.Tray->Calls;
    ASSERT_GE(Calls.size(), 2u);
    EXPECT_EQ(std::pair(Calls[Calls.size() - 2].Op, Calls.back().Op), std::pair(TOp::Add, TOp::Modify));
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
    EXPECT_NE(Icon->Icon(), &Red) << "the component keeps a copy";
    Icon->Icon()->SetImage(SolidImage(Qt::blue));
    EXPECT_EQ(Tray->Shown.hIcon, SolidImage(Qt::blue)) << "added, then changed in place";
    Icon->SetIcon(nullptr);
    EXPECT_FALSE(Tray->Present);
    Icon->SetActive(false);
    Icon->SetIcon(&Red);
    EXPECT_FALSE(Tray->Present) << "an inactive icon is not added by an image change";
    Icon->SetActive(true);
    EXPECT_TRUE(Tray->Present);

    bool Deleted = false;
    Tray->OnDelete = [&] { Deleted = true; };
    Icon.reset();
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
    Send(*this, "LD LU L2 RD RU MV");
    EXPECT_EQ(Boxes.Texts,
              (QStringList{QStringLiteral("Click failed."), QStringLiteral("Cannot open the window."),
                           QStringLiteral("Cannot end.")}));
    EXPECT_EQ(Joined(*this), "MouseDown left [left], MouseDown right [right], Popup, MouseMove []");
}

TEST_F(NotificationIconTest, HideOnTaskbarAndDesigning)
{
    TApplication::Instance()->ShowMainForm = true;
    Icon->SetHideOnTaskbar(true);
    Icon->BeginLoading();
    ShowWithImage();
    EXPECT_FALSE(TApplication::Instance()->ShowMainForm) << "the run loop does not show the main form";
    TApplication::Instance()->ShowMainForm = true;

    // While designing, Active adds and removes nothing and ShowDesign does; the menu stays shut.
    TLoggedIcon Designed;
    TTrayMenu Menu(Designed);
    Designed.Icon->SetDesigning(true);
    Designed.ShowWithImage();
    Designed.Icon->SetActive(false);
    Designed.Icon->SetActive(true);
    EXPECT_FALSE(Designed.Tray->Present);
    Designed.Icon->SetShowDesign(true);
    EXPECT_TRUE(Designed.Tray->Present);
    Send(Designed, "RD RU L2");
    EXPECT_EQ(Joined(Designed), RightClick + std::string(", ") + DblClick);
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
    Send(*this, "RD RU");
    EXPECT_EQ(ShownAt, QPoint(200, 150));
    EXPECT_EQ(Joined(*this), "MouseDown right [right], Exit, MouseUp right [right]");
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
