// The animation thread's loop.
#include "TimerThread.h"

#include "NtfyIcon.h"

#include <QMetaObject>
#include <chrono>

TTimerThread::TTimerThread(TNotificationIcon* Owner, bool CreateSuspended)
    : FOwner(Owner), FSuspended(CreateSuspended), FThread([this] { Execute(); })
{
}

TTimerThread::~TTimerThread()
{
    Terminate();
    if (FThread.joinable())
        FThread.join();
}

void TTimerThread::Resume()
{
    {
        const std::lock_guard Guard(FLock);
        FSuspended = false;
    }
    FWake.notify_all();
}

bool TTimerThread::Suspended() const
{
    const std::lock_guard Guard(FLock);
    return FSuspended;
}

void TTimerThread::Terminate()
{
    {
        const std::lock_guard Guard(FLock);
        FOwner = nullptr;
        FTerminated = true;
    }
    FWake.notify_all();
}

bool TTimerThread::TakeAdvance()
{
    bool Taken = false;
    {
        const std::lock_guard Guard(FLock);
        Taken = FAdvancePending;
        FAdvancePending = false;
    }
    FWake.notify_all();
    return Taken;
}

void TTimerThread::Execute()
{
    std::unique_lock Lock(FLock);
    const auto Stopped = [this] { return FTerminated || FOwner == nullptr; };
    for (;;) {
        FWake.wait(Lock, [&] { return Stopped() || !FSuspended; });
        if (Stopped())
            break;
        const std::chrono::milliseconds Interval(FOwner->Interval());
        if (FWake.wait_for(Lock, Interval, Stopped))
            break;
        // The advance runs on the user-interface thread, which owns the component, its frames and
        // the tray. It is posted under the lock that Terminate takes, so once Terminate has
        // returned no advance can follow. One still queued dies with the component, or finds
        // nothing to take, or at most takes the advance of the thread that replaced this one a
        // little early. It is posted by name and carries no data: what it needs is handed over
        // under this thread's lock, where ThreadSanitizer can see it, not through Qt's queue.
        FAdvancePending = true;
        QMetaObject::invokeMethod(FOwner, "TimerTick", Qt::QueuedConnection);
        // One advance at a time: with a zero Interval the queue would otherwise fill without end.
        FWake.wait(Lock, [&] { return Stopped() || !FAdvancePending; });
    }
}
