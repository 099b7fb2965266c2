// An artist page: from choosing an artist in the results to the page
// complete (its information, top albums, top tracks matched on the site,
// similar artists, and every picture downloaded and decoded), in the views
// the main window shows, offscreen, against the stand-in. Each run chooses
// another artist, so nothing is cached. The Last.fm queue pauses between
// starts as in the window (300 ms); the same runs with a queue without
// pauses give those pauses apart, as the difference of the medians. The
// figure is the median of 20 pages.
#include "app/globals/TGlobalObjectsUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "metadata/pages/TArtistDataUnit.h"
#include "metadata/views/TLastFMSearchListBoxUnit.h"
#include "metadata/views/TMetaDataViewsManagerUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include "support/BenchReport.h"
#include "vkweb/VKWebTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>

namespace {

using TClock = std::chrono::steady_clock;
constexpr int Pages = 20;

void WaitUntil(const std::function<bool()> &Done)
{
    QElapsedTimer timer;
    timer.start();
    while (!Done()) {
        if (timer.elapsed() > 60000)
            throw std::runtime_error("the page did not complete");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(100);
    }
}

// The window's metadata pages over a Last.fm queue of its own.
class TPages
{
public:
    TPages(TVKEmulationManager &VK, std::uint32_t QueueInterval) :
          FLastFM(std::make_unique<TLastFMAPIRequestManager>(QueueInterval)), FWindow(std::make_unique<QWidget>())
    {
        auto *layout = new QVBoxLayout(FWindow.get());
        auto *tags = new QWidget(FWindow.get());
        tags->setFixedHeight(30);
        auto *tabs = new QStackedWidget(FWindow.get());
        layout->addWidget(tags);
        layout->addWidget(tabs, 1);
        QWidget *pages[4];
        for (QWidget *&page : pages) {
            page = new QWidget;
            tabs->addWidget(page);
        }
        FWindow->resize(636, 520);
        FWindow->show();
        FManager = std::make_unique<TMetaDataViewsManager>(
            nullptr, TMetaDataViewsSeam {tags, tabs, pages[0], pages[1], pages[2], pages[3]}, VK, *FLastFM,
            [](int, int, TTrackState &State, int &Percent) {
                State = tsNotFound;
                Percent = 0;
            },
            [](const TVKAudioPlaylistItem &) {});
        FManager->SwitchToArtistSearchTab();
        FManager->SetSearchQuery(QString());
        // The whole catalogue: an empty query is not sent, any one letter is.
        FManager->SetSearchQuery(QStringLiteral("а"));
        WaitUntil([&] { return FManager->ArtistSearchData().IsComplete(); });
    }
    ~TPages()
    {
        FManager.reset();
        FLastFM.reset();
    }

    // Chooses the next artist of the results; returns the seconds until its page is complete.
    double OpenNext()
    {
        TLastFMArtistSearchListBox &list = *FManager->ArtistSearchListBox();
        const int index = FNext++ % FManager->ArtistSearchData().ActiveItemsCount();
        list.ScrollToItem(index);
        const TClock::time_point start = TClock::now();
        list.OnItemClick(index);
        TArtistData &artist = FManager->ArtistData();
        WaitUntil([&] {
            return artist.State() != mdsLoading && artist.ImageData().State() != mdsLoading
                && artist.TopAlbumsData().IsComplete() && artist.SimilarArtistsData().IsComplete()
                && artist.TopTracksData().IsMatched();
        });
        return std::chrono::duration<double>(TClock::now() - start).count();
    }

private:
    std::unique_ptr<TLastFMAPIRequestManager> FLastFM;
    std::unique_ptr<QWidget> FWindow;
    std::unique_ptr<TMetaDataViewsManager> FManager;
    int FNext = 0;
};

TPages *WithPauses;
TPages *WithoutPauses;

void ArtistPage(benchmark::State &State)
{
    for (auto _ : State)
        State.SetIterationTime(WithPauses->OpenNext());
}

void ArtistPageWithoutQueuePauses(benchmark::State &State)
{
    for (auto _ : State)
        State.SetIterationTime(WithoutPauses->OpenNext());
}

BENCHMARK(ArtistPage)
    ->Iterations(1)
    ->Repetitions(Pages)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(ArtistPageWithoutQueuePauses)
    ->Iterations(1)
    ->Repetitions(Pages)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    TStandin standin;
    if (!standin.IsReady()) {
        std::fprintf(stderr, "the stand-in did not start\n");
        return 1;
    }
    InstallStyle();
    LocalizationManager = new TQelmLocalizationManager();
    LocalizationManager->SelectStartupLocalization(QStringLiteral("en"));
    int result = 0;
    {
        TGlobalObjects globals;
        TVKEmulationManager manager;
        bool signedIn = false;
        manager.AuthManager().OnAuthSuccessList().Add([&signedIn](TObject *) { signedIn = true; });
        manager.AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
        WaitUntil([&] { return signedIn; });
        {
            TPages withPauses(manager, TLastFMAPIRequestManager::DefaultRequestsInterval), withoutPauses(manager, 0);
            WithPauses = &withPauses;
            WithoutPauses = &withoutPauses;
            TMedianReporter reporter;
            benchmark::RunSpecifiedBenchmarks(&reporter);
            if (reporter.Has("ArtistPage") && reporter.Has("ArtistPageWithoutQueuePauses")) {
                Figure("pages.artist_page_ms", reporter.Time("ArtistPage"), "ms");
                Figure("pages.artist_page_lastfm_queue_pauses_ms",
                    reporter.Time("ArtistPage") - reporter.Time("ArtistPageWithoutQueuePauses"), "ms");
            } else
                result = 1;
        }
    }
    delete LocalizationManager;
    LocalizationManager = nullptr;
    THierarchicalSingleton::DoDestroy();
    benchmark::Shutdown();
    return result;
}
