// Downloads a 200 MB body from a loopback server to a file, with our
// downloader and with the curl command-line tool, and reports the ratio of
// their median throughputs and our peak resident memory.
#include "requests/THTTPFileDownloaderUnit.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr long long BodySize = 200LL * 1024 * 1024;
constexpr long long SmallBodySize = 20LL * 1024 * 1024;

// Answers every GET "/SIZE" with SIZE bytes made on the fly, one thread per connection.
class TBodyServer
{
public:
    TBodyServer()
    {
        FListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (bind(FListener, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 || listen(FListener, 16) != 0
            || getsockname(FListener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        FPort = ntohs(address.sin_port);
        FThread = std::thread([this] { Accept(); });
    }
    ~TBodyServer()
    {
        shutdown(FListener, SHUT_RDWR);
        close(FListener);
        FThread.join();
    }
    QString URL(long long Size) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(FPort).arg(Size); }

private:
    void Accept()
    {
        for (;;) {
            const int connection = accept(FListener, nullptr, nullptr);
            if (connection < 0)
                return;
            std::thread([connection] { Serve(connection); }).detach();
        }
    }
    static void Serve(int Connection)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t count = recv(Connection, buffer, sizeof(buffer), 0);
            if (count <= 0)
                break;
            request.append(buffer, std::size_t(count));
        }
        const long long size = std::atoll(request.c_str() + request.find('/') + 1);
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " + std::to_string(size)
            + "\r\nConnection: close\r\n\r\n";
        static const std::string block = [] {
            std::string bytes(1024 * 1024, '\0');
            for (std::size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = char(i * 31 + (i >> 11));
            return bytes;
        }();
        bool ok = send(Connection, head.data(), head.size(), MSG_NOSIGNAL) == ssize_t(head.size());
        for (long long left = size; ok && left > 0;) {
            const std::size_t part = std::size_t(std::min<long long>(left, block.size()));
            for (std::size_t sent = 0; ok && sent < part;) {
                const ssize_t count = send(Connection, block.data() + sent, part - sent, MSG_NOSIGNAL);
                ok = count > 0;
                sent += ok ? std::size_t(count) : 0;
            }
            left -= part;
        }
        close(Connection);
    }

    int FListener;
    int FPort;
    std::thread FThread;
};

TBodyServer *Server;
QTemporaryDir *Folder;

double PeakRSSMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void Download(long long Size, benchmark::State &State)
{
    const QString path = Folder->path() + QStringLiteral("/ours.bin");
    THTTPFileDownloader downloader(Server->URL(Size), path);
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
        const int code = QProcess::execute(curl, {QStringLiteral("-s"), QStringLiteral("--noproxy"), QStringLiteral("*"),
                                                  QStringLiteral("-o"), path, Server->URL(BodySize)});
        if (code != 0 || QFile(path).size() != BodySize)
            State.SkipWithError("curl failed");
        QFile::remove(path);
    }
    State.SetBytesProcessed(State.iterations() * BodySize);
}

// Keeps the median real time of each benchmark while printing as usual.
class TMedianReporter : public benchmark::ConsoleReporter
{
public:
    // Without colours, so that every figure line starts with "figure:".
    TMedianReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run> &Runs) override
    {
        for (const Run &run : Runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                Medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(Runs);
    }
    std::map<std::string, double> Medians;
};

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
    TBodyServer server;
    QTemporaryDir folder;
    Server = &server;
    Folder = &folder;

    // Memory after a small download, to show the peak does not grow with the body.
    {
        THTTPFileDownloader warmUp(server.URL(SmallBodySize), folder.path() + QStringLiteral("/small.bin"));
        warmUp.Start(true);
        QFile::remove(warmUp.FilePath());
    }
    const double smallPeak = PeakRSSMegabytes();

    TMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double ours = reporter.Medians["BM_Downloader"];
    const double curl = reporter.Medians["BM_CurlTool"];
    if (ours > 0 && curl > 0) {
        // Same body, so the throughput ratio is curl's time over ours.
        std::printf("figure: http.download_vs_curl_ratio %.3f x\n", curl / ours);
        std::printf("figure: http.download_mb_per_s %.1f MB/s\n", BodySize / 1048576.0 / (ours / 1000.0));
        std::printf("figure: http.curl_mb_per_s %.1f MB/s\n", BodySize / 1048576.0 / (curl / 1000.0));
    }
    std::printf("figure: http.download_peak_rss_mb %.1f MB\n", PeakRSSMegabytes());
    std::printf("figure: http.download_peak_rss_after_20mb_mb %.1f MB\n", smallPeak);
    benchmark::Shutdown();
    return 0;
}
