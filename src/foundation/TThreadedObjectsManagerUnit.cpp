#include "foundation/TThreadedObjectsManagerUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "foundation/TThreadedObjectUnit.h"

#include <algorithm>

TThreadedObjectsManager *ThreadedObjectsManager = nullptr;

namespace {

constexpr auto ReaperInterval = std::chrono::milliseconds(100);

// Guards which manager lives and whether it still takes work. Taken before a
// manager's list lock, never while waiting for anything.
std::mutex GCurrentLock;
TThreadedObjectsManager *GCurrent = nullptr;

std::mutex GFactoryLock;
TThreadedObjectsManager::TThreadFactory GThreadFactory;

} // namespace

TThreadedObjectsManager::TThreadedObjectsManager()
{
    FThread = std::thread([this] { Reap(); });
    std::lock_guard guard(GCurrentLock);
    GCurrent = this;
}

TThreadedObjectsManager::~TThreadedObjectsManager()
{
    {
        // From here on nothing new is handed over and results are skipped.
        std::lock_guard guard(GCurrentLock);
        FIsTerminating = true;
    }
    FTerminated = true;
    AbortThreadedObjects();
    Wake();
    // Workers may still need the interface thread for their start callbacks.
    InterfaceThread::WaitUntil([this] { return FReaperEnded.load(); });
    FThread.join();
    std::lock_guard guard(GCurrentLock);
    if (GCurrent == this)
        GCurrent = nullptr;
}

bool TThreadedObjectsManager::Adopt(TThreadedObject *AThreadedObject)
{
    std::lock_guard guard(GCurrentLock);
    if (!GCurrent || GCurrent->FIsTerminating)
        return false;
    GCurrent->Add(AThreadedObject);
    return true;
}

bool TThreadedObjectsManager::IsShuttingDown()
{
    std::lock_guard guard(GCurrentLock);
    return GCurrent && GCurrent->FIsTerminating;
}

void TThreadedObjectsManager::FinishWithoutThread(TThreadedObject *AThreadedObject)
{
    AThreadedObject->FIsWithoutThread = true;
    WakeReaper();
}

void TThreadedObjectsManager::WakeReaper()
{
    std::lock_guard guard(GCurrentLock);
    // A manager that adopted the object waits for it, so one lives here.
    if (GCurrent)
        GCurrent->Wake();
}

void TThreadedObjectsManager::Abort(std::uint32_t ThreadedObjectID)
{
    // The reaper takes an object off the list before it frees it, so one
    // found here under the list lock is still there.
    std::lock_guard guard(GCurrentLock);
    if (!GCurrent)
        return;
    std::lock_guard listGuard(GCurrent->FListLock);
    for (auto *object : GCurrent->FThreadObjectsList)
        if (object->ID() == ThreadedObjectID)
            object->Abort();
}

void TThreadedObjectsManager::SetThreadFactory(TThreadFactory Factory)
{
    std::lock_guard guard(GFactoryLock);
    GThreadFactory = std::move(Factory);
}

std::thread TThreadedObjectsManager::CreateThread(std::function<void()> Body)
{
    TThreadFactory factory;
    {
        std::lock_guard guard(GFactoryLock);
        factory = GThreadFactory;
    }
    return factory ? factory(std::move(Body)) : std::thread(std::move(Body));
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

void TThreadedObjectsManager::Wake()
{
    {
        std::lock_guard guard(FSleepLock);
        FWakeUp = true;
    }
    FSleep.notify_all();
}

void TThreadedObjectsManager::Reap()
{
    for (;;) {
        // Read before the list: once set, no object can be added any more.
        const bool terminated = FTerminated;
        std::vector<TThreadedObject *> finished;
        std::vector<TThreadedObject *> withoutThread;
        bool isEmpty;
        {
            std::lock_guard guard(FListLock);
            auto used = std::stable_partition(FThreadObjectsList.begin(), FThreadObjectsList.end(),
                [](TThreadedObject *object) { return !(object->IsUsed() && object->FIsHandedOver); });
            finished.assign(used, FThreadObjectsList.end());
            FThreadObjectsList.erase(used, FThreadObjectsList.end());
            for (auto *object : FThreadObjectsList)
                if (object->FIsWithoutThread.exchange(false))
                    withoutThread.push_back(object);
            isEmpty = FThreadObjectsList.empty();
        }
        // Outside the lock: a result step waits for the interface thread, and
        // a destructor may hand new work over.
        for (auto *object : withoutThread)
            object->RunResultStep();
        for (auto *object : finished)
            delete object;
        if (terminated && isEmpty)
            break;
        // No time-out: every object wakes the reaper once it may be freed
        // (handed over and used), and the destructor wakes it to end.
        std::unique_lock lock(FSleepLock);
        FSleep.wait(lock, [this] { return FWakeUp; });
        FWakeUp = false;
    }
    FReaperEnded = true;
    InterfaceThread::WakeWaiters();
}
