// The hidden window stand-in and the tray layer over QSystemTrayIcon.
#include "TrayLayer.h"

#include "Application.h"
#include "PopupMenu.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {
const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
// Set on an icon that waits to leave the tray; cleared when it is added again in time.
const char* const RemovedProperty = "tkwRemoved";

// Whether Qt shows the icon through a StatusNotifierItem host. Qt decides that once per process, at
// its first look for a tray, by asking the session bus's watcher whether a host has registered;
// asked the same at the same moment, the layer agrees with it.
bool StatusNotifierHost()
{
    static const bool Host = [] {
        const QDBusConnection Bus = QDBusConnection::sessionBus();
        if (!Bus.isConnected() || !Bus.interface()->isServiceRegistered(WatcherService))
            return false;
        QDBusMessage Get = QDBusMessage::createMethodCall(
            WatcherService, QStringLiteral("/StatusNotifierWatcher"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        Get << WatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
        const QDBusMessage Reply = Bus.call(Get);
        return Reply.type() == QDBusMessage::ReplyMessage && !Reply.arguments().isEmpty() &&
               Reply.arguments().first().value<QDBusVariant>().variant().toBool();
    }();
    return Host;
}
} // namespace

TTrayWindow::TTrayWindow(TWindowProc WindowProc, QObject* Parent)
    : QObject(Parent), FWindowProc(std::move(WindowProc))
{
}

std::intptr_t TTrayWindow::Perform(unsigned Msg, std::uintptr_t WParam, std::intptr_t LParam)
{
    TMessage Message{Msg, WParam, LParam, 0};
    if (FWindowProc)
        FWindowProc(Message);
    return Message.Result;
}

std::intptr_t DefWindowProc(TTrayWindow*, const TMessage&)
{
    return 0;
}

void SendActivation(TTrayWindow* Window, unsigned Callback, std::uintptr_t Id, int Reason)
{
    unsigned Down = 0;
    unsigned Up = 0;
    switch (Reason) {
    case QSystemTrayIcon::Trigger:
        Down = WM_LBUTTONDOWN, Up = WM_LBUTTONUP;
        break;
    case QSystemTrayIcon::DoubleClick:
        Down = WM_LBUTTONDBLCLK, Up = WM_LBUTTONUP;
        break;
    case QSystemTrayIcon::Context:
        Down = WM_RBUTTONDOWN, Up = WM_RBUTTONUP;
        break;
    case QSystemTrayIcon::MiddleClick:
        Down = WM_MBUTTONDOWN, Up = WM_MBUTTONUP;
        break;
    default:
        return;
    }
    const QPointer<TTrayWindow> Target(Window);
    if (!Target.isNull())
        Target->Perform(Callback, Id, Down);
    if (!Target.isNull())
        Target->Perform(Callback, Id, Up);
}

TQtTrayLayer::~TQtTrayLayer()
{
    Release(FTray);
    Release(FRemoved);
}

bool TQtTrayLayer::Add(const TNotifyIconData& Data)
{
    if (!FTray.isNull() || !QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    FTray = FRemoved.isNull() ? new QSystemTrayIcon() : FRemoved.data();
    FTray->setProperty(RemovedProperty, false);
    FRemoved = nullptr;
    Connect(Data);
    // Set before the icon shows, so that the host finds the menu when the item registers. Under an
    // XEmbed tray Qt would open a context menu itself, beside the component's.
    if (StatusNotifierHost()) {
        QMenu* Exported = FTray->contextMenu();
        const bool Fresh = Exported == nullptr;
        if (Fresh) {
            Exported = new QMenu;
            // Qt's exported menu refers to it until the icon is gone.
            QObject::connect(FTray, &QObject::destroyed, Exported, &QObject::deleteLater);
        }
        ExportMenu(*Exported);
        if (Fresh)
            FTray->setContextMenu(Exported);
    }
    Apply(Data);
    FTray->show();
    return true;
}

void TQtTrayLayer::Connect(const TNotifyIconData& Data)
{
    // A host's requests (Activate, ContextMenu) are calls that it waits on: the component's menu,
    // which runs a loop of its own, opens after the answer.
    const Qt::ConnectionType Delivery = StatusNotifierHost() ? Qt::QueuedConnection : Qt::AutoConnection;
    if ((Data.uFlags & NIF_MESSAGE) != 0 && Data.hWnd != nullptr) {
        // Captures no pointer to this layer: a handler may delete the component, and with it the
        // layer, while the activation is delivered. The window is the connection's context, so
        // the connection ends with it.
        TTrayWindow* Window = Data.hWnd;
        const unsigned Callback = Data.uCallbackMessage;
        const std::uintptr_t Id = Data.uID;
        QObject::connect(
            FTray, &QSystemTrayIcon::activated, Data.hWnd,
            [Window, Callback, Id](QSystemTrayIcon::ActivationReason Reason) {
                SendActivation(Window, Callback, Id, Reason);
            },
            Delivery);
        QObject::connect(
            FTray, &QSystemTrayIcon::messageClicked, Data.hWnd,
            [Window, Callback, Id] { Window->Perform(Callback, Id, NIN_BALLOONUSERCLICK); }, Delivery);
    }
}

bool TQtTrayLayer::Modify(const TNotifyIconData& Data)
{
    if (FTray.isNull())
        return false;
    Apply(Data);
    return true;
}

bool TQtTrayLayer::Delete(const TNotifyIconData&)
{
    if (FTray.isNull())
        return false;
    // The icon reports nothing from now on, but leaves the tray only once control is back in the
    // event loop: the component deletes and adds its icon in one go when it shows it anew, and a
    // tray host would see the item vanish and register again.
    QObject::disconnect(FTray, &QSystemTrayIcon::activated, nullptr, nullptr);
    QObject::disconnect(FTray, &QSystemTrayIcon::messageClicked, nullptr, nullptr);
    Release(FRemoved);
    FRemoved = FTray;
    FTray = nullptr;
    QSystemTrayIcon* Removed = FRemoved;
    Removed->setProperty(RemovedProperty, true);
    QTimer::singleShot(0, Removed, [Removed] {
        if (Removed->property(RemovedProperty).toBool())
            Release(Removed);
    });
    return true;
}

std::optional<TFileVersion> TQtTrayLayer::ShellVersion()
{
    return TFileVersion{6, 0, 0, 0};
}

QPoint TQtTrayLayer::CursorPos()
{
    return QCursor::pos();
}

bool TQtTrayLayer::KeyDown(int VirtualKey)
{
    const Qt::KeyboardModifiers Keys = QGuiApplication::queryKeyboardModifiers();
    switch (VirtualKey) {
    case VK_SHIFT:
        return Keys.testFlag(Qt::ShiftModifier);
    case VK_CONTROL:
        return Keys.testFlag(Qt::ControlModifier);
    case VK_MENU:
        return Keys.testFlag(Qt::AltModifier);
    default:
        return false;
    }
}

bool TTrayLayer::ShowMessage(const TNotifyIconData&, const QString&, const QString&)
{
    return false;
}

void TTrayLayer::SetMenu(TPopupMenu*) {}

void TQtTrayLayer::SetMenu(TPopupMenu* Menu)
{
    FMenu = Menu;
}

// The host's copy of the menu: the same items, kept in step with the component's, and choosing one
// does what choosing it in the component's own menu does (the action, then the item's OnClick).
void TQtTrayLayer::ExportMenu(QMenu& Exported)
{
    Exported.clear();
    if (FMenu.isNull())
        return;
    for (int I = 0; I < FMenu->Count(); ++I) {
        TMenuItem* Item = FMenu->Items(I);
        if (Item->IsSeparator()) {
            Exported.addSeparator();
            continue;
        }
        QAction* Source = Item->Action();
        QAction* Copy = Exported.addAction(Source->text());
        const auto Follow = [Source, Copy] {
            Copy->setText(Source->text());
            Copy->setEnabled(Source->isEnabled());
            Copy->setVisible(Source->isVisible());
            Copy->setCheckable(Source->isCheckable());
            Copy->setChecked(Source->isChecked());
        };
        Follow();
        QObject::connect(Source, &QAction::changed, Copy, Follow);
        QObject::connect(Source, &QAction::toggled, Copy, Follow);
        QObject::connect(Copy, &QAction::triggered, Item, [Item, Source] {
            TApplication::Guarded([&] {
                const QPointer<TMenuItem> Alive(Item);
                Source->trigger();
                if (!Alive.isNull())
                    Item->Click();
            });
        });
    }
}

bool TQtTrayLayer::ShowMessage(const TNotifyIconData&, const QString& Title, const QString& Text)
{
    if (FTray.isNull() || !QSystemTrayIcon::supportsMessages())
        return false;
    FTray->showMessage(Title, Text);
    return true;
}

void TQtTrayLayer::Apply(const TNotifyIconData& Data)
{
    if ((Data.uFlags & NIF_ICON) != 0)
        FTray->setIcon(QIcon(QPixmap::fromImage(Data.hIcon)));
    if ((Data.uFlags & NIF_TIP) != 0)
        FTray->setToolTip(Data.szTip);
}

void TQtTrayLayer::Release(QSystemTrayIcon* Icon)
{
    if (Icon == nullptr)
        return;
    Icon->hide();
    // Deleting it at once would pull it from under its own activated signal when a handler of a
    // tray message removes the icon.
    Icon->deleteLater();
}
