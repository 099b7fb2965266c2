// Start-up latency of a track from a file and from a loopback URL, and the
// cost of playing (CPU share of one core, resident memory), on the null
// output in real time. Each figure is the median of 20 or more runs.
#include "app/globals/TGlobalObjectsUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "support/BenchReport.h"
#include "support/TestHTTPServer.h"
#include "tracks/records/QelmTypesUnit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

const QString Track = QStringLiteral(MARVANE_BENCH_TRACK);
constexpr int Runs = 25;

using TClock = std::chrono::steady_clock;

double Seconds(TClock::duration Duration)
{
    return std::chrono::duration<double>(Duration).count();
}

double CPUSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ResidentMB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Runs the event loop until Quit is called or the time is up.
class TWait
{
public:
    void Run(int Milliseconds)
    {
        QTimer::singleShot(Milliseconds, &FLoop, &QEventLoop::quit);
        FLoop.exec();
    }
    void Quit() { FLoop.quit(); }

private:
    QEventLoop FLoop;
};

void PlayItem(std::unique_ptr<TCustomPlaylistItem> Item)
{
    static std::uint32_t tag = 0;
    TAudioPlaylist list;
    list.Tag = ++tag;
    list.Add(std::move(Item));
    AudioPlayer->SetPlaylist(&list);
    AudioPlayer->PlayFirst();
}

std::unique_ptr<TCustomPlaylistItem> FileItem()
{
    TSavedTrackRecord record;
    record.FilePath = Track;
    return std::make_unique<TLocalVKAudioPlaylistItem>(record);
}

std::unique_ptr<TCustomPlaylistItem> URLItem(const QString &URL)
{
    TVKAudioRecord record;
    record.URL = URL;
    return std::make_unique<TVKAudioPlaylistItem>(record);
}

void StartFile(benchmark::State &State)
{
    for (auto _ : State) {
        const auto start = TClock::now();
        PlayItem(FileItem()); // opening a file is synchronous
        State.SetIterationTime(Seconds(TClock::now() - start));
        if (AudioPlayer->State() != TAudioPlayerState::psPlaying)
            State.SkipWithError("the file did not play");
        AudioPlayer->Stop();
    }
}

void StartURL(benchmark::State &State)
{
    QFile file(Track);
    file.open(QIODevice::ReadOnly);
    TTestHTTPServer server;
    server.Answer("/track.mp3", 200, file.readAll().toStdString(), {}, "audio/mpeg");
    server.Start();
    const QString url = server.URL(QStringLiteral("/track.mp3"));

    for (auto _ : State) {
        TWait wait;
        bool started = false;
        AudioPlayer->OnStartPlayingURL = [&](TObject *) {
            started = true;
            wait.Quit();
        };
        AudioPlayer->OnConnectionError = [&](TObject *) { wait.Quit(); };
        const auto start = TClock::now();
        PlayItem(URLItem(url));
        wait.Run(5000);
        State.SetIterationTime(Seconds(TClock::now() - start));
        if (!started)
            State.SkipWithError("the URL did not play");
        AudioPlayer->Stop();
    }
    AudioPlayer->OnStartPlayingURL = {};
    AudioPlayer->OnConnectionError = {};
}

void Playing(benchmark::State &State)
{
    if (AudioPlayer->State() != TAudioPlayerState::psPlaying) {
        PlayItem(FileItem());
        TWait().Run(300);
    }
    double cpuPercent = 0;
    for (auto _ : State) {
        const double cpu = CPUSeconds();
        const auto start = TClock::now();
        TWait().Run(1000);
        const double wall = Seconds(TClock::now() - start);
        State.SetIterationTime(wall);
        cpuPercent = (CPUSeconds() - cpu) / wall * 100;
    }
    State.counters["cpu_percent"] = cpuPercent;
    State.counters["rss_mb"] = ResidentMB();
}

BENCHMARK(StartFile)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(Runs)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(StartURL)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(Runs)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(Playing)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    TMedianReporter reporter;
    try {
        TGlobalObjects globals;
        AudioPlayer->SetVolume(1);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    if (reporter.Has("StartFile"))
        Figure("audio.start_file_ms", reporter.Time("StartFile"), "ms");
    if (reporter.Has("StartURL"))
        Figure("audio.start_url_ms", reporter.Time("StartURL"), "ms");
    if (reporter.Has("Playing")) {
        Figure("audio.cpu_percent_playing", reporter.Counter("Playing", "cpu_percent"), "%");
        Figure("audio.rss_playing_mb", reporter.Counter("Playing", "rss_mb"), "MB");
    }
    return 0;
}
