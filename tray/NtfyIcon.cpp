// The notification icon component: the tray record, showing and hiding the icon, the mouse message
// dispatch, the popup menu, the animation state and the main form helpers.
#include "NtfyIcon.h"

#include "Application.h"
#include "PopupMenu.h"
#include "TimerThread.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <tuple>

namespace {
constexpr std::uint8_t LeftDown = 1u << 0;
constexpr std::uint8_t RightDown = 1u << 1;
constexpr int TipLength = 127;

// The tooltip the tray shows: the short part of the hint, cut to the room of the record's tip.
QString TipOf(const QString& Hint)
{
    const qsizetype Bar = Hint.indexOf(QLatin1Char('|'));
    QString Tip = Bar < 0 ? Hint : Hint.left(Bar);
    if (Tip.size() > TipLength) {
        Tip.truncate(TipLength);
        // Never leave half of a character that needs two UTF-16 units.
        if (Tip.back().isHighSurrogate())
            Tip.chop(1);
    }
    return Tip;
}

bool ShortHintEmpty(const QString& Hint)
{
    return Hint.isEmpty() || Hint.front() == QLatin1Char('|');
}
} // namespace

TNotificationIcon::TNotificationIcon(QObject* Owner, std::unique_ptr<TTrayLayer> Layer)
    : TComponent(Owner), FLayer(Layer ? std::move(Layer) : std::make_unique<TQtTrayLayer>()),
      FWindow(std::make_unique<TTrayWindow>([this](TMessage& Message) { WndProc(Message); })),
      FIcon(std::make_unique<TIcon>()), FIcons(std::make_unique<TVelorIconList>())
{
    FIcon->OnChange = [this] { UpdateIcon(); };
}

TNotificationIcon::~TNotificationIcon()
{
    MarkDestroying();
    // The animation stops first, so that its thread is gone before anything below is.
    FAnimated = false;
    StopTimerThread();
    FIcons.reset();
    FEnabled = false;
    FIcon->OnChange = nullptr;
    HideIcon();
    FWindow.reset();
    FIcon.reset();
}

void TNotificationIcon::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (Designing())
        return;
    if (Value)
        ShowIcon();
    else
        HideIcon();
}

void TNotificationIcon::SetHint(const QString& Value)
{
    if (Value == FHint)
        return;
    FHint = Value;
    UpdateIcon();
}

void TNotificationIcon::SetIcon(const TIcon* Value)
{
    FIcon->Assign(Value);
}

void TNotificationIcon::SetIcons(const TPersistent* Value)
{
    FIcons->Assign(Value);
}

void TNotificationIcon::SetPopupMenu(TPopupMenu* Value)
{
    FPopupMenu = Value;
    FLayer->SetMenu(Value);
    if (Value != nullptr)
        FreeNotification(Value);
}

void TNotificationIcon::SetShowDesign(bool Value)
{
    if (!Designing())
        return;
    if (Value)
        ShowIcon();
    else
        HideIcon();
    FShowDesign = FIconShown;
}

void TNotificationIcon::Loaded()
{
    TComponent::Loaded();
    if (FActive && !Designing())
        ShowIcon();
}

void TNotificationIcon::Notification(QObject* Component, TOperation Operation)
{
    TComponent::Notification(Component, Operation);
    if (Operation == TOperation::opRemove && FPopupMenu != nullptr &&
        Component == static_cast<QObject*>(FPopupMenu))
        FPopupMenu = nullptr;
}

bool TNotificationIcon::ShellVersionAbove(std::uint16_t Major, std::uint16_t Minor, std::uint16_t Build,
                                          std::uint16_t Revision)
{
    const std::optional<TFileVersion> Version = FLayer->ShellVersion();
    if (!Version)
        return false;
    // The first part that differs decides; equal versions are not above.
    return std::tie(Version->Major, Version->Minor, Version->Build, Version->Revision) >
           std::tie(Major, Minor, Build, Revision);
}

void TNotificationIcon::FillIconData()
{
    FIconData = TNotifyIconData();
    FIconData.cbSize = ShellVersionAbove(5, 0, 0, 0) ? 488 : 88;
    FIconData.hWnd = FWindow.get();
    FIconData.uID = 0;
    FIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    FIconData.uCallbackMessage = TrayCallbackMessage;
    if (const TIcon* Current = CurrentIcon())
        FIconData.hIcon = Current->Image();
    FIconData.szTip = TipOf(FHint);
}

TIcon* TNotificationIcon::CurrentIcon() const
{
    if (FAnimated && FIcons && FIcons->Count() > 0)
        return FIcons->Items(std::clamp(FFrameIndex, 0, FIcons->Count() - 1));
    return FIcon.get();
}

bool TNotificationIcon::IconWanted() const
{
    return Designing() ? FShowDesign : FActive;
}

void TNotificationIcon::ShowIcon()
{
    HideIcon();
    const TIcon* Current = CurrentIcon();
    if (Current == nullptr || Current->Empty()) {
        // An empty frame only holds the icon back until the next frame, which a thread created
        // while the icon was absent must be free to reach.
        if (FAnimated && FTimerThread)
            FTimerThread->Resume();
        return;
    }
    FButtonsDown = 0;
    FillIconData();
    FIconShown = FLayer->Add(FIconData);
    if (!FIconShown)
        return;
    if (ShortHintEmpty(FHint))
        FLayer->Modify(FIconData);
    // A thread created while the icon was not in the tray waits for it to be added.
    if (FTimerThread)
        FTimerThread->Resume();
}

void TNotificationIcon::HideIcon()
{
    FLayer->Delete(FIconData);
    FIconShown = false;
    FButtonsDown = 0;
}

void TNotificationIcon::UpdateIcon()
{
    if (!FIcons || FIcons->Count() == 0)
        SetAnimated(false);
    if (FIconShown) {
        const TIcon* Current = CurrentIcon();
        if (Current != nullptr && !Current->Empty()) {
            FillIconData();
            FLayer->Modify(FIconData);
        } else {
            HideIcon();
        }
    } else if (IconWanted()) {
        ShowIcon();
    }
}

void TNotificationIcon::SetAnimated(bool Value)
{
    const bool Wanted = Value && FIcons && FIcons->Count() > 0;
    if (Wanted == FAnimated)
        return;
    if (Wanted) {
        FTimerThread = std::make_unique<TTimerThread>(this, !FIconShown);
        FAnimated = true;
    } else {
        FAnimated = false;
        StopTimerThread();
    }
    FFrameIndex = 0;
    UpdateIcon();
}

void TNotificationIcon::StopTimerThread()
{
    // Waits for the thread, which wakes at once when told to terminate; no advance follows.
    FTimerThread.reset();
}

void TNotificationIcon::TimerTick()
{
    // Taking the advance lets the next interval run while this frame is shown.
    if (!FTimerThread || !FTimerThread->TakeAdvance())
        return;
    TApplication::Guarded([this] { NextFrame(); });
}

bool TNotificationIcon::ShowBalloon(const QString& Title, const QString& Text)
{
    return FIconShown && FLayer->ShowMessage(FIconData, Title, Text);
}

void TNotificationIcon::NextFrame()
{
    if (Destroying() || !FAnimated)
        return;
    ++FFrameIndex;
    if (!FIcons || FIcons->Count() <= FFrameIndex)
        FFrameIndex = 0;
    UpdateIcon();
}

void TNotificationIcon::WndProc(TMessage& Message)
{
    if (Message.Msg != TrayCallbackMessage || !FEnabled) {
        Message.Result = DefWindowProc(FWindow.get(), Message);
        return;
    }
    try {
        TrayMessage(Message.LParam);
    } catch (...) {
        TApplication::ShowException(std::current_exception());
    }
    Message.Result = 0;
}

TShiftState TNotificationIcon::KeyState()
{
    TShiftState Keys = 0;
    if (FLayer->KeyDown(VK_SHIFT))
        Keys |= ssShift;
    if (FLayer->KeyDown(VK_CONTROL))
        Keys |= ssCtrl;
    if (FLayer->KeyDown(VK_MENU))
        Keys |= ssAlt;
    return Keys;
}

void TNotificationIcon::TrayMessage(std::intptr_t MouseMessage)
{
    // A handler may delete the component (or run a nested event loop that does): nothing of it is
    // touched after that.
    const QPointer<TNotificationIcon> Self(this);
    const QPoint At = FLayer->CursorPos();
    switch (MouseMessage) {
    case WM_MOUSEMOVE:
        MouseMove(KeyState(), At.x(), At.y());
        break;
    case WM_LBUTTONDOWN:
        MouseDown(TMouseButton::mbLeft, KeyState() | ssLeft, At.x(), At.y());
        if (Self)
            FButtonsDown |= LeftDown;
        break;
    case WM_LBUTTONUP:
        ButtonUp(TMouseButton::mbLeft, ssLeft, LeftDown);
        break;
    case WM_LBUTTONDBLCLK: {
        DblClick();
        if (!Self)
            return;
        const QPoint After = FLayer->CursorPos();
        MouseDown(TMouseButton::mbLeft, KeyState() | ssDouble, After.x(), After.y());
        break;
    }
    case WM_RBUTTONDOWN:
        MouseDown(TMouseButton::mbRight, KeyState() | ssRight, At.x(), At.y());
        if (Self)
            FButtonsDown |= RightDown;
        break;
    case WM_RBUTTONUP:
        ButtonUp(TMouseButton::mbRight, ssRight, RightDown);
        break;
    case WM_RBUTTONDBLCLK:
        MouseDown(TMouseButton::mbRight, KeyState() | ssDouble, At.x(), At.y());
        break;
    case WM_MBUTTONDOWN:
        MouseDown(TMouseButton::mbMiddle, KeyState() | ssMiddle, At.x(), At.y());
        break;
    case WM_MBUTTONUP:
        MouseUp(TMouseButton::mbMiddle, KeyState() | ssMiddle, At.x(), At.y());
        break;
    case WM_MBUTTONDBLCLK:
        MouseDown(TMouseButton::mbMiddle, KeyState() | ssDouble, At.x(), At.y());
        break;
    case NIN_BALLOONUSERCLICK:
        if (OnBalloonClick)
            OnBalloonClick(this);
        break;
    default:
        break;
    }
}

void TNotificationIcon::ButtonUp(TMouseButton Button, TShiftState ButtonShift, unsigned DownBit)
{
    // Only a button that went down on the icon clicks it; the up itself is always reported.
    const QPointer<TNotificationIcon> Self(this);
    const QPoint At = FLayer->CursorPos();
    const TShiftState Shift = KeyState() | ButtonShift;
    if ((FButtonsDown & DownBit) != 0) {
        FButtonsDown &= std::uint8_t(~DownBit);
        Click(Button, Shift, At.x(), At.y());
        if (!Self)
            return;
    }
    MouseUp(Button, Shift, At.x(), At.y());
}

void TNotificationIcon::Click(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const QPointer<TNotificationIcon> Self(this);
    if (Button == TMouseButton::mbRight && PopupAtCursor(X, Y))
        return;
    if (Self && OnClick)
        OnClick(this, Button, Shift, X, Y);
}

void TNotificationIcon::DblClick()
{
    if (ClickDefaultItem())
        return;
    if (OnDblClick)
        OnDblClick(this);
}

void TNotificationIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TNotificationIcon::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TNotificationIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

bool TNotificationIcon::PopupAtCursor(int X, int Y)
{
    if (Designing() || !FActive || FPopupMenu == nullptr || !FPopupMenu->AutoPopup)
        return false;
    const QPointer<TPopupMenu> Menu(FPopupMenu);
    Menu->PopupComponent = this;
    if (!Destroying()) {
        // Whatever holds the mouse or has a drop-down open lets go before the menu opens.
        if (QWidget* Grabber = QWidget::mouseGrabber())
            Grabber->releaseMouse();
        if (QWidget* Popup = QApplication::activePopupWidget())
            Popup->close();
    }
    // QMenu::exec brings its menu to the front and takes the input itself, which on Windows the
    // hidden window's SetForegroundWindow is for.
    QCoreApplication::processEvents();
    if (!Menu.isNull())
        Menu->Popup(X, Y);
    return true;
}

bool TNotificationIcon::ClickDefaultItem()
{
    if (Designing() || !FActive || FPopupMenu == nullptr)
        return false;
    for (int I = 0; I < FPopupMenu->Count(); ++I) {
        TMenuItem* Item = FPopupMenu->Items(I);
        if (Item->Default() && Item->Enabled()) {
            Item->Click();
            return true;
        }
    }
    return false;
}

bool TNotificationIcon::HideMainForm()
{
    // A tray host may have come up since the last add failed.
    if (!FIconShown)
        UpdateIcon();
    if (!FIconShown)
        return false;
    if (QWidget* Form = MainForm())
        Form->hide();
    return true;
}

void TNotificationIcon::RestoreMainForm()
{
    QWidget* Form = MainForm();
    if (Form == nullptr)
        return;
    if (Form->isMinimized())
        Form->setWindowState(Form->windowState() & ~Qt::WindowMinimized);
    Form->show();
    Form->raise();
    Form->activateWindow();
}

QWidget* TNotificationIcon::MainForm() const
{
    auto* Owner = qobject_cast<QWidget*>(parent());
    return Owner != nullptr ? Owner->window() : nullptr;
}
