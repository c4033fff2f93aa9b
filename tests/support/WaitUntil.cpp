// Event-loop waiting for tests.
#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

bool WaitUntil(const std::function<bool()>& Condition, int Seconds)
{
    QDeadlineTimer Deadline(Seconds * 1000);
    while (!Condition()) {
        if (Deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void ProcessEventsFor(int Milliseconds)
{
    QDeadlineTimer Deadline(Milliseconds);
    while (!Deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}
