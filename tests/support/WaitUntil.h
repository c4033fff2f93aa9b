// WaitUntil: runs the event loop until a condition holds or a deadline passes; ProcessEventsFor:
// runs it for a while. A ticking timer bounds every sleep for the next event.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <functional>

inline bool WaitUntil(const std::function<bool()>& Condition, int Seconds = 30)
{
    const QDeadlineTimer Deadline(Seconds * 1000);
    QTimer Tick;
    Tick.start(10);
    while (!Condition()) {
        if (Deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

inline void ProcessEventsFor(int Milliseconds)
{
    const QDeadlineTimer Deadline(Milliseconds);
    WaitUntil([&] { return Deadline.hasExpired(); }, Milliseconds / 1000 + 1);
}
