#include "foundation/InterfaceThreadUnit.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

namespace InterfaceThread {
namespace {

struct TPendingCall
{
    std::function<void()> Call;
    bool Done = false;
};

std::mutex GLock;
std::condition_variable GCallDone; // a worker waits here for its call
std::condition_variable GWake; // the interface thread waits here
std::deque<std::shared_ptr<TPendingCall>> GPending;

// Queued calls travel through our own lock; Qt's event queue carries only the
// wake-up. Qt's own locks are invisible to the thread sanitizer, so a call
// handed over through them alone would look like a race.
std::mutex GQueuedLock;

// Emptied under its lock at exit: a detached worker (the update check) may
// have queued the last call, and the end must not read the queue behind the
// lock's back.
struct TQueuedCalls : std::deque<std::function<void()>>
{
    ~TQueuedCalls()
    {
        std::lock_guard guard(GQueuedLock);
        clear();
    }
};
TQueuedCalls GQueued;

void RunQueued()
{
    std::function<void()> call;
    {
        std::lock_guard guard(GQueuedLock);
        if (GQueued.empty())
            return;
        call = std::move(GQueued.front());
        GQueued.pop_front();
    }
    call();
}

QObject *Context()
{
    return QCoreApplication::instance();
}

// The sanitizer's stack holds, for each of our functions entered, the place
// it was called from; Qt's own code adds nothing. So PostWakeUp shows in a
// stack only through a function of ours that it calls: this one.
[[gnu::noinline]] void Post(QObject *Target, void (*Handler)())
{
    QMetaObject::invokeMethod(Target, Handler, Qt::QueuedConnection);
}

// Has Handler run on the interface thread. Qt's posted-event queue is guarded
// by a futex-based lock the thread sanitizer cannot see, so every wake-up goes
// through this one frame, which the sanitizer's suppressions name.
[[gnu::noinline]] void PostWakeUp(QObject *Target, void (*Handler)())
{
    Post(Target, Handler);
    // Keeps the call out of tail position, so this frame stays on the stack.
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

} // namespace

bool IsCurrent()
{
    auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void Synchronize(const std::function<void()> &Call)
{
    if (IsCurrent() || !Context()) {
        Call();
        return;
    }
    auto pending = std::make_shared<TPendingCall>();
    pending->Call = Call;
    {
        std::lock_guard guard(GLock);
        GPending.push_back(pending);
    }
    GWake.notify_all();
    PostWakeUp(Context(), [] { CheckSynchronize(); });

    std::unique_lock lock(GLock);
    GCallDone.wait(lock, [&] { return pending->Done; });
}

void Queue(std::function<void()> Call)
{
    auto *context = Context();
    if (!context)
        return;
    {
        std::lock_guard guard(GQueuedLock);
        GQueued.push_back(std::move(Call));
    }
    // One wake-up per call, so the calls run one per event, in order.
    PostWakeUp(context, [] { RunQueued(); });
}

void CheckSynchronize()
{
    for (;;) {
        std::shared_ptr<TPendingCall> pending;
        {
            std::lock_guard guard(GLock);
            if (GPending.empty())
                return;
            pending = GPending.front();
            GPending.pop_front();
        }
        try {
            pending->Call();
        } catch (...) {
            // The error is the interface's, not the worker's: raise it again
            // from the event loop, where the application shows it.
            Queue([error = std::current_exception()] { std::rethrow_exception(error); });
        }
        {
            std::lock_guard guard(GLock);
            pending->Done = true;
        }
        GCallDone.notify_all();
    }
}

void WaitUntil(const std::function<bool()> &Done)
{
    const bool serve = IsCurrent();
    for (;;) {
        if (serve)
            CheckSynchronize();
        std::unique_lock lock(GLock);
        if (Done())
            return;
        // The timeout covers a Done that turns true without a wake-up.
        GWake.wait_for(lock, std::chrono::milliseconds(10), [&] { return (serve && !GPending.empty()) || Done(); });
    }
}

void WakeWaiters()
{
    {
        std::lock_guard guard(GLock);
    }
    GWake.notify_all();
}

} // namespace InterfaceThread
