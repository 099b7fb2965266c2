#include "vkweb/TVKEmulationRequestManagerUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "vkweb/TVKEmulationRequestTaskUnit.h"
#include "vkweb/TVKEmulationRequestUnit.h"

#include <algorithm>

namespace {
constexpr auto PassInterval = std::chrono::milliseconds(100);
// The states of a queued request: its own, so that they never meet the API
// queues' states of the same names in a file that uses both queues.
enum TVKEmulationRequestState : unsigned { rsPending = 1u << 0, rsRunning = 1u << 1, rsFinished = 1u << 2 };
} // namespace

TVKEmulationRequestData::TVKEmulationRequestData(
    std::unique_ptr<TVKEmulationRequest> ARequest, TNotifyEvent AOnRequestStart, TNotifyEvent AOnRequestResult) :
      Request(std::move(ARequest)),
      OnRequestStart(std::move(AOnRequestStart)), OnRequestResult(std::move(AOnRequestResult))
{
}

TVKEmulationRequestData::~TVKEmulationRequestData() = default;

TVKEmulationRequestManagerData::TVKEmulationRequestManagerData(
    std::uint32_t AOperationID, std::unique_ptr<TVKEmulationRequestData> AData, TVKEmulationRequestStateSet AState) :
      OperationID(AOperationID),
      Data(std::move(AData)), State(AState)
{
}

TVKEmulationRequestManager::TVKEmulationRequestManager(std::uint32_t ARequestsInterval) :
      FRequestsInterval(ARequestsInterval), FSelf(std::make_shared<TVKEmulationRequestManager *>(this))
{
    FThread = std::thread([this] { ProcessRequests(); });
}

TVKEmulationRequestManager::~TVKEmulationRequestManager()
{
    StopThread();
    *FSelf = nullptr;
}

void TVKEmulationRequestManager::StopThread()
{
    {
        std::lock_guard guard(FWakeLock);
        FTerminated = true;
    }
    FWake.notify_all();
    if (FThread.joinable())
        FThread.join();
}

void TVKEmulationRequestManager::Add(std::uint32_t AOperationID, std::unique_ptr<TVKEmulationRequestData> AData)
{
    {
        std::lock_guard guard(FLock);
        std::erase_if(FRequests, [AOperationID](const auto &Entry) { return Entry->OperationID == AOperationID; });
        FRequests.push_back(
            std::make_unique<TVKEmulationRequestManagerData>(AOperationID, std::move(AData), rsPending));
    }
    {
        std::lock_guard guard(FWakeLock);
        FChanged = true;
    }
    FWake.notify_all();
}

void TVKEmulationRequestManager::Delete(std::uint32_t AOperationID)
{
    std::lock_guard guard(FLock);
    std::erase_if(FRequests, [AOperationID](const auto &Entry) { return Entry->OperationID == AOperationID; });
}

void TVKEmulationRequestManager::Reset()
{
    std::lock_guard guard(FLock);
    FRequests.clear();
}

void TVKEmulationRequestManager::ProcessRequests()
{
    for (;;) {
        bool waiting = false;
        {
            std::lock_guard guard(FLock);
            auto pending = std::find_if(
                FRequests.begin(), FRequests.end(), [](const auto &Entry) { return Entry->State == rsPending; });
            waiting = pending != FRequests.end();
            if (waiting
                && std::chrono::steady_clock::now() - FLastTaskExecutionTime
                    >= std::chrono::milliseconds(FRequestsInterval))
                StartEntry(**pending);
        }
        std::unique_lock lock(FWakeLock);
        // A pass every 100 ms while something waits; asleep until Add otherwise.
        if (waiting)
            FWake.wait_for(lock, PassInterval, [this] { return FTerminated; });
        else
            FWake.wait(lock, [this] { return FTerminated || FChanged; });
        FChanged = false;
        if (FTerminated)
            return;
    }
}

void TVKEmulationRequestManager::StartEntry(TVKEmulationRequestManagerData &Entry)
{
    std::unique_ptr<TVKEmulationRequestTask> task = TVKEmulationRequestTask::Create(std::move(Entry.Data->Request));
    Entry.RequestTaskID = task->ID();
    Entry.State = rsRunning;
    FLastTaskExecutionTime = std::chrono::steady_clock::now();
    // Queued before the task can end, so the end is never seen first.
    QueueCall([this] {
        if (FOnRequestStart)
            FOnRequestStart(this);
    });
    // From here on the threaded-objects manager owns the task; a refused one
    // is freed unrun and never reports, so its end is raised here.
    const bool adopted = task.release()->Start([self = FSelf](TObject *Sender) {
        if (*self)
            (*self)->DoRequestEnd(Sender);
    });
    if (!adopted)
        RaiseRequestEnd();
}

void TVKEmulationRequestManager::DoRequestEnd(TObject *Sender)
{
    const auto *task = static_cast<TThreadedObject *>(Sender);
    {
        std::lock_guard guard(FLock);
        auto entry = std::find_if(FRequests.begin(), FRequests.end(),
            [task](const auto &Entry) { return Entry->RequestTaskID == task->ID(); });
        if (entry != FRequests.end()) {
            const TNotifyEvent onResult = (*entry)->Data->OnRequestResult;
            FRequests.erase(entry);
            if (onResult)
                onResult(Sender);
        }
    }
    RaiseRequestEnd();
}

void TVKEmulationRequestManager::RaiseRequestEnd()
{
    QueueCall([this] {
        if (FOnRequestEnd)
            FOnRequestEnd(this);
    });
}

void TVKEmulationRequestManager::QueueCall(std::function<void()> Call) const
{
    InterfaceThread::Queue([self = FSelf, Call = std::move(Call)] {
        if (*self)
            Call();
    });
}
