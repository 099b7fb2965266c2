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
#include <vector>

namespace {

// Records what happened to it, from any thread; outlives the objects.
struct TJournal
{
    std::mutex Lock;
    std::vector<std::string> Steps;
    std::atomic<int> Freed{0};
    std::atomic<bool> SawAbort{false};

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
    TProbe(TJournal &Journal, TWork Work) : FJournal(Journal), FWork(Work)
    {
    }
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

private:
    TJournal &FJournal;
    TWork FWork;
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
        delete ThreadedObjectsManager;
        ThreadedObjectsManager = nullptr;
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
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string>{"start", "work", "result"}));
    EXPECT_EQ(ThreadedObjectsManager->Count(), 0u);
}

TEST_F(ThreadedObjectTest, ObjectWithoutCallbacksIsFreedAfterItsWork)
{
    (new TProbe(Journal, TWork::Quick))->Start(false);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Journal.Freed == 1; }));
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string>{"work"}));
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
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string>{"start", "work", "result"}));
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
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string>{"work", "result"}));
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
    EXPECT_EQ(Journal.Snapshot(), (std::vector<std::string>{"start", "work"}));
}
