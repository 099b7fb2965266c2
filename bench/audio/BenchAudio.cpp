// Start-up latency of a track from a file and from a loopback URL, and the
// cost of playing (CPU share of one core, resident memory), on the null
// output in real time. Each figure is the median of 20 or more runs.
#include "playback/AudioLibraryUnit.h"
#include "tracks/QelmTypesUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <thread>

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
    rusage usage{};
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
    const std::string data = file.readAll().toStdString();
    httplib::Server server;
    server.Get("/track.mp3", [&](const httplib::Request &, httplib::Response &Response) { Response.set_content(data, "audio/mpeg"); });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    const QString url = QStringLiteral("http://127.0.0.1:%1/track.mp3").arg(port);

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
    server.stop();
    thread.join();
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

BENCHMARK(StartFile)->UseManualTime()->Iterations(1)->Repetitions(Runs)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);
BENCHMARK(StartURL)->UseManualTime()->Iterations(1)->Repetitions(Runs)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);
BENCHMARK(Playing)->UseManualTime()->Iterations(1)->Repetitions(20)->Unit(benchmark::kMillisecond)->ReportAggregatesOnly(true);

// Prints each median as a "figure:" line.
class TFigureReporter : public benchmark::ConsoleReporter
{
public:
    // No colours: a figure line must start the line for scripts to read it.
    TFigureReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &Reports) override
    {
        ConsoleReporter::ReportRuns(Reports);
        for (const Run &run : Reports) {
            if (run.aggregate_name != "median")
                continue;
            const std::string name = run.run_name.function_name;
            if (name == "StartFile")
                Figure("audio.start_file_ms", run.GetAdjustedRealTime(), "ms");
            else if (name == "StartURL")
                Figure("audio.start_url_ms", run.GetAdjustedRealTime(), "ms");
            else if (name == "Playing") {
                Figure("audio.cpu_percent_playing", run.counters.at("cpu_percent"), "%");
                Figure("audio.rss_playing_mb", run.counters.at("rss_mb"), "MB");
            }
        }
    }

private:
    static void Figure(const char *Name, double Value, const char *Unit)
    {
        std::printf("figure: %s %.2f %s\n", Name, Value, Unit);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (!AudioLibrary::Init()) {
        std::fprintf(stderr, "no audio output\n");
        return 1;
    }
    ThreadedObjectsManager = new TThreadedObjectsManager();
    AudioPlayer = new TAudioPlayer();
    AudioPlayer->SetVolume(1);

    benchmark::Initialize(&argc, argv);
    TFigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    delete AudioPlayer;
    AudioPlayer = nullptr;
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
    AudioLibrary::Free();
    return 0;
}
