// Downloads a 200 MB body from a loopback server to a file, with our
// downloader and with the curl command-line tool, and reports the ratio of
// their median throughputs and our peak resident memory.
#include "requests/THTTPFileDownloaderUnit.h"
#include "support/BenchReport.h"
#include "support/TestHTTPServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr long long BodySize = 200LL * 1024 * 1024;
constexpr long long SmallBodySize = 20LL * 1024 * 1024;

// Answers every GET "/SIZE" with SIZE bytes made on the fly.
void ServeBody(const TRecordedRequest &Request, TRawTestServer::TConnection &Connection)
{
    static const std::string block = [] {
        std::string bytes(1024 * 1024, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 31 + (i >> 11));
        return bytes;
    }();
    const long long size = std::atoll(Request.Target.c_str() + 1);
    bool ok = Connection.Send(TRawTestServer::Head(200, "OK", size, {"Content-Type: audio/mpeg"}));
    for (long long left = size; ok && left > 0;) {
        const std::size_t part = std::size_t(std::min<long long>(left, block.size()));
        ok = Connection.Send(std::string_view(block).substr(0, part));
        left -= static_cast<long long>(part);
    }
}

QString BodyURL(const TRawTestServer &Server, long long Size)
{
    return Server.URL(QStringLiteral("/%1").arg(Size));
}

TRawTestServer *Server;
QTemporaryDir *Folder;

double PeakRSSMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void Download(long long Size, benchmark::State &State)
{
    const QString path = Folder->path() + QStringLiteral("/ours.bin");
    THTTPFileDownloader downloader(BodyURL(*Server, Size), path);
    int progressEvents = 0;
    downloader.SetOnDownloadProgress([&](TObject *, std::uint8_t) { ++progressEvents; });
    downloader.Start(true);
    if (downloader.Result().ResultCode != 0 || QFile(path).size() != Size)
        State.SkipWithError("download failed");
    QFile::remove(path);
    State.counters["progress_events"] = progressEvents;
}

void BM_Downloader(benchmark::State &State)
{
    for (auto _ : State)
        Download(BodySize, State);
    State.SetBytesProcessed(State.iterations() * BodySize);
}

void BM_CurlTool(benchmark::State &State)
{
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    const QString path = Folder->path() + QStringLiteral("/curl.bin");
    for (auto _ : State) {
        const int code = QProcess::execute(curl,
            {QStringLiteral("-s"), QStringLiteral("--noproxy"), QStringLiteral("*"), QStringLiteral("-o"), path,
                BodyURL(*Server, BodySize)});
        if (code != 0 || QFile(path).size() != BodySize)
            State.SkipWithError("curl failed");
        QFile::remove(path);
    }
    State.SetBytesProcessed(State.iterations() * BodySize);
}

} // namespace

BENCHMARK(BM_Downloader)->Iterations(1)->Repetitions(5)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlTool)->Iterations(1)->Repetitions(5)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    // Alternate the two programs' runs, so that both see the same disk and cache conditions.
    std::vector<char *> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = int(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    TRawTestServer server(ServeBody);
    QTemporaryDir folder;
    Server = &server;
    Folder = &folder;

    // Memory after a small download, to show the peak does not grow with the body.
    {
        THTTPFileDownloader warmUp(BodyURL(server, SmallBodySize), folder.path() + QStringLiteral("/small.bin"));
        warmUp.Start(true);
        QFile::remove(warmUp.FilePath());
    }
    const double smallPeak = PeakRSSMegabytes();

    TMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double ours = reporter.Time("BM_Downloader");
    const double curl = reporter.Time("BM_CurlTool");
    if (ours > 0 && curl > 0) {
        // Same body, so the throughput ratio is curl's time over ours.
        Figure("http.download_vs_curl_ratio", curl / ours, "x", 3);
        Figure("http.download_mb_per_s", BodySize / 1048576.0 / (ours / 1000.0), "MB/s", 1);
        Figure("http.curl_mb_per_s", BodySize / 1048576.0 / (curl / 1000.0), "MB/s", 1);
    }
    Figure("http.download_peak_rss_mb", PeakRSSMegabytes(), "MB", 1);
    Figure("http.download_peak_rss_after_20mb_mb", smallPeak, "MB", 1);
    benchmark::Shutdown();
    return 0;
}
