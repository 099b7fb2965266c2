#include "foundation/TThreadedObjectUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"

namespace {
std::atomic<std::uint32_t> GNextID {1};
}

TThreadedObject::TThreadedObject() : FID(GNextID++)
{
}

TThreadedObject::~TThreadedObject()
{
    WaitFor();
}

bool TThreadedObject::LaunchThread()
{
    try {
        FThread = TThreadedObjectsManager::CreateThread([this] { RunThread(); });
        return true;
    } catch (const std::exception &error) {
        ExecuteFailed(QStringLiteral("No thread for the work: ") + QString::fromLocal8Bit(error.what()));
        return false;
    }
}

bool TThreadedObject::Start(bool WaitFor)
{
    if (!WaitFor)
        return HandOver();
    if (LaunchThread())
        this->WaitFor();
    else
        RunResultStep();
    return true;
}

bool TThreadedObject::Start(TNotifyEvent ResultCallback)
{
    FResultCallback = std::move(ResultCallback);
    return HandOver();
}

bool TThreadedObject::HandOver()
{
    if (!TThreadedObjectsManager::Adopt(this)) {
        // No manager would ever free it: nothing runs, nothing is reported.
        delete this;
        return false;
    }
    if (!LaunchThread())
        TThreadedObjectsManager::FinishWithoutThread(this);
    FIsHandedOver = true; // the last touch: the reaper may free it from here on
    TThreadedObjectsManager::WakeReaper();
    return true;
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
    RunResultStep();
}

void TThreadedObject::RunResultStep()
{
    try {
        if (FResultCallback && !TThreadedObjectsManager::IsShuttingDown())
            InterfaceThread::Synchronize([this] { FResultCallback(this); });
    } catch (...) {
    }
    // After FIsUsed the reaper may free this object at any moment, so nothing
    // of it is touched after that.
    FIsFinished = true;
    InterfaceThread::WakeWaiters();
    FIsUsed = true;
    // Touches no member: the reaper, woken for an adopted object, may free it.
    TThreadedObjectsManager::WakeReaper();
}
