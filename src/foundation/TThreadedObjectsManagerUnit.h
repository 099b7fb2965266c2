#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class TThreadedObject;

// Owns the threaded objects handed over for background use and frees each one
// once its result step is done. Destroying the manager aborts every object and
// returns only after all of them have ended and been freed.
//
// The framework reaches the manager that currently lives through Adopt, never
// through a plain pointer: from the moment the manager's destruction begins,
// work handed over is refused, so a thread that starts work late (a queue
// worker still running at shut-down) cannot reach a freed manager. Stop such
// workers before freeing the manager all the same; what they start after it
// is freed unrun.
class TThreadedObjectsManager
{
public:
    TThreadedObjectsManager();
    ~TThreadedObjectsManager();
    TThreadedObjectsManager(const TThreadedObjectsManager &) = delete;
    TThreadedObjectsManager &operator=(const TThreadedObjectsManager &) = delete;

    bool IsTerminating() const { return FIsTerminating; }
    std::size_t Count();

    // Hands the object to the living manager; false when there is none or it
    // is being destroyed, and the caller still owns the object.
    static bool Adopt(TThreadedObject *AThreadedObject);
    // True while the living manager is being destroyed: results are skipped.
    static bool IsShuttingDown();
    // Asks the living manager to finish an adopted object that got no thread
    // of its own: the reaper delivers its result step.
    static void FinishWithoutThread(TThreadedObject *AThreadedObject);
    // Aborts the adopted object with that ID while the living manager still
    // holds it; nothing when it has been freed or there is no manager.
    static void Abort(std::uint32_t ThreadedObjectID);

    // Makes the thread of a threaded object. Replaceable, so that tests can
    // see how work fails when no thread can be made (which cannot be forced
    // otherwise, for instance as root); an empty factory restores the normal one.
    using TThreadFactory = std::function<std::thread(std::function<void()> Body)>;
    static void SetThreadFactory(TThreadFactory Factory);
    static std::thread CreateThread(std::function<void()> Body);

private:
    friend class TThreadedObject;

    // Tells the living manager's reaper that an adopted object changed: it
    // was handed over, finished or got no thread.
    static void WakeReaper();
    void Add(TThreadedObject *AThreadedObject);
    void Reap();
    void AbortThreadedObjects();
    void Wake();

    std::mutex FListLock;
    std::vector<TThreadedObject *> FThreadObjectsList;
    std::thread FThread;
    std::mutex FSleepLock;
    std::condition_variable FSleep;
    bool FWakeUp = false;
    std::atomic<bool> FTerminated {false};
    std::atomic<bool> FReaperEnded {false};
    std::atomic<bool> FIsTerminating {false};
};

// The program's handle on the one manager: created first in the normal
// start-up and freed last before the windows. The framework itself does not
// read it (see Adopt).
extern TThreadedObjectsManager *ThreadedObjectsManager;
