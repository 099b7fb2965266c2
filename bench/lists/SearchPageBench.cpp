// Loads pages of search results from the stand-in site into a search list,
// signed in as a stand-in account, paging through the whole catalogue and
// starting over at its end. One page costs the request, the answer's parsing
// and the list's update with its playlist: the time from NextPage (or Reset)
// to the list's change event. The queue's pause between two starts is not
// part of it: each page is asked for only once that pause is over, so the
// queue starts it at once. The figure is the median of 100 pages.
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"

#include "support/BenchReport.h"
#include "vkweb/VKWebTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;

constexpr int PageSize = 50;
constexpr int Pages = 100;
// The web client's queue starts one request per 500 ms at most.
constexpr auto QueueInterval = std::chrono::milliseconds(505);

void WaitUntil(const std::function<bool()> &Done)
{
    QElapsedTimer timer;
    timer.start();
    while (!Done()) {
        if (timer.elapsed() > 10000)
            throw std::runtime_error("the stand-in did not answer");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(100);
    }
}

class TPaging
{
public:
    explicit TPaging(TVKEmulationManager &Manager) : FSearch(Manager, PageSize)
    {
        Manager.RequestManager().SetOnRequestStart(
            [this](TObject *) { FLastStart = TClock::now().time_since_epoch().count(); });
        FSearch.OnChanged = [this](TObject *, bool) { ++FChanges; };
    }

    // Loads the next page, from the first again once a page came back short;
    // returns the seconds it took.
    double LoadPage()
    {
        std::this_thread::sleep_until(TClock::time_point(TClock::duration(FLastStart.load())) + QueueInterval);
        const int changes = FChanges;
        const bool restart = FSearch.Count() % PageSize != 0 || FSearch.Count() == 0 || FLastCount == FSearch.Count();
        FLastCount = FSearch.Count();
        const TClock::time_point start = TClock::now();
        if (restart)
            FSearch.Reset();
        else
            FSearch.NextPage();
        WaitUntil([&] { return FChanges > changes; });
        const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
        if (FSearch.Playlist()->Count() != FSearch.Count() || FSearch.Count() == 0)
            throw std::runtime_error("the page did not fill the list");
        return seconds;
    }

private:
    TVKSearchAudioData FSearch;
    std::atomic<TClock::rep> FLastStart {0};
    int FChanges = 0;
    int FLastCount = -1;
};

TPaging *Paging;

void SearchPage(benchmark::State &State)
{
    for (auto _ : State)
        State.SetIterationTime(Paging->LoadPage());
}

BENCHMARK(SearchPage)
    ->Iterations(1)
    ->Repetitions(Pages)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The web client keeps its cookie file under the user's data folder: a private one here.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    TStandin standin;
    if (!standin.IsReady()) {
        std::fprintf(stderr, "the stand-in did not start\n");
        return 1;
    }
    ThreadedObjectsManager = new TThreadedObjectsManager();
    int result = 0;
    {
        TVKEmulationManager manager;
        bool signedIn = false;
        manager.AuthManager().OnAuthSuccessList().Add([&signedIn](TObject *) { signedIn = true; });
        manager.AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
        WaitUntil([&] { return signedIn; });
        TPaging paging(manager);
        Paging = &paging;

        TMedianReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        if (reporter.Has("SearchPage"))
            Figure("lists.search_page_ms", reporter.Time("SearchPage"), "ms");
        else
            result = 1;
        manager.RequestManager().StopThread();
    }
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
    benchmark::Shutdown();
    return result;
}
