#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// Fixture tracks made at build time.
QString AudioFixture(const char *Name);
QByteArray ReadAudioFixture(const char *Name);

// Serves the fixture tracks over HTTP on 127.0.0.1:
//   /NAME            the file, with its size (ranges honoured);
//   /redirect/NAME   a redirect to /NAME;
//   /cut/NAME        announces NAME's size, sends half, closes;
//   /huge/NAME       announces HugeSize bytes, sends NAME, closes;
//   /endless/NAME    announces HugeSize bytes, sends NAME again and again;
//   /chunked/NAME    NAME chunked, with no size;
//   /slow/NAME       NAME with its size, 1 KiB every 5 ms (ranges honoured);
//   /crawl/NAME      NAME with its size at 20 kB/s (ranges honoured);
//   /trickle/NAME    announces NAME's size, then one byte every 100 ms;
//   anything else    404.
// NAME is one of tone1s.mp3, tone2s.mp3, tone10s.mp3, vbr4s.mp3, corrupt.mp3, picture.mp3.
class TAudioTestServer
{
public:
    // More than any machine can hold.
    static constexpr std::size_t HugeSize = std::size_t(1) << 42;

    TAudioTestServer();
    ~TAudioTestServer();
    QString URL(const QString &Path) const;
    // Body bytes the throttled routes (slow, crawl) have sent so far.
    std::size_t ThrottledBytesSent() const { return FThrottledBytesSent; }
    // The Range headers asked for, in order.
    std::vector<std::string> Ranges() const;

private:
    // Before the server, whose threads count into it until they have ended.
    std::atomic<std::size_t> FThrottledBytesSent {0};
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// Sets MARVANE_AUDIO_SINK for as long as it lives.
class TAudioSinkOverride
{
public:
    explicit TAudioSinkOverride(const QByteArray &Description);
    ~TAudioSinkOverride();

private:
    QByteArray FSaved;
};

// The null output in fast mode: plays as fast as decoding goes.
inline constexpr const char *FastSink = "fakesink sync=false";
