// The hidden window stand-in and the tray layer over QSystemTrayIcon.
#include "TrayLayer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

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
    Release();
}

bool TQtTrayLayer::Add(const TNotifyIconData& Data)
{
    if (!FTray.isNull() || !QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    FTray = new QSystemTrayIcon();
    if ((Data.uFlags & NIF_MESSAGE) != 0 && Data.hWnd != nullptr) {
        // Captures no pointer to this layer: a handler may delete the component, and with it the
        // layer, while the activation is delivered. The window is the connection's context, so
        // the connection ends with it.
        TTrayWindow* Window = Data.hWnd;
        const unsigned Callback = Data.uCallbackMessage;
        const std::uintptr_t Id = Data.uID;
        QObject::connect(FTray, &QSystemTrayIcon::activated, Data.hWnd,
                         [Window, Callback, Id](QSystemTrayIcon::ActivationReason Reason) {
                             SendActivation(Window, Callback, Id, Reason);
                         });
        QObject::connect(FTray, &QSystemTrayIcon::messageClicked, Data.hWnd,
                         [Window, Callback, Id] { Window->Perform(Callback, Id, NIN_BALLOONUSERCLICK); });
    }
    Apply(Data);
    FTray->show();
    return true;
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
    Release();
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

void TQtTrayLayer::Release()
{
    if (FTray.isNull())
        return;
    FTray->hide();
    // Deleting it at once would pull it from under its own activated signal when a handler of a
    // tray message removes the icon.
    FTray->deleteLater();
    FTray = nullptr;
}
