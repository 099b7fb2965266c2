#include "playback/AudioTestSupport.h"

#include "support/TestHTTPServer.h"

#include <QFile>

#include <httplib.h>

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

TAudioTestServer::TAudioTestServer() : FImpl(std::make_unique<TImpl>())
{
    auto &server = FImpl->Server.Routes();
    for (const char *name : {"tone1s.mp3", "tone2s.mp3", "corrupt.mp3"}) {
        const std::string data = ReadAudioFixture(name).toStdString();
        const std::string path = std::string("/") + name;
        server.Get(path, [data](const httplib::Request &, httplib::Response &Response) {
            Response.set_content(data, "audio/mpeg");
        });
        server.Get("/redirect" + path, [path](const httplib::Request &, httplib::Response &Response) {
            Response.set_redirect(path);
        });
        server.Get("/huge" + path, [data](const httplib::Request &, httplib::Response &Response) {
            Response.set_content_provider(HugeSize, "audio/mpeg", [data](std::size_t Offset, std::size_t Length, httplib::DataSink &Sink) {
                if (Offset >= data.size())
                    return false; // drops the connection
                Sink.write(data.data() + Offset, std::min(Length, data.size() - Offset));
                return true;
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
    }
    FImpl->Server.Start();
}

TAudioTestServer::~TAudioTestServer() = default;

QString TAudioTestServer::URL(const QString &Path) const
{
    return FImpl->Server.URL(u'/' + Path);
}

TAudioSinkOverride::TAudioSinkOverride(const QByteArray &Description) : FSaved(qgetenv("MARVANE_AUDIO_SINK"))
{
    qputenv("MARVANE_AUDIO_SINK", Description);
}

TAudioSinkOverride::~TAudioSinkOverride()
{
    qputenv("MARVANE_AUDIO_SINK", FSaved);
}
