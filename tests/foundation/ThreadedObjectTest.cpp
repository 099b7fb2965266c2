#include "foundation/InterfaceThreadUnit.h"
#include "foundation/TThreadedObjectUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace {

// Records what happened to it, from any thread; outlives the objects.
struct TJournal
{
    std::mutex Lock;
    std::vector<std::string> Steps;
    std::atomic<int> Freed {0};
    std::atomic<bool> SawAbort {false};

    void Add(std::string Step)
    {
        std::lock_guard guard(Lock);
        Steps.push_back(std::move(Step));
    }
    std::vector<std::string> Snapshot()
    {
        std::lock_guard guard(Lock);
        return Steps;
    }
};

bool OnInterfaceThread()
{
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

enum class TWork { Quick, UntilAborted, Throw };

class TProbe : public TThreadedObject
{
public:
    TProbe(TJournal &Journal, TWork Work) : FJournal(Journal), FWork(Work) { }
    ~TProbe() override { ++FJournal.Freed; }

protected:
    void Execute() override
    {
        FJournal.Add(OnInterfaceThread() ? "work on interface thread" : "work");
        switch (FWork) {
        case TWork::Quick:
            break;
        case TWork::UntilAborted:
            while (!IsAborted())
                QThread::msleep(5);
            FJournal.SawAbort = true;
            break;
        case TWork::Throw:
            throw std::runtime_error("work failed");
        }
    }
    void ExecuteFailed(const QString &Message) override
    {
        FJournal.Add("failed: " + Message.toStdString() + (OnInterfaceThread() ? " on interface thread" : ""));
    }

private:
    TJournal &FJournal;
    TWork FWork;
};

// Runs until aborted; its destructor, run by the reaper while the manager is
// being destroyed, hands new work over: the kind of late start a queue worker
// makes at shut-down.
class TChain : public TProbe
{
public:
    TChain(TJournal &Journal, TJournal &Chained) : TProbe(Journal, TWork::UntilAborted), FChained(Chained) { }
    ~TChain() override { (new TProbe(FChained, TWork::Quick))->Start(false); }

private:
    TJournal &FChained;
};

TNotifyEvent Recorder(TJournal &Journal, std::string Name)
{
    return [&Journal, Name](TObject *Sender) {
        EXPECT_NE(dynamic_cast<TProbe *>(Sender), nullptr);
        Journal.Add(Name + (OnInterfaceThread() ? "" : " off interface thread"));
    };
}

class ThreadedObjectTest : public ::testing::Test
{
protected:
    void SetUp() override { ThreadedObjectsManager = new TThreadedObjectsManager(); }
    void TearDown() override
    {
        TThreadedObjectsManager::SetThreadFactory(nullptr);
        delete ThreadedObjectsManager;
        ThreadedObjectsManager = nullptr;
    }
    static void MakeNoThreads()
    {
        TThreadedObjectsManager::SetThreadFactory([](std::function<void()>) -> std::thread {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        });
    }
    TJournal Journal;
};

} // namespace

TEST_F(ThreadedObjectTest, BackgroundObjectRunsStartWorkResultAndIsFreed)
{
    auto *probe = new TProbe(Journal, TWork::Quick);
    probe->SetStartCallback(Recorder(Journal, "start"));
    probe->Start(Recorder(Journal, "result"));

    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == 1; }));
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string> {"start", "work", "result"}));
    EXPECT_EQ(ThreadedObjectsManager->Count(), 0u);
}

TEST_F(ThreadedObjectTest, ObjectWithoutCallbacksIsFreedAfterItsWork)
{
    (new TProbe(Journal, TWork::Quick))->Start(false);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == 1; }));
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string> {"work"}));
}

TEST_F(ThreadedObjectTest, SynchronousUseServesCallbacksAndLeavesTheObjectToItsOwner)
{
    {
        TProbe probe(Journal, TWork::Quick);
        probe.SetStartCallback(Recorder(Journal, "start"));
        probe.SetResultCallback(Recorder(Journal, "result"));
        probe.Start(true); // waits on the interface thread: must not deadlock
        EXPECT_TRUE(probe.IsUsed());
        EXPECT_EQ(ThreadedObjectsManager->Count(), 0u);
        EXPECT_EQ(Journal.Freed, 0);
    }
    EXPECT_EQ(Journal.Freed, 1);
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string> {"start", "work", "result"}));
}

TEST_F(ThreadedObjectTest, IdentifiersAreDistinctAndNeverZero)
{
    TProbe a(Journal, TWork::Quick), b(Journal, TWork::Quick);
    EXPECT_NE(a.ID(), 0u);
    EXPECT_NE(a.ID(), b.ID());
}

TEST_F(ThreadedObjectTest, WorkThatThrowsStillEndsAndShutDownDoesNotHang)
{
    auto *probe = new TProbe(Journal, TWork::Throw);
    probe->Start(Recorder(Journal, "result"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == 1; }));
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string> {"work", "failed: work failed", "result"}));
}

TEST_F(ThreadedObjectTest, ShutDownAbortsRunningObjectsAndWaitsForThem)
{
    for (int i = 0; i < 3; ++i)
        (new TProbe(Journal, TWork::UntilAborted))->Start(Recorder(Journal, "result"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Snapshot().size() == 3; }));

    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;

    EXPECT_EQ(Journal.Freed, 3);
    EXPECT_TRUE(Journal.SawAbort);
    // No result reaches anyone during shut-down.
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string>(3, "work")));
}

TEST_F(ThreadedObjectTest, StartCallbacksStillRunDuringShutDown)
{
    auto *probe = new TProbe(Journal, TWork::Quick);
    probe->SetStartCallback(Recorder(Journal, "start"));
    probe->Start(Recorder(Journal, "result"));
    // No event loop runs before this: the worker is blocked on its start
    // callback until the manager's destruction serves it.
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
    EXPECT_EQ(Journal.Freed, 1);
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string> {"start", "work"}));
}

TEST_F(ThreadedObjectTest, StartAfterTheManagerIsGoneIsRefusedAndFreesTheObject)
{
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;

    EXPECT_FALSE((new TProbe(Journal, TWork::Quick))->Start(Recorder(Journal, "result")));
    EXPECT_FALSE((new TProbe(Journal, TWork::Quick))->Start(false));
    EXPECT_EQ(Journal.Freed, 2);
    EXPECT_TRUE(Journal.Snapshot().empty());
}

TEST_F(ThreadedObjectTest, StartDuringShutDownIsRefused)
{
    TJournal chained;
    (new TChain(Journal, chained))->Start(false);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Snapshot().size() == 1; }));
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
    EXPECT_EQ(Journal.Freed, 1);
    EXPECT_EQ(chained.Freed, 1);
    EXPECT_TRUE(chained.Snapshot().empty()); // refused, never run
}

TEST_F(ThreadedObjectTest, WithoutAThreadTheWorkFailsAndStillEndsThroughItsResult)
{
    MakeNoThreads();
    const std::string failure = "failed: No thread for the work: Resource temporarily unavailable";

    // Background: the result comes on the interface thread, and the object is freed.
    auto *probe = new TProbe(Journal, TWork::Quick);
    probe->SetStartCallback(Recorder(Journal, "start"));
    probe->Start(Recorder(Journal, "result"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == 1; }));
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string> {failure + " on interface thread", "result"}));

    // Synchronous: the caller gets the failure and the result at once.
    TJournal syncJournal;
    {
        TProbe sync(syncJournal, TWork::Quick);
        sync.SetResultCallback(Recorder(syncJournal, "result"));
        sync.Start(true);
        EXPECT_TRUE(sync.IsUsed());
    }
    EXPECT_EQ(syncJournal.Snapshot(), (std::vector<std::string> {failure + " on interface thread", "result"}));
}

TEST_F(ThreadedObjectTest, AbortByIdentifierReachesOnlyAnObjectStillHeld)
{
    auto *probe = new TProbe(Journal, TWork::UntilAborted);
    const std::uint32_t running = probe->ID();
    probe->Start(false);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Snapshot().size() == 1; }));
    TThreadedObjectsManager::Abort(running);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == 1; }));
    EXPECT_TRUE(Journal.SawAbort);

    // Freed, then with the manager going and gone: nothing is touched.
    TThreadedObjectsManager::Abort(running);
    auto *another = new TProbe(Journal, TWork::UntilAborted);
    const std::uint32_t stopped = another->ID();
    another->Start(false);
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
    TThreadedObjectsManager::Abort(stopped);
    EXPECT_EQ(Journal.Freed, 2);
}

TEST_F(ThreadedObjectTest, ReaperSleepsWhileIdleYetFreesEveryObjectPromptly)
{
    using namespace std::chrono_literals;
    // A manager made after the count starts, so that its reaper is counted.
    const TNewThreadWakeUps wakeUps;
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = new TThreadedObjectsManager();
    EXPECT_EQ(wakeUps.Over(1s), 0);

    // Each one freed on its own, with nothing else to wake the reaper: quick
    // ones, one that throws, one that ran until aborted, one without a thread.
    const TWork works[] = {TWork::Quick, TWork::Throw, TWork::Quick, TWork::Quick};
    int started = 0;
    for (const TWork work : works) {
        (new TProbe(Journal, work))->Start(false);
        ++started;
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == started; }, 2s)) << started;
    }
    auto *held = new TProbe(Journal, TWork::UntilAborted);
    const std::uint32_t heldID = held->ID();
    const std::size_t steps = Journal.Snapshot().size();
    held->Start(false);
    ++started;
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Snapshot().size() == steps + 1; }, 2s));
    TThreadedObjectsManager::Abort(heldID);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == started; }, 2s));
    MakeNoThreads();
    (new TProbe(Journal, TWork::Quick))->Start(false);
    ++started;
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == started; }, 2s));
    EXPECT_EQ(ThreadedObjectsManager->Count(), 0u);

    EXPECT_EQ(wakeUps.Over(1s), 0);
}
