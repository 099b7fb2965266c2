#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class TThreadedObject;

// Owns the threaded objects handed over for background use and frees each one
// once its result step is done. Destroying the manager aborts every object and
// returns only after all of them have ended and been freed.
class TThreadedObjectsManager
{
public:
    TThreadedObjectsManager();
    ~TThreadedObjectsManager();
    TThreadedObjectsManager(const TThreadedObjectsManager &) = delete;
    TThreadedObjectsManager &operator=(const TThreadedObjectsManager &) = delete;

    void Add(TThreadedObject *AThreadedObject);
    bool IsTerminating() const { return FIsTerminating; }
    std::size_t Count();

private:
    void Reap();
    void AbortThreadedObjects();

    std::mutex FListLock;
    std::vector<TThreadedObject *> FThreadObjectsList;
    std::thread FThread;
    std::mutex FSleepLock;
    std::condition_variable FSleep;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FReaperEnded{false};
    std::atomic<bool> FIsTerminating{false};
};

// Created first in the normal start-up and freed last before the windows.
extern TThreadedObjectsManager *ThreadedObjectsManager;
