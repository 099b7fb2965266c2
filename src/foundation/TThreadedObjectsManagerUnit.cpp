#include "foundation/TThreadedObjectsManagerUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "foundation/TThreadedObjectUnit.h"

#include <algorithm>

TThreadedObjectsManager *ThreadedObjectsManager = nullptr;

namespace {
constexpr auto ReaperInterval = std::chrono::milliseconds(100);
}

TThreadedObjectsManager::TThreadedObjectsManager()
{
    FThread = std::thread([this] { Reap(); });
}

TThreadedObjectsManager::~TThreadedObjectsManager()
{
    FIsTerminating = true;
    FTerminated = true;
    AbortThreadedObjects();
    {
        std::lock_guard guard(FSleepLock);
    }
    FSleep.notify_all();
    // Workers may still need the interface thread for their start callbacks.
    InterfaceThread::WaitUntil([this] { return FReaperEnded.load(); });
    FThread.join();
}

void TThreadedObjectsManager::Add(TThreadedObject *AThreadedObject)
{
    std::lock_guard guard(FListLock);
    FThreadObjectsList.push_back(AThreadedObject);
}

std::size_t TThreadedObjectsManager::Count()
{
    std::lock_guard guard(FListLock);
    return FThreadObjectsList.size();
}

void TThreadedObjectsManager::AbortThreadedObjects()
{
    std::lock_guard guard(FListLock);
    for (auto *object : FThreadObjectsList)
        object->Abort();
}

void TThreadedObjectsManager::Reap()
{
    for (;;) {
        std::vector<TThreadedObject *> finished;
        bool wasEmpty;
        {
            std::lock_guard guard(FListLock);
            wasEmpty = FThreadObjectsList.empty();
            auto used = std::stable_partition(FThreadObjectsList.begin(), FThreadObjectsList.end(),
                                              [](TThreadedObject *object) { return !object->IsUsed(); });
            finished.assign(used, FThreadObjectsList.end());
            FThreadObjectsList.erase(used, FThreadObjectsList.end());
        }
        // Freed outside the lock: a destructor may hand new work to the manager.
        for (auto *object : finished)
            delete object;
        if (FTerminated && wasEmpty)
            break;
        std::unique_lock lock(FSleepLock);
        FSleep.wait_for(lock, ReaperInterval);
    }
    FReaperEnded = true;
    InterfaceThread::WakeWaiters();
}
