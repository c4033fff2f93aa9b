// TTimerThread: the thread that paces a tray icon's animation. It waits the owner's Interval and
// then hands the frame advance to the user-interface thread, one advance at a time.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class TNotificationIcon;

class TTimerThread
{
public:
    // Starts the thread; a suspended one waits for Resume before its first interval.
    TTimerThread(TNotificationIcon* Owner, bool CreateSuspended);
    // Terminates the thread and waits for it, which takes no longer than a wake-up.
    ~TTimerThread();
    TTimerThread(const TTimerThread&) = delete;
    TTimerThread& operator=(const TTimerThread&) = delete;

    void Resume();
    bool Suspended() const;
    // Clears the owner and ends the loop. Once this returns, the thread posts nothing more.
    void Terminate();

    // Called on the user-interface thread for a posted advance: true when this thread has one
    // waiting, which is then taken and the next interval begins. An advance posted by a thread
    // since replaced finds nothing to take.
    bool TakeAdvance();

private:
    void Execute();

    mutable std::mutex FLock;
    std::condition_variable FWake;
    TNotificationIcon* FOwner;
    bool FSuspended;
    bool FTerminated = false;
    bool FAdvancePending = false;
    std::thread FThread;
};
