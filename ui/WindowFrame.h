// TWindowFrame: the main window's outer frame. It sets outer sizes (the window manager's decorations
// included), keeps the size limits of a fixed or sizeable border, and keeps the outer size when the
// window manager frames the window late or anew.
#pragma once

#include <QDeadlineTimer>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <optional>

class QWidget;

class TWindowFrame : public QObject
{
    Q_OBJECT
public:
    // Window's outer size stays at Smallest at least while its border is sizeable.
    TWindowFrame(QWidget* Window, QSize Smallest);

    // Outer size: the frame including the window manager's decorations, where there are any.
    int OuterWidth() const;
    int OuterHeight() const;
    void SetOuterWidth(int Width);
    void SetOuterHeight(int Height);

    // A fixed border keeps the window at its size; a sizeable one adds the maximize box.
    void SetSizeable(bool Sizeable);

    // True under Wayland: the compositor places windows itself, keeps none on top at a program's
    // asking, and frames a window (client-side decorations) as soon as it is shown.
    static bool PlacedByCompositor();

    // The window's native events: a changed frame is followed once Qt has read it.
    void NativeEvent(const QByteArray& EventType, void* Message);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QMargins FrameMargins() const;
    void FollowFrame();
    void HandOnFrame();
    void ApplySizeLimits();

    QWidget* Window;
    QSize Smallest;
    bool Sizeable = true;
    // The window manager's frame as it was when the outer size was last set; none before framing.
    QMargins AppliedMargins;
    // Where the frame stays while the window manager frames the window anew after a change of
    // border, until KeepFrameUntil.
    std::optional<QPoint> KeptFramePosition;
    QDeadlineTimer KeepFrameUntil;
    static constexpr int FrameSettleTime = 3000; // ms
};
