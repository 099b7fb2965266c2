#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

// One piece of background work run once on a thread of its own. The start and
// result callbacks run on the interface thread while the worker waits.
//
// Two ways of use: Start(true) runs and waits, and the caller frees the object;
// Start(false) or Start(ResultCallback) hands the object to the global
// threaded-objects manager, which frees it after the result step. Once that
// manager is gone or going, a hand-over is refused and the object is freed at
// once without running; the caller never touches it after Start either way
// (to stop it later, it keeps the ID: TThreadedObjectsManager::Abort).
//
// When no thread can be made the work does not run at all (running it on the
// caller could deadlock a caller that holds a lock a result callback needs):
// the object records the failure through ExecuteFailed and ends as usual,
// without a start notification. Its result step then runs on the caller in
// synchronous use and on the manager's reaper in background use.
class TThreadedObject : public TObject
{
public:
    TThreadedObject();
    ~TThreadedObject() override;
    TThreadedObject(const TThreadedObject &) = delete;
    TThreadedObject &operator=(const TThreadedObject &) = delete;

    // Both return false only when a hand-over was refused, the object then
    // being freed already: a caller that keeps a pointer to it must drop it.
    bool Start(bool WaitFor);
    bool Start(TNotifyEvent ResultCallback);
    // For the owner only: waits until the thread has ended.
    void WaitFor();
    void Abort() { FIsAborted = true; }

    // Unique for the whole run and never 0, so 0 can mean "no object".
    std::uint32_t ID() const { return FID; }
    bool IsUsed() const { return FIsUsed; }
    bool IsAborted() const { return FIsAborted; }

    void SetStartCallback(TNotifyEvent Callback) { FStartCallback = std::move(Callback); }
    void SetResultCallback(TNotifyEvent Callback) { FResultCallback = std::move(Callback); }

protected:
    // The work. Descendants catch their own failures and report them in their
    // result fields; anything that still escapes is caught by the framework.
    virtual void Execute() = 0;
    // Called when the work could not end normally (Execute let an error
    // escape, or there was no thread to run it on), before the result step:
    // the place for a family to record it as a failure.
    virtual void ExecuteFailed(const QString &Message) { (void)Message; }

private:
    friend class TThreadedObjectsManager;

    bool HandOver();
    bool LaunchThread();
    void RunThread();
    void RunResultStep();

    std::thread FThread;
    TNotifyEvent FStartCallback;
    TNotifyEvent FResultCallback;
    std::uint32_t FID;
    std::atomic<bool> FIsUsed {false};
    std::atomic<bool> FIsAborted {false};
    std::atomic<bool> FIsFinished {false};
    // Set for an adopted object that got no thread; the reaper runs its result step.
    std::atomic<bool> FIsWithoutThread {false};
    // Set when Start has stopped touching an adopted object: before that the
    // reaper may not free it, however quickly its work ended.
    std::atomic<bool> FIsHandedOver {false};
};
