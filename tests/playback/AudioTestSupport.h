#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>

// Fixture tracks made at build time.
QString AudioFixture(const char *Name);
QByteArray ReadAudioFixture(const char *Name);

// Serves the fixture tracks over HTTP on 127.0.0.1:
//   /tone1s.mp3, /tone2s.mp3, /corrupt.mp3  the files, with their sizes;
//   /redirect/NAME                           a redirect to /NAME;
//   /cut/NAME                                announces NAME's size, sends half, closes;
//   /huge/NAME                               announces HugeSize bytes, sends NAME, closes;
//   anything else                            404.
class TAudioTestServer
{
public:
    // More than any machine can hold.
    static constexpr std::size_t HugeSize = std::size_t(1) << 42;

    TAudioTestServer();
    ~TAudioTestServer();
    QString URL(const QString &Path) const;

private:
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
