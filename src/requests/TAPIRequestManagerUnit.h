#pragma once

#include "requests/TAPIRequestInvokerUnit.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TAPIRequest;

// What a caller hands to a manager: the request, the invoker family that runs
// it, and the callbacks (on the interface thread, the invoker as sender).
class TAPIRequestData : public TObject
{
public:
    TAPIRequestData(TAPIRequestInvokerClass ARequestInvokerClass, std::unique_ptr<TAPIRequest> ARequest,
        TNotifyEvent AOnRequestStart, TNotifyEvent AOnRequestResult);
    ~TAPIRequestData() override;

    std::unique_ptr<TAPIRequest> APIRequest;
    TAPIRequestInvokerClass RequestInvokerClass;
    TNotifyEvent OnRequestStart;
    TNotifyEvent OnRequestResult;
};

// States of a queue entry, as bits of a set; a manager with more states
// numbers them from rsFirstCustomState on.
enum TAPIRequestState : unsigned { rsPending, rsRunning, rsFinished, rsFirstCustomState };
using TAPIRequestStates = std::uint32_t;
constexpr TAPIRequestStates StateSet(unsigned State)
{
    return TAPIRequestStates(1) << State;
}

// One queue entry.
class TAPIRequestManagerData : public TObject
{
public:
    TAPIRequestManagerData(std::uint32_t AOperationID, std::unique_ptr<TAPIRequestData> AData);

    std::uint32_t OperationID;
    std::unique_ptr<TAPIRequestData> Data;
    // The ID of the invoker running this entry; 0 until it starts.
    std::uint32_t RequestInvokerID = 0;
    TAPIRequestStates State = StateSet(rsPending);
};

// A queue of API requests served by one worker thread. Each pass (every
// 100 ms while the queue holds anything; the worker sleeps while it is empty)
// starts at most one waiting request, and never sooner than the interval
// after the last start; several may run at once. Queueing under an
// operation identifier supersedes whatever is queued or running under it,
// whose result is then never delivered. Results come back on the interface
// thread while the queue's re-entrant lock is held, so a result callback may
// queue again.
//
// A concrete manager calls StartThread at the end of its constructor and
// StopThread in its destructor: the worker runs a virtual operation, so it must
// end before the object loses its type. The
// program stops every worker (StopThread) before it frees the threaded-objects
// manager; a request the worker would start after that is refused.
class TAPIRequestManager : public TObject
{
public:
    explicit TAPIRequestManager(std::uint32_t ARequestsInterval);
    ~TAPIRequestManager() override;
    TAPIRequestManager(const TAPIRequestManager &) = delete;
    TAPIRequestManager &operator=(const TAPIRequestManager &) = delete;

    // The manager takes AData.
    void Add(std::uint32_t OperationID, std::unique_ptr<TAPIRequestData> AData);
    // Drops what is queued or running under OperationID; no result of it is
    // delivered after this (a caller that goes calls it first).
    void Delete(std::uint32_t OperationID);
    void Reset();
    // Asks the worker to end and waits for it, neither for the interval nor for
    // running requests. On the interface thread it serves synchronized calls
    // while it waits.
    void StopThread();

    // Set both before queueing. Both are queued calls on the interface
    // thread, the start's queued before its invoker starts, so that a busy
    // count driven by them sees every start before its end and never goes
    // below zero, even when the result arrives while the interface thread
    // waits.
    void SetOnRequestStart(TNotifyEvent Event) { FOnRequestStart = std::move(Event); }
    // After every finished invoker.
    void SetOnRequestEnd(TNotifyEvent Event) { FOnRequestEnd = std::move(Event); }

protected:
    void StartThread();
    bool Terminated() const { return FTerminated; }
    // Sleeps one pass interval, or while the queue is empty until Add; either
    // way no longer than until StopThread.
    void AwaitNextPass();
    // Runs Call on the interface thread later, unless the manager is gone by then.
    void QueueCall(std::function<void()> Call) const;
    // Queues OnRequestEnd.
    void RaiseRequestEnd();

    virtual void ProcessRequests();
    virtual void DoAdd(std::uint32_t OperationID, std::unique_ptr<TAPIRequestData> AData);
    virtual void DoReset();
    // Sender is the finished invoker.
    virtual void DoRequestEnd(TObject *Sender);

    // An invoker for a clone of AData's request; the queued request stays as it is.
    std::unique_ptr<TAPIRequestInvoker> CreateInvoker(const TAPIRequestData &AData);
    // Starts Entry's invoker in the background; call with the lock held.
    void StartEntry(TAPIRequestManagerData &Entry);
    static std::uint64_t TickCount();
    // How long the worker sleeps between passes.
    static constexpr int PassInterval = 100;

    std::uint32_t FRequestsInterval;
    std::uint64_t FLastTaskExecutionTime = 0;
    std::recursive_mutex FLock;
    std::vector<std::unique_ptr<TAPIRequestManagerData>> FRequests;
    TNotifyEvent FOnRequestStart;
    TNotifyEvent FOnRequestEnd;

private:
    std::thread FThread;
    std::mutex FSleepLock;
    std::condition_variable FSleep;
    std::atomic<bool> FTerminated {false};
    bool FAdded = false; // under FSleepLock
    std::atomic<bool> FWorkerEnded {false};
    // Lets a result that arrives after the manager is gone find no manager.
    std::shared_ptr<TAPIRequestManager *> FSelf;
};
