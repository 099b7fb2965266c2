#pragma once

#include "foundation/BaseTypesUnit.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TVKEmulationRequest;

// A queued request with its callbacks. OnRequestResult is called on the
// interface thread with the finished task as sender; OnRequestStart is kept
// for callers but this queue never raises it.
class TVKEmulationRequestData : public TObject
{
public:
    TVKEmulationRequestData(
        std::unique_ptr<TVKEmulationRequest> ARequest, TNotifyEvent AOnRequestStart, TNotifyEvent AOnRequestResult);
    ~TVKEmulationRequestData() override;

    // Moves to the task when the entry starts.
    std::unique_ptr<TVKEmulationRequest> Request;
    TNotifyEvent OnRequestStart;
    TNotifyEvent OnRequestResult;
};

using TVKEmulationRequestStateSet = unsigned;

class TVKEmulationRequestManagerData : public TObject
{
public:
    TVKEmulationRequestManagerData(
        std::uint32_t AOperationID, std::unique_ptr<TVKEmulationRequestData> AData, TVKEmulationRequestStateSet AState);

    std::uint32_t OperationID;
    std::unique_ptr<TVKEmulationRequestData> Data;
    // The running task's ID; 0 before it starts.
    std::uint32_t RequestTaskID = 0;
    TVKEmulationRequestStateSet State;
};

// The web client's queue of audio requests, served by one worker thread: at
// most one start per pass, never sooner than the interval after the last
// start, in queue order. Queueing under an operation identifier removes
// whatever is queued or running under it; a removed entry's result is never
// delivered. Results come back on the interface thread with the queue's
// re-entrant lock held, so a callback may queue again. The worker sleeps
// while nothing waits.
class TVKEmulationRequestManager : public TObject
{
public:
    explicit TVKEmulationRequestManager(std::uint32_t ARequestsInterval);
    ~TVKEmulationRequestManager() override;
    TVKEmulationRequestManager(const TVKEmulationRequestManager &) = delete;
    TVKEmulationRequestManager &operator=(const TVKEmulationRequestManager &) = delete;

    void Add(std::uint32_t AOperationID, std::unique_ptr<TVKEmulationRequestData> AData);
    void Delete(std::uint32_t AOperationID);
    void Reset();
    // Ends the worker and waits for it; nothing starts afterwards. Called at
    // shut-down before the threaded-objects manager goes.
    void StopThread();

    // Set both before queueing. Both are queued calls on the interface
    // thread, the start's queued before its task starts, so that a busy count
    // driven by them sees every start before its end, also for a task whose
    // entry was replaced or that was refused a thread.
    void SetOnRequestStart(TNotifyEvent Event) { FOnRequestStart = std::move(Event); }
    // After every finished task.
    void SetOnRequestEnd(TNotifyEvent Event) { FOnRequestEnd = std::move(Event); }

private:
    void ProcessRequests();
    void StartEntry(TVKEmulationRequestManagerData &Entry);
    void DoRequestEnd(TObject *Sender);
    // Runs Call on the interface thread later, unless the manager is gone by then.
    void QueueCall(std::function<void()> Call) const;
    void RaiseRequestEnd();

    std::uint32_t FRequestsInterval;
    std::chrono::steady_clock::time_point FLastTaskExecutionTime {};
    std::recursive_mutex FLock;
    std::vector<std::unique_ptr<TVKEmulationRequestManagerData>> FRequests;
    TNotifyEvent FOnRequestStart;
    TNotifyEvent FOnRequestEnd;
    std::mutex FWakeLock;
    std::condition_variable FWake;
    bool FTerminated = false;
    bool FChanged = false;
    std::thread FThread;
    // Lets a result arriving after the manager is gone find no manager.
    std::shared_ptr<TVKEmulationRequestManager *> FSelf;
};
