#pragma once

#include <functional>

// Calls into the user-interface thread (the thread of the Qt application
// object) from background threads.
namespace InterfaceThread {

bool IsCurrent();

// Runs Call on the interface thread and waits for it; runs it at once when
// already there. An exception thrown by Call from a worker's request is raised
// again from the interface thread's event loop; the worker goes on.
void Synchronize(const std::function<void()> &Call);

// Runs Call on the interface thread later, without waiting; what it throws
// goes to the application object's event handling.
void Queue(std::function<void()> Call);

// Runs the synchronized calls waiting for the interface thread. Waiting on the
// interface thread must keep doing this, or a worker blocked in Synchronize
// would never finish.
void CheckSynchronize();

// On the interface thread: waits until Done() holds, serving synchronized calls
// meanwhile. Elsewhere: plain waiting. Call WakeWaiters() when Done may have
// become true.
void WaitUntil(const std::function<bool()> &Done);
void WakeWaiters();

} // namespace InterfaceThread
