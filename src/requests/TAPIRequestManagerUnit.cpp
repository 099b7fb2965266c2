#include "requests/TAPIRequestManagerUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "requests/TAPIRequestFactoryUnit.h"

#include <algorithm>
#include <chrono>

TAPIRequestData::TAPIRequestData(TAPIRequestInvokerClass ARequestInvokerClass, std::unique_ptr<TAPIRequest> ARequest,
    TNotifyEvent AOnRequestStart, TNotifyEvent AOnRequestResult) :
      APIRequest(std::move(ARequest)),
      RequestInvokerClass(std::move(ARequestInvokerClass)), OnRequestStart(std::move(AOnRequestStart)),
      OnRequestResult(std::move(AOnRequestResult))
{
}

TAPIRequestData::~TAPIRequestData() = default;

TAPIRequestManagerData::TAPIRequestManagerData(std::uint32_t AOperationID, std::unique_ptr<TAPIRequestData> AData) :
      OperationID(AOperationID), Data(std::move(AData))
{
}

TAPIRequestManager::TAPIRequestManager(std::uint32_t ARequestsInterval) :
      FRequestsInterval(ARequestsInterval), FSelf(std::make_shared<TAPIRequestManager *>(this))
{
}

TAPIRequestManager::~TAPIRequestManager()
{
    // First: results served while the stop waits find no manager.
    *FSelf = nullptr;
    StopThread();
}

void TAPIRequestManager::StartThread()
{
    FThread = std::thread([this] {
        ProcessRequests();
        FWorkerEnded = true;
        InterfaceThread::WakeWaiters();
    });
}

void TAPIRequestManager::StopThread()
{
    {
        std::lock_guard guard(FSleepLock);
        FTerminated = true;
    }
    FSleep.notify_all();
    if (!FThread.joinable())
        return;
    // The worker may be waiting for the interface thread.
    InterfaceThread::WaitUntil([this] { return FWorkerEnded.load(); });
    FThread.join();
}

void TAPIRequestManager::AwaitNextPass()
{
    bool isEmpty;
    {
        std::lock_guard guard(FLock);
        isEmpty = FRequests.empty();
    }
    std::unique_lock lock(FSleepLock);
    if (isEmpty)
        FSleep.wait(lock, [this] { return FTerminated || FAdded; });
    else
        FSleep.wait_for(lock, std::chrono::milliseconds(PassInterval), [this] { return FTerminated.load(); });
    FAdded = false;
}

std::uint64_t TAPIRequestManager::TickCount()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TAPIRequestManager::Add(std::uint32_t OperationID, std::unique_ptr<TAPIRequestData> AData)
{
    DoAdd(OperationID, std::move(AData));
    {
        std::lock_guard guard(FSleepLock);
        FAdded = true;
    }
    FSleep.notify_all();
}

void TAPIRequestManager::Delete(std::uint32_t OperationID)
{
    std::lock_guard guard(FLock);
    std::erase_if(FRequests, [OperationID](const auto &entry) { return entry->OperationID == OperationID; });
}

void TAPIRequestManager::Reset()
{
    DoReset();
}

void TAPIRequestManager::DoAdd(std::uint32_t OperationID, std::unique_ptr<TAPIRequestData> AData)
{
    std::lock_guard guard(FLock);
    Delete(OperationID);
    FRequests.push_back(std::make_unique<TAPIRequestManagerData>(OperationID, std::move(AData)));
}

void TAPIRequestManager::DoReset()
{
    std::lock_guard guard(FLock);
    FRequests.clear();
}

void TAPIRequestManager::ProcessRequests()
{
    while (!Terminated()) {
        {
            std::lock_guard guard(FLock);
            auto pending = std::find_if(FRequests.begin(), FRequests.end(),
                [](const auto &entry) { return entry->State == StateSet(rsPending); });
            if (pending != FRequests.end() && TickCount() - FLastTaskExecutionTime >= FRequestsInterval)
                StartEntry(**pending);
        }
        AwaitNextPass();
    }
}

void TAPIRequestManager::StartEntry(TAPIRequestManagerData &Entry)
{
    std::unique_ptr<TAPIRequestInvoker> invoker = CreateInvoker(*Entry.Data);
    Entry.RequestInvokerID = invoker->ID();
    Entry.State = StateSet(rsRunning);
    FLastTaskExecutionTime = TickCount();
    // Queued before the invoker can end, so the end is never seen first.
    QueueCall([this] {
        if (FOnRequestStart)
            FOnRequestStart(this);
    });
    // From here on the threaded-objects manager owns the invoker (or, once it
    // is going, has freed it unrun).
    invoker.release()->Start([self = FSelf](TObject *Sender) {
        if (*self)
            (*self)->DoRequestEnd(Sender);
    });
}

std::unique_ptr<TAPIRequestInvoker> TAPIRequestManager::CreateInvoker(const TAPIRequestData &AData)
{
    std::unique_ptr<TAPIRequestInvoker> invoker = AData.RequestInvokerClass(CloneOf(*AData.APIRequest));
    invoker->SetStartCallback(AData.OnRequestStart);
    return invoker;
}

void TAPIRequestManager::DoRequestEnd(TObject *Sender)
{
    const auto *invoker = static_cast<TThreadedObject *>(Sender);
    {
        std::lock_guard guard(FLock);
        auto entry = std::find_if(FRequests.begin(), FRequests.end(),
            [invoker](const auto &e) { return e->RequestInvokerID == invoker->ID(); });
        if (entry != FRequests.end()) {
            (*entry)->State = StateSet(rsFinished);
            const TNotifyEvent onResult = (*entry)->Data->OnRequestResult;
            FRequests.erase(entry);
            if (onResult)
                onResult(Sender);
        }
    }
    RaiseRequestEnd();
}

void TAPIRequestManager::RaiseRequestEnd()
{
    QueueCall([this] {
        if (FOnRequestEnd)
            FOnRequestEnd(this);
    });
}

void TAPIRequestManager::QueueCall(std::function<void()> Call) const
{
    InterfaceThread::Queue([self = FSelf, Call = std::move(Call)] {
        if (*self)
            Call();
    });
}
