// TMailbox: work handed to the thread that an object lives on. The work waits in a queue under a
// lock of the program's own, and Qt's event queue only wakes the receiver, so that the hand-over is
// visible to ThreadSanitizer, which cannot see into Qt's locks.
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

class TMailbox : public QObject
{
public:
    using QObject::QObject;

    // Runs Work on the mailbox's thread after all work posted before it. Safe from any thread.
    void Post(std::function<void()> Work);

protected:
    bool event(QEvent* Event) override;

private:
    std::mutex FLock;
    std::deque<std::function<void()>> FWork;
};
