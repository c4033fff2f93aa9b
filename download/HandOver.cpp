// The blocking hand-over of a worker's step to the user-interface thread. The step travels as an
// event to an object of that thread; the worker waits on a condition variable of its own, so that
// the ordering of the two threads is visible to ThreadSanitizer, which cannot see into Qt's locks.
#include "HandOver.h"

#include <QCoreApplication>
#include <QEvent>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* Address);
extern "C" void __tsan_release(void* Address);
#else
static void __tsan_acquire(void*) {}
static void __tsan_release(void*) {}
#endif

namespace {
struct THandOver
{
    const std::function<void()>& Step;
    std::exception_ptr Error;
    std::mutex Lock;
    std::condition_variable Ended;
    std::atomic<bool> Done = false;
};

// A step takes microseconds. The worker watches for its end this long before it sleeps, which
// spares both threads a sleep and a wake-up in the kernel on every step.
constexpr std::chrono::microseconds WatchTime(50);

const QEvent::Type HandOverEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class THandOverEvent : public QEvent
{
public:
    explicit THandOverEvent(THandOver& Shared) : QEvent(HandOverEvent), Shared(Shared) {}
    THandOver& Shared;
};

class TReceiver : public QObject
{
protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() != HandOverEvent)
            return QObject::event(Event);
        // Qt's event queue orders the post before this, but through locks the sanitizer cannot see.
        __tsan_acquire(Event);
        THandOver& Shared = static_cast<THandOverEvent*>(Event)->Shared;
        try {
            Shared.Step();
        } catch (...) {
            Shared.Error = std::current_exception();
        }
        // Set and notified under the lock: the worker takes the lock before it returns, and then
        // Shared is gone.
        std::lock_guard Guard(Shared.Lock);
        Shared.Done = true;
        Shared.Ended.notify_one();
        return true;
    }
};

// Lives on the thread that first asks for it, the user-interface thread; kept to the end.
TReceiver* Receiver()
{
    static TReceiver* const Object = new TReceiver;
    return Object;
}
} // namespace

void PrepareHandOver()
{
    Receiver();
}

void HandOverToUserInterface(const std::function<void()>& Step)
{
    if (!QCoreApplication::instance())
        throw std::runtime_error("there is no user-interface thread to hand over to");
    THandOver Shared{Step};
    auto* Event = new THandOverEvent(Shared);
    __tsan_release(Event);
    QCoreApplication::postEvent(Receiver(), Event);
    for (const auto Until = std::chrono::steady_clock::now() + WatchTime;
         !Shared.Done && std::chrono::steady_clock::now() < Until;)
        std::this_thread::yield();
    std::unique_lock Guard(Shared.Lock);
    Shared.Ended.wait(Guard, [&] { return Shared.Done.load(); });
    if (Shared.Error)
        std::rethrow_exception(Shared.Error);
}
