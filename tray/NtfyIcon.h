// TNotificationIcon: keeps one icon in the desktop's notification area in line with its properties,
// turns the tray's mouse messages into events, opens its popup menu on a right click, runs the
// menu's default item on a double click, can animate through a list of frames, and sends the main
// window to the tray and back.
#pragma once

#include "Component.h"
#include "Icon.h"
#include "TrayLayer.h"
#include "VelorIconList.h"

#include <atomic>
#include <cstdint>
#include <memory>

class TPopupMenu;
class TTimerThread;

enum class TMouseButton
{
    mbLeft = 0,
    mbRight = 1,
    mbMiddle = 2
};

// Bit set of the keys and mouse buttons held during a mouse event.
using TShiftState = unsigned;
enum : TShiftState
{
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};

using TMouseEvent =
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

// The message the tray sends to the component's hidden window.
inline constexpr unsigned TrayCallbackMessage = 0xB064;

class TNotificationIcon : public TComponent
{
    Q_OBJECT
public:
    // Nothing is added to the tray until loading ends (Loaded) or a property change asks for it.
    // Without a Layer the icon goes to the desktop's tray (TQtTrayLayer).
    explicit TNotificationIcon(QObject* Owner = nullptr, std::unique_ptr<TTrayLayer> Layer = nullptr);
    ~TNotificationIcon() override;

    // The icon is wanted in the tray (default true).
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    // Mouse messages from the icon become events (default true).
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    // Tooltip; only the part before the first "|" is shown.
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value);
    // A stored value only: the program shows its main form itself.
    bool HideOnTaskbar() const { return FHideOnTaskbar; }
    void SetHideOnTaskbar(bool Value) { FHideOnTaskbar = Value; }
    // The image shown when not animating. The component owns it; changing it in place (for
    // instance Icon()->LoadFromFile(...)) updates the tray like SetIcon does.
    TIcon* Icon() const { return FIcon.get(); }
    void SetIcon(const TIcon* Value);
    // Animation frames; changing them does not by itself refresh the tray.
    TVelorIconList* Icons() const { return FIcons.get(); }
    void SetIcons(const TPersistent* Value);
    // Cycles the tray image through Icons every Interval milliseconds; stays false while Icons is
    // empty.
    bool Animated() const { return FAnimated; }
    void SetAnimated(bool Value);
    std::uint16_t Interval() const { return FInterval.load(); }
    void SetInterval(std::uint16_t Value) { FInterval.store(Value); }
    int FrameIndex() const { return FFrameIndex; }
    // Menu for the right button and source of the default item; cleared when the menu is destroyed.
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    // Shows the icon while the component is being designed; has no effect otherwise.
    bool ShowDesign() const { return FShowDesign; }
    void SetShowDesign(bool Value);

    // The last add to the tray succeeded and no delete has followed.
    bool IconShown() const { return FIconShown; }

    TMouseEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // The user clicked the message balloon of ShowBalloon.
    TNotifyEvent OnBalloonClick;

    // End of loading: shows the icon when Active.
    void Loaded() override;

    // The main form is the window of the widget that owns the component.
    // Sends the main form to the tray by hiding it. When the icon is not in the tray
    // (no tray host, no image, not active) the form is left alone, an ordinary minimised window the
    // user can get back, and the result is false.
    bool HideMainForm();
    // Brings the main form back from the tray: out of the minimised state, shown and in front.
    void RestoreMainForm();

    // Shows a message balloon at the icon; false when the icon is not in the tray or the tray cannot
    // show one.
    bool ShowBalloon(const QString& Title, const QString& Text);

    // Whether the tray host's version is above the given one; false when it is unknown.
    bool ShellVersionAbove(std::uint16_t Major, std::uint16_t Minor, std::uint16_t Build,
                           std::uint16_t Revision);

    // Advances the animation by one frame; the timer thread has it run on the user-interface thread.
    void NextFrame();

    // The icon record as last filled.
    const TNotifyIconData& IconData() const { return FIconData; }

protected:
    virtual void FillIconData();
    virtual void DblClick();
    virtual void Click(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

    void Notification(QObject* Component, TOperation Operation) override;

    void ShowIcon();
    void HideIcon();
    void UpdateIcon();
    // The image for the tray now: the current frame while animating, else Icon; may be nullptr.
    TIcon* CurrentIcon() const;

private:
    void WndProc(TMessage& Message);
    void TrayMessage(std::intptr_t MouseMessage);
    TShiftState KeyState();
    void ButtonUp(TMouseButton Button, TShiftState ButtonShift, unsigned DownBit);
    bool PopupAtCursor(int X, int Y);
    bool ClickDefaultItem();
    bool IconWanted() const;
    QWidget* MainForm() const;
    void StopTimerThread();
    // The timer thread's advance, posted to the user-interface thread.
    Q_INVOKABLE void TimerTick();

    std::unique_ptr<TTrayLayer> FLayer;
    std::unique_ptr<TTrayWindow> FWindow;
    std::unique_ptr<TIcon> FIcon;
    std::unique_ptr<TVelorIconList> FIcons;
    std::unique_ptr<TTimerThread> FTimerThread;
    TNotifyIconData FIconData;
    TPopupMenu* FPopupMenu = nullptr;
    QString FHint;
    std::atomic<std::uint16_t> FInterval{150};
    int FFrameIndex = -1;
    std::uint8_t FButtonsDown = 0;
    bool FActive = true;
    bool FEnabled = true;
    bool FHideOnTaskbar = false;
    bool FAnimated = false;
    bool FShowDesign = false;
    bool FIconShown = false;
};
