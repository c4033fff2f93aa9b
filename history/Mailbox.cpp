// The mailbox's queue: one wake-up event a piece of work, each taking the oldest.
#include "Mailbox.h"

#include <QCoreApplication>
#include <QEvent>

namespace {
const QEvent::Type WorkEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
}

void TMailbox::Post(std::function<void()> Work)
{
    {
        std::lock_guard Guard(FLock);
        FWork.push_back(std::move(Work));
    }
    QCoreApplication::postEvent(this, new QEvent(WorkEvent));
}

bool TMailbox::event(QEvent* Event)
{
    if (Event->type() != WorkEvent)
        return QObject::event(Event);
    std::function<void()> Work;
    {
        std::lock_guard Guard(FLock);
        if (FWork.empty())
            return true;
        Work = std::move(FWork.front());
        FWork.pop_front();
    }
    Work();
    return true;
}
