// The tray layer: what the notification icon component needs from the desktop's notification
// area (add, modify and delete of its icon record, the shell's version, cursor and key state), the
// record itself, and the stand-in for the component's hidden window that receives the tray's
// mouse messages. TQtTrayLayer is the desktop's layer over QSystemTrayIcon, on an XEmbed tray or a
// StatusNotifierItem host.
#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;
class TPopupMenu;

struct TMessage
{
    unsigned Msg = 0;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// The mouse messages that the tray reports in a callback message's LParam.
enum : unsigned
{
    WM_MOUSEMOVE = 0x200,
    WM_LBUTTONDOWN = 0x201,
    WM_LBUTTONUP = 0x202,
    WM_LBUTTONDBLCLK = 0x203,
    WM_RBUTTONDOWN = 0x204,
    WM_RBUTTONUP = 0x205,
    WM_RBUTTONDBLCLK = 0x206,
    WM_MBUTTONDOWN = 0x207,
    WM_MBUTTONUP = 0x208,
    WM_MBUTTONDBLCLK = 0x209,
    NIN_BALLOONUSERCLICK = 0x405, // the user clicked the icon's message balloon
};

// Keys asked of TTrayLayer::KeyDown.
enum : int
{
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12
};

// Flags of TNotifyIconData::uFlags: which of the callback message, icon and tooltip are valid.
enum : std::uint32_t
{
    NIF_MESSAGE = 1,
    NIF_ICON = 2,
    NIF_TIP = 4
};

// The component's hidden window: it has no screen presence here, only a window procedure that the
// tray layer sends the callback messages to, and an enabled state.
class TTrayWindow : public QObject
{
    Q_OBJECT
public:
    using TWindowProc = std::function<void(TMessage& Message)>;
    explicit TTrayWindow(TWindowProc WindowProc, QObject* Parent = nullptr);

    // Runs the window procedure on the message and returns its result.
    std::intptr_t Perform(unsigned Msg, std::uintptr_t WParam, std::intptr_t LParam);

    bool IsEnabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }

private:
    TWindowProc FWindowProc;
    bool FEnabled = true;
};

// Default handling of a message the component does not handle: nothing, result 0.
std::intptr_t DefWindowProc(TTrayWindow* Window, const TMessage& Message);

// The tray's icon record. Only the members the component fills are here.
struct TNotifyIconData
{
    std::uint32_t cbSize = 0;
    TTrayWindow* hWnd = nullptr;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    QImage hIcon;
    QString szTip;
};

struct TFileVersion
{
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Build = 0;
    std::uint16_t Revision = 0;
};

class TTrayLayer
{
public:
    virtual ~TTrayLayer() = default;

    // Adds, changes or removes the icon of the record; true when the tray accepted the call. Add
    // fails when there is no tray to show the icon in. Mouse messages for an added icon go to the
    // record's hWnd as uCallbackMessage with the icon's uID in WParam and the mouse message in
    // LParam.
    virtual bool Add(const TNotifyIconData& Data) = 0;
    virtual bool Modify(const TNotifyIconData& Data) = 0;
    virtual bool Delete(const TNotifyIconData& Data) = 0;

    // The version of the tray host in the four-part form of a file version; none when unknown.
    virtual std::optional<TFileVersion> ShellVersion() = 0;

    // Screen position of the mouse cursor now.
    virtual QPoint CursorPos() = 0;
    // Whether the key (VK_SHIFT, VK_CONTROL or VK_MENU) is held down now.
    virtual bool KeyDown(int VirtualKey) = 0;

    // Shows a message balloon at the icon of the record; false when the tray cannot show one.
    virtual bool ShowMessage(const TNotifyIconData& Data, const QString& Title, const QString& Text);

    // The component's menu, for a tray host that shows the icon's menu itself rather than report
    // the clicks that open it. Taken at the next Add; a tray that reports clicks ignores it.
    virtual void SetMenu(TPopupMenu* Menu);
};

// Sends the mouse messages that stand for a QSystemTrayIcon activation to Window, as the tray's
// callback message Callback for the icon Id: a click is left down and up, a double click left
// double-click and up, the context request right down and up, a middle click middle down and up.
// Stops early when a handler destroys Window.
void SendActivation(TTrayWindow* Window, unsigned Callback, std::uintptr_t Id, int Reason);

// The desktop's notification area through QSystemTrayIcon. Qt reports activations, not mouse
// messages, so each is turned back into the messages a shell would send (SendActivation); a click
// on a message balloon becomes NIN_BALLOONUSERCLICK. Where a StatusNotifierItem host shows the icon,
// it also shows the menu, which Qt exports over dbusmenu, and its requests are answered before the
// component acts on them.
class TQtTrayLayer : public TTrayLayer
{
public:
    TQtTrayLayer() = default;
    ~TQtTrayLayer() override;
    TQtTrayLayer(const TQtTrayLayer&) = delete;
    TQtTrayLayer& operator=(const TQtTrayLayer&) = delete;

    bool Add(const TNotifyIconData& Data) override;
    bool Modify(const TNotifyIconData& Data) override;
    bool Delete(const TNotifyIconData& Data) override;
    // Always 6.0.0.0: the icon record is used in full, as by a shell newer than 5.0.
    std::optional<TFileVersion> ShellVersion() override;
    QPoint CursorPos() override;
    bool KeyDown(int VirtualKey) override;
    bool ShowMessage(const TNotifyIconData& Data, const QString& Title, const QString& Text) override;
    void SetMenu(TPopupMenu* Menu) override;

private:
    void Connect(const TNotifyIconData& Data);
    void Apply(const TNotifyIconData& Data);
    static void Release(QSystemTrayIcon* Icon);
    // Fills the copy of the component's menu that a StatusNotifierItem host shows.
    void ExportMenu(QMenu& Exported);

    QPointer<QSystemTrayIcon> FTray;
    // The icon deleted last, while it waits to leave the tray; an add in the meantime takes it back.
    QPointer<QSystemTrayIcon> FRemoved;
    QPointer<TPopupMenu> FMenu;
};
