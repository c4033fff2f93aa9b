// The main window's outer frame: outer sizes, size limits and the window manager's late frames.
#include "WindowFrame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>

TWindowFrame::TWindowFrame(QWidget* Window, QSize Smallest)
    : QObject(Window), Window(Window), Smallest(Smallest)
{
    Window->installEventFilter(this);
}

// The window manager's decorations around the client area; none before the window is framed.
QMargins TWindowFrame::FrameMargins() const
{
    const QRect Outer = Window->frameGeometry();
    const QRect Client = Window->geometry();
    return {Client.left() - Outer.left(), Client.top() - Outer.top(), Outer.right() - Client.right(),
            Outer.bottom() - Client.bottom()};
}

// Sizes are set as outer sizes with the frame known at the time. A window manager frames the window
// later, and frames it anew when its border changes (a sizeable window gets a grip): the outer size
// then stays what it was, and the client area gives way.
void TWindowFrame::FollowFrame()
{
    const QMargins Margins = FrameMargins();
    if (Margins.isNull())
        return;
    // A window placed while it has no frame is placed by its client area, and the window manager
    // may frame it more than once after a change of border: for a short while the frame is put
    // back wherever it arrives.
    if (KeptFramePosition && KeepFrameUntil.hasExpired())
        KeptFramePosition.reset();
    if (KeptFramePosition && Window->pos() != *KeptFramePosition)
        Window->move(*KeptFramePosition);
    if (Margins == AppliedMargins)
        return;
    const QSize Outer = Window->size().grownBy(AppliedMargins);
    SetOuterHeight(Outer.height());
    SetOuterWidth(Outer.width());
}

int TWindowFrame::OuterWidth() const
{
    return Window->frameGeometry().width();
}

int TWindowFrame::OuterHeight() const
{
    return Window->frameGeometry().height();
}

void TWindowFrame::SetOuterWidth(int Width)
{
    Window->setMinimumWidth(0);
    Window->setMaximumWidth(QWIDGETSIZE_MAX);
    AppliedMargins = FrameMargins();
    Window->resize(Width - (OuterWidth() - Window->width()), Window->height());
    ApplySizeLimits();
}

void TWindowFrame::SetOuterHeight(int Height)
{
    Window->setMinimumHeight(0);
    Window->setMaximumHeight(QWIDGETSIZE_MAX);
    AppliedMargins = FrameMargins();
    Window->resize(Window->width(), Height - (OuterHeight() - Window->height()));
    ApplySizeLimits();
}

void TWindowFrame::ApplySizeLimits()
{
    if (!Sizeable) {
        Window->setFixedSize(Window->size());
        return;
    }
    Window->setMinimumSize(Smallest.width() - (OuterWidth() - Window->width()),
                           Smallest.height() - (OuterHeight() - Window->height()));
    Window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void TWindowFrame::SetSizeable(bool Value)
{
    Sizeable = Value;
    Qt::WindowFlags Flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                            Qt::WindowCloseButtonHint;
    Flags.setFlag(Qt::WindowMaximizeButtonHint, Value);
    Flags.setFlag(Qt::WindowStaysOnTopHint, Window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    if (Flags != Window->windowFlags()) {
        // Changing the flags of a shown window hides it, and the window system may place it anew
        // by its client area: the frame stays where it was.
        const bool Shown = Window->isVisible();
        const QPoint Position = Window->pos();
        Window->setWindowFlags(Flags);
        Window->move(Position);
        KeptFramePosition = Position;
        KeepFrameUntil.setRemainingTime(FrameSettleTime);
        // The frame of the new border may come without an event that tells of it: once it has
        // settled, it is handed on all the same.
        QTimer::singleShot(FrameSettleTime, this, &TWindowFrame::HandOnFrame);
        if (Shown)
            Window->show();
    }
    ApplySizeLimits();
}

bool TWindowFrame::PlacedByCompositor()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool TWindowFrame::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == Window && Event->type() == QEvent::Move)
        FollowFrame();
    // A compositor sends no move or property event when it frames the window.
    else if (Watched == Window && Event->type() == QEvent::Show && PlacedByCompositor())
        QMetaObject::invokeMethod(this, &TWindowFrame::FollowFrame, Qt::QueuedConnection);
    return QObject::eventFilter(Watched, Event);
}

// A window manager announces a new frame in a property of the window (_NET_FRAME_EXTENTS), often
// after the window's last move. Qt reads the frame anew once it has handled the event, so the check
// runs right after that.
void TWindowFrame::NativeEvent(const QByteArray& EventType, void* Message)
{
    if (EventType == "xcb_generic_event_t" &&
        (static_cast<const xcb_generic_event_t*>(Message)->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
        QMetaObject::invokeMethod(this, &TWindowFrame::HandOnFrame, Qt::QueuedConnection);
}

// Qt hands a new frame to the widget only with a move or resize of its window, and the frame of a
// new border may arrive with neither: a move in place hands it on, and FollowFrame keeps the outer
// size.
void TWindowFrame::HandOnFrame()
{
    if (QWindow* Handle = Window->windowHandle()) {
        QMoveEvent Move(Handle->position(), Handle->position());
        QCoreApplication::sendEvent(Handle, &Move);
    }
    FollowFrame();
}
