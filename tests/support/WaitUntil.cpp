// Event-loop waiting for tests.
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

// Sleeps until the next event rather than polling, as the program's own loop does: a download hands
// each of its reads over to this thread and waits for it to be taken. The ticking timer bounds each
// sleep so that the condition and the deadline are looked at again.
bool WaitUntil(const std::function<bool()>& Condition, int Seconds)
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

void ProcessEventsFor(int Milliseconds)
{
    const QDeadlineTimer Deadline(Milliseconds);
    WaitUntil([&] { return Deadline.hasExpired(); }, Milliseconds / 1000 + 1);
}
