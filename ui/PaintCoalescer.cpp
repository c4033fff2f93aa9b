// Coalescing a window's update requests to one paint per interval.
#include "PaintCoalescer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

TPaintCoalescer::TPaintCoalescer(QWidget* Window, std::chrono::milliseconds Interval)
    : QObject(Window), Window(Window), Interval(Interval)
{
    Deferred.setSingleShot(true);
    connect(&Deferred, &QTimer::timeout, this, &TPaintCoalescer::PaintNow);
    Window->installEventFilter(this);
}

// An update request within the interval after the last paint is held back; the painting it asks
// for is kept by the window and done by one request when the interval is over. Paints that the
// window system asks for (exposure) do not come this way and are never delayed.
bool TPaintCoalescer::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != Window || Event->type() != QEvent::UpdateRequest)
        return false;
    if (Deferred.isActive())
        return true;
    const auto Elapsed =
        std::chrono::milliseconds(SinceLastPaint.isValid() ? SinceLastPaint.elapsed() : Interval.count());
    if (Elapsed < Interval) {
        Deferred.start(Interval - Elapsed);
        return true;
    }
    SinceLastPaint.start();
    return false;
}

void TPaintCoalescer::PaintNow()
{
    SinceLastPaint.invalidate();
    QEvent Request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(Window, &Request);
}
