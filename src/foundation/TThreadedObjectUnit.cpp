#include "foundation/TThreadedObjectUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"

#include <system_error>

namespace {
std::atomic<std::uint32_t> GNextID{1};
}

TThreadedObject::TThreadedObject() : FID(GNextID++)
{
}

TThreadedObject::~TThreadedObject()
{
    WaitFor();
}

void TThreadedObject::LaunchThread()
{
    try {
        FThread = std::thread([this] { RunThread(); });
    } catch (const std::system_error &) {
        // Out of threads: do the work here rather than never, so the object
        // still ends and the manager can free it.
        RunThread();
    }
}

void TThreadedObject::Start(bool WaitFor)
{
    LaunchThread();
    if (WaitFor)
        this->WaitFor();
    else
        ThreadedObjectsManager->Add(this);
}

void TThreadedObject::Start(TNotifyEvent ResultCallback)
{
    FResultCallback = std::move(ResultCallback);
    ThreadedObjectsManager->Add(this);
    LaunchThread();
}

void TThreadedObject::WaitFor()
{
    if (!FThread.joinable())
        return;
    InterfaceThread::WaitUntil([this] { return FIsFinished.load(); });
    FThread.join();
}

void TThreadedObject::RunThread()
{
    try {
        if (FStartCallback)
            InterfaceThread::Synchronize([this] { FStartCallback(this); });
    } catch (...) {
        // A failing start callback must not keep the work from running.
    }
    // After a failure the result is still delivered below: the caller learns
    // the work ended, and the object is marked used so the manager can free it.
    try {
        Execute();
    } catch (const Exception &e) {
        ExecuteFailed(e.Message());
    } catch (const std::exception &e) {
        ExecuteFailed(QString::fromUtf8(e.what()));
    } catch (...) {
        ExecuteFailed(QStringLiteral("Unknown error"));
    }
    try {
        const bool terminating = ThreadedObjectsManager && ThreadedObjectsManager->IsTerminating();
        if (FResultCallback && !terminating)
            InterfaceThread::Synchronize([this] { FResultCallback(this); });
    } catch (...) {
    }
    // After FIsUsed the reaper may free this object at any moment, so nothing
    // of it is touched after that.
    FIsFinished = true;
    InterfaceThread::WakeWaiters();
    FIsUsed = true;
}
