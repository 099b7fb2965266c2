#include "playback/AudioTestSupport.h"

#include "support/TestHTTPServer.h"

#include <QFile>

#include <httplib.h>

#include <chrono>
#include <thread>

QString AudioFixture(const char *Name)
{
    return QStringLiteral(MARVANE_AUDIO_FIXTURES "/") + QString::fromUtf8(Name);
}

QByteArray ReadAudioFixture(const char *Name)
{
    QFile file(AudioFixture(Name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct TAudioTestServer::TImpl
{
    TTestHTTPServer Server;
};

namespace {
// Sends data at Block bytes per Pause from where the provider is asked
// (cpp-httplib starts a range request at the range's start).
httplib::ContentProvider Throttled(
    std::string Data, std::size_t Block, std::chrono::milliseconds Pause, std::atomic<std::size_t> &Sent)
{
    return
        [Data = std::move(Data), Block, Pause, &Sent](std::size_t Offset, std::size_t Length, httplib::DataSink &Sink) {
            std::this_thread::sleep_for(Pause);
            const std::size_t count = std::min({Block, Length, Data.size() - Offset});
            if (!Sink.write(Data.data() + Offset, count))
                return false;
            Sent += count;
            return true;
        };
}
} // namespace

TAudioTestServer::TAudioTestServer() : FImpl(std::make_unique<TImpl>())
{
    auto &server = FImpl->Server.Routes();
    for (const char *name : {"tone1s.mp3", "tone2s.mp3", "tone10s.mp3", "vbr4s.mp3", "corrupt.mp3", "picture.mp3"}) {
        const std::string data = ReadAudioFixture(name).toStdString();
        const std::string path = std::string("/") + name;
        server.Get(path, [data](const httplib::Request &, httplib::Response &Response) {
            Response.set_content(data, "audio/mpeg");
        });
        server.Get("/redirect" + path,
            [path](const httplib::Request &, httplib::Response &Response) { Response.set_redirect(path); });
        server.Get("/huge" + path, [data](const httplib::Request &, httplib::Response &Response) {
            Response.set_content_provider(
                HugeSize, "audio/mpeg", [data](std::size_t Offset, std::size_t Length, httplib::DataSink &Sink) {
                    if (Offset >= data.size())
                        return false; // drops the connection
                    Sink.write(data.data() + Offset, std::min(Length, data.size() - Offset));
                    return true;
                });
        });
        server.Get("/endless" + path, [data](const httplib::Request &, httplib::Response &Response) {
            Response.set_content_provider(
                HugeSize, "audio/mpeg", [data](std::size_t Offset, std::size_t Length, httplib::DataSink &Sink) {
                    const std::size_t from = Offset % data.size();
                    return Sink.write(data.data() + from, std::min(Length, data.size() - from));
                });
        });
        server.Get("/cut" + path, [data](const httplib::Request &, httplib::Response &Response) {
            const std::size_t half = data.size() / 2;
            Response.set_content_provider(data.size(), "audio/mpeg",
                [data, half](std::size_t Offset, std::size_t Length, httplib::DataSink &Sink) {
                    if (Offset >= half)
                        return false; // drops the connection
                    Sink.write(data.data() + Offset, std::min(Length, half - Offset));
                    return true;
                });
        });
        server.Get("/chunked" + path, [data](const httplib::Request &, httplib::Response &Response) {
            Response.set_chunked_content_provider("audio/mpeg", [data](std::size_t Offset, httplib::DataSink &Sink) {
                const std::size_t count = std::min<std::size_t>(4096, data.size() - Offset);
                if (!Sink.write(data.data() + Offset, count))
                    return false;
                if (Offset + count == data.size())
                    Sink.done();
                return true;
            });
        });
        server.Get("/slow" + path, [this, data](const httplib::Request &, httplib::Response &Response) {
            Response.set_content_provider(
                data.size(), "audio/mpeg", Throttled(data, 1024, std::chrono::milliseconds(5), FThrottledBytesSent));
        });
        server.Get("/crawl" + path, [this, data](const httplib::Request &, httplib::Response &Response) {
            Response.set_content_provider(
                data.size(), "audio/mpeg", Throttled(data, 1000, std::chrono::milliseconds(50), FThrottledBytesSent));
        });
        server.Get("/trickle" + path, [data](const httplib::Request &, httplib::Response &Response) {
            Response.set_content_provider(
                data.size(), "audio/mpeg", [data](std::size_t Offset, std::size_t, httplib::DataSink &Sink) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                    return Sink.write(data.data() + Offset, 1);
                });
        });
    }
    FImpl->Server.Start();
}

TAudioTestServer::~TAudioTestServer() = default;

QString TAudioTestServer::URL(const QString &Path) const
{
    return FImpl->Server.URL(u'/' + Path);
}

std::vector<std::string> TAudioTestServer::Ranges() const
{
    std::vector<std::string> ranges;
    for (const TRecordedRequest &request : FImpl->Server.Requests())
        if (request.HasHeader("Range"))
            ranges.push_back(request.Header("Range"));
    return ranges;
}

TAudioSinkOverride::TAudioSinkOverride(const QByteArray &Description) : FSaved(qgetenv("MARVANE_AUDIO_SINK"))
{
    qputenv("MARVANE_AUDIO_SINK", Description);
}

TAudioSinkOverride::~TAudioSinkOverride()
{
    qputenv("MARVANE_AUDIO_SINK", FSaved);
}
