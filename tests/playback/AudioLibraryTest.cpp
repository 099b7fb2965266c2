#include "playback/AudioLibraryUnit.h"
#include "playback/AudioTestSupport.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

using namespace AudioLibrary;

namespace {

constexpr std::int64_t BytesPerSecond = 44100 * 4;

// What the library's callbacks saw; the callbacks are plain procedures.
struct TCallbackLog
{
    std::mutex Lock;
    std::int64_t Downloaded = 0;
    int Blocks = 0;
    bool DownloadEnded = false;
    std::atomic<int> Ends {0};
    std::atomic<bool> EndOnInterfaceThread {false};
    THandle EndedChannel = 0;
    std::uint32_t User = 0;
} GLog;

void RecordBlock(const void *Buffer, std::uint32_t Length, std::uint32_t User)
{
    std::lock_guard guard(GLog.Lock);
    GLog.User = User;
    if (Buffer) {
        GLog.Downloaded += Length;
        ++GLog.Blocks;
    } else {
        GLog.DownloadEnded = true;
    }
}

// A download procedure that takes its time: the download thread is often
// between handing a block over and feeding it to the decoder.
void RecordBlockSlowly(const void *Buffer, std::uint32_t Length, std::uint32_t User)
{
    RecordBlock(Buffer, Length, User);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void RecordEnd(THandle, THandle Channel, std::uint32_t, std::uint32_t)
{
    GLog.EndOnInterfaceThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    {
        std::lock_guard guard(GLog.Lock);
        GLog.EndedChannel = Channel;
    }
    ++GLog.Ends;
}

class AudioLibraryTest : public ::testing::Test
{
protected:
    explicit AudioLibraryTest(const char *Sink = FastSink) : FSink(Sink) { }
    void SetUp() override
    {
        ResetLog();
        ASSERT_TRUE(Init());
    }
    void TearDown() override { Free(); }

    static void ResetLog()
    {
        {
            std::lock_guard guard(GLog.Lock);
            GLog.Downloaded = 0;
            GLog.Blocks = 0;
            GLog.DownloadEnded = false;
            GLog.EndedChannel = 0;
        }
        GLog.Ends = 0;
    }

    TAudioSinkOverride FSink;
};

TEST_F(AudioLibraryTest, OpensFilesAtAnyPathAndRefusesWhatItCannotDecode)
{
    QTemporaryDir dir;
    const QString cyrillic = dir.path() + QStringLiteral("/Музыка/Песня №1 — тест.mp3");
    QDir().mkpath(QFileInfo(cyrillic).path());
    ASSERT_TRUE(QFile::copy(AudioFixture("tone1s.mp3"), cyrillic));

    const struct
    {
        QString Path;
        bool Opens;
    } cases[] = {
        {AudioFixture("tone1s.mp3"), true},
        {cyrillic, true},
        {AudioFixture("corrupt.mp3"), false},
        {AudioFixture("picture.mp3"), false}, // a picture prerolls too, with no sound
        {dir.path() + QStringLiteral("/missing.mp3"), false},
        {QString(), false},
    };
    for (const auto &c : cases) {
        const THandle channel = StreamCreateFile(c.Path);
        EXPECT_EQ(channel != 0, c.Opens) << c.Path.toStdString();
        if (channel) {
            EXPECT_NEAR(static_cast<double>(ChannelGetLength(channel)), BytesPerSecond, BytesPerSecond * 0.1);
            EXPECT_EQ(ChannelGetPosition(channel), 0);
            EXPECT_TRUE(StreamFree(channel));
            EXPECT_EQ(ChannelGetLength(channel), -1) << "a freed handle is not used again";
        }
    }
}

TEST_F(AudioLibraryTest, ARelativePathIsTakenFromTheCurrentFolder)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QFileInfo(AudioFixture("tone1s.mp3")).path()));
    const THandle channel = StreamCreateFile(QStringLiteral("tone1s.mp3"));
    const THandle nested = StreamCreateFile(QStringLiteral("../fixtures/tone1s.mp3"));
    QDir::setCurrent(saved);
    EXPECT_NE(channel, 0u);
    EXPECT_NE(nested, 0u);
    StreamFree(channel);
    StreamFree(nested);
}

TEST_F(AudioLibraryTest, PlaysAFileToItsEndAndReportsTheEndOnItsOwnThread)
{
    const THandle channel = StreamCreateFile(AudioFixture("tone2s.mp3"));
    ASSERT_NE(channel, 0u);
    ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
    ASSERT_TRUE(ChannelPlay(channel));
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
    EXPECT_FALSE(GLog.EndOnInterfaceThread);
    EXPECT_EQ(GLog.EndedChannel, channel);
    EXPECT_EQ(ChannelGetPosition(channel), ChannelGetLength(channel)) << "the whole stream was played";
    EXPECT_NEAR(static_cast<double>(ChannelGetLength(channel)), 2.0 * BytesPerSecond, BytesPerSecond * 0.1);
    EXPECT_TRUE(StreamFree(channel));
}

TEST_F(AudioLibraryTest, ConvertsBytesAndSecondsAndSeeksOnlyInsideTheStream)
{
    const THandle channel = StreamCreateFile(AudioFixture("tone2s.mp3"));
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(ChannelSeconds2Bytes(channel, 1.0), BytesPerSecond);
    EXPECT_DOUBLE_EQ(ChannelBytes2Seconds(channel, BytesPerSecond / 2), 0.5);
    EXPECT_EQ(ChannelSeconds2Bytes(0, 1.0), -1) << "no such stream";

    const std::int64_t length = ChannelGetLength(channel);
    EXPECT_FALSE(ChannelSetPosition(channel, length));
    EXPECT_FALSE(ChannelSetPosition(channel, -4));
    ASSERT_TRUE(ChannelSetPosition(channel, BytesPerSecond));
    EXPECT_TRUE(TestEnvironment::WaitFor(
        [&] { return std::abs(ChannelGetPosition(channel) - BytesPerSecond) < BytesPerSecond / 10; }));
    ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
    ASSERT_TRUE(ChannelPlay(channel));
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
    EXPECT_EQ(ChannelGetPosition(channel), ChannelGetLength(channel));
    StreamFree(channel);
}

// A variable rate without a header that gives the length: the length is not
// known until the whole file has been read, yet a seek must not be refused.
TEST_F(AudioLibraryTest, SeeksWhileTheLengthIsNotKnownYet)
{
    TAudioTestServer server;
    const THandle file = StreamCreateFile(AudioFixture("vbr4s.mp3"));
    const THandle url = StreamCreateURL(server.URL(QStringLiteral("crawl/vbr4s.mp3")), &RecordBlock, 0);
    for (const THandle channel : {file, url}) {
        ASSERT_NE(channel, 0u);
        ASSERT_TRUE(ChannelSetPosition(channel, 2 * BytesPerSecond));
        EXPECT_TRUE(TestEnvironment::WaitFor([&] {
            return std::abs(ChannelGetPosition(channel) - 2 * BytesPerSecond) < BytesPerSecond / 10;
        })) << ChannelGetPosition(channel);
        StreamFree(channel);
    }
}

TEST_F(AudioLibraryTest, URLStreamHandsOverEveryDownloadedBlockAndTheFileSize)
{
    TAudioTestServer server;
    const qint64 size = ReadAudioFixture("tone2s.mp3").size();
    for (const QString &path : {QStringLiteral("tone2s.mp3"), QStringLiteral("redirect/tone2s.mp3")}) {
        ResetLog();
        const THandle channel = StreamCreateURL(server.URL(path), &RecordBlock, 77);
        ASSERT_NE(channel, 0u) << path.toStdString();
        EXPECT_EQ(StreamGetFilePosition(channel, TFilePosition::fpStart), 0);
        EXPECT_EQ(StreamGetFilePosition(channel, TFilePosition::fpEnd), size);
        ASSERT_TRUE(TestEnvironment::WaitFor([] {
            std::lock_guard guard(GLog.Lock);
            return GLog.DownloadEnded;
        }));
        {
            std::lock_guard guard(GLog.Lock);
            EXPECT_EQ(GLog.Downloaded, size);
            EXPECT_GE(GLog.Blocks, 1);
            EXPECT_EQ(GLog.User, 77u);
        }
        ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
        ASSERT_TRUE(ChannelPlay(channel));
        ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
        EXPECT_EQ(ChannelGetPosition(channel), ChannelGetLength(channel));
        StreamFree(channel);
    }
}

TEST_F(AudioLibraryTest, URLStreamsThatCannotBeOpenedGiveNoHandle)
{
    TAudioTestServer server;
    for (const QString &url : {server.URL(QStringLiteral("missing.mp3")), server.URL(QStringLiteral("corrupt.mp3")),
             server.URL(QStringLiteral("picture.mp3")), QStringLiteral("http://127.0.0.1:1/refused.mp3"),
             QStringLiteral("ftp://127.0.0.1/tone.mp3")})
        EXPECT_EQ(StreamCreateURL(url, &RecordBlock, 0), 0u) << url.toStdString();
}

// What a browser plays: a body ended by its last chunk, or by the server
// closing the connection.
TEST_F(AudioLibraryTest, URLStreamsWithoutASizePlayToTheirEnd)
{
    TAudioTestServer server;
    const QByteArray data = ReadAudioFixture("tone1s.mp3");
    TRawTestServer closing([&](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
        Connection.Send(TRawTestServer::Head(200, "OK", -1, {"Content-Type: audio/mpeg"}));
        Connection.Send(std::string_view(data.constData(), static_cast<std::size_t>(data.size())));
    });
    for (const QString &url :
        {server.URL(QStringLiteral("chunked/tone1s.mp3")), closing.URL(QStringLiteral("/tone1s.mp3"))}) {
        ResetLog();
        const THandle channel = StreamCreateURL(url, &RecordBlock, 0);
        ASSERT_NE(channel, 0u) << url.toStdString();
        EXPECT_EQ(StreamGetFilePosition(channel, TFilePosition::fpEnd), 0) << "no size known";
        ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
        ASSERT_TRUE(ChannelPlay(channel));
        ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; })) << url.toStdString();
        EXPECT_EQ(ChannelGetPosition(channel), ChannelGetLength(channel)) << url.toStdString();
        EXPECT_NEAR(static_cast<double>(ChannelGetLength(channel)), BytesPerSecond, BytesPerSecond * 0.1);
        {
            std::lock_guard guard(GLog.Lock);
            EXPECT_EQ(GLog.Downloaded, data.size());
        }
        StreamFree(channel);
    }
}

// A server without a size that holds the second half of the file back until
// told: the length is unknown (not 0) until the whole file is in, then the
// real one, and seeks are taken all along, as on any other stream. A constant
// rate with a Xing header and a variable rate, chunked and ended by closing.
TEST_F(AudioLibraryTest, URLStreamsWithoutASizeKnowTheirLengthOnceWholeAndSeek)
{
    constexpr auto HoldDeadline = std::chrono::seconds(10);
    const std::pair<const char *, double> files[] = {{"tone2s.mp3", 2.0}, {"vbr4s.mp3", 4.0}};
    for (const auto &[name, seconds] : files) {
        const QByteArray data = ReadAudioFixture(name);
        const std::string firstHalf(data.constData(), static_cast<std::size_t>(data.size() / 2));
        const std::string secondHalf(
            data.constData() + data.size() / 2, static_cast<std::size_t>(data.size() - data.size() / 2));
        for (const bool chunked : {true, false}) {
            const std::string context = std::string(name) + (chunked ? " chunked" : " ended by closing");
            std::promise<void> release;
            const std::shared_future<void> released = release.get_future().share();
            TTestHTTPServer chunkedServer;
            chunkedServer.Routes().Get("/held.mp3", [&](const httplib::Request &, httplib::Response &Response) {
                Response.set_chunked_content_provider("audio/mpeg", [&](std::size_t, httplib::DataSink &Sink) {
                    Sink.write(firstHalf.data(), firstHalf.size());
                    released.wait_for(HoldDeadline);
                    Sink.write(secondHalf.data(), secondHalf.size());
                    Sink.done();
                    return true;
                });
            });
            chunkedServer.Start();
            TRawTestServer closingServer([&](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
                Connection.Send(TRawTestServer::Head(200, "OK", -1, {"Content-Type: audio/mpeg"}));
                Connection.Send(firstHalf);
                released.wait_for(HoldDeadline);
                Connection.Send(secondHalf);
            });
            const QString url = chunked ? chunkedServer.URL(QStringLiteral("/held.mp3"))
                                        : closingServer.URL(QStringLiteral("/held.mp3"));

            ResetLog();
            const THandle channel = StreamCreateURL(url, &RecordBlock, 0);
            ASSERT_NE(channel, 0u) << context;
            EXPECT_EQ(ChannelGetLength(channel), -1) << context << ": unknown while half the file is in";
            const auto isNear = [channel](std::int64_t Target) {
                return TestEnvironment::WaitFor(
                    [&] { return std::abs(ChannelGetPosition(channel) - Target) < BytesPerSecond / 10; });
            };
            ASSERT_TRUE(ChannelSetPosition(channel, BytesPerSecond / 2)) << context;
            EXPECT_TRUE(isNear(BytesPerSecond / 2)) << context;

            release.set_value();
            ASSERT_TRUE(TestEnvironment::WaitFor([] {
                std::lock_guard guard(GLog.Lock);
                return GLog.DownloadEnded;
            })) << context;
            const auto whole = static_cast<std::int64_t>(seconds * BytesPerSecond);
            EXPECT_NEAR(static_cast<double>(ChannelGetLength(channel)), whole, whole * 0.1) << context;
            ASSERT_TRUE(ChannelSetPosition(channel, whole - BytesPerSecond / 2)) << context;
            EXPECT_TRUE(isNear(whole - BytesPerSecond / 2)) << context;

            ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
            ASSERT_TRUE(ChannelPlay(channel));
            ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; })) << context;
            EXPECT_EQ(ChannelGetPosition(channel), ChannelGetLength(channel)) << context;
            StreamFree(channel);
        }
    }
}

// A connection runs on its own thread, as a track player runs it.
std::future<THandle> ConnectInBackground(const QString &URL, TConnectionAbort *Abort = nullptr)
{
    return std::async(std::launch::async, [URL, Abort] { return StreamCreateURL(URL, &RecordBlock, 0, Abort); });
}

bool Ready(const std::future<THandle> &Result)
{
    return Result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// Well inside the default net time-out of 10 s: an abort that only took
// effect at the time-out would miss these deadlines.
constexpr auto PromptDeadline = std::chrono::seconds(3);

TEST_F(AudioLibraryTest, AnAbortEndsAConnectionUnderWayAtOnce)
{
    TAudioTestServer server;
    std::atomic<bool> peerGone {false};
    TRawTestServer silent([&](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
        Connection.Stall();
        peerGone = true;
    });
    for (const QString &url :
        {silent.URL(QStringLiteral("/tone1s.mp3")), server.URL(QStringLiteral("trickle/tone1s.mp3"))}) {
        TConnectionAbort abort;
        auto result = ConnectInBackground(url, &abort);
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !silent.Requests().empty(); }));
        abort.Abort();
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return Ready(result); }, PromptDeadline)) << url.toStdString();
        EXPECT_EQ(result.get(), 0u) << url.toStdString();
    }
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return peerGone.load(); }, PromptDeadline))
        << "the connection was closed";

    TConnectionAbort early;
    early.Abort();
    EXPECT_EQ(StreamCreateURL(server.URL(QStringLiteral("tone1s.mp3")), &RecordBlock, 0, &early), 0u)
        << "aborted before it began";
}

TEST_F(AudioLibraryTest, AConnectionWithoutRealProgressFailsAfterTheNetTimeOut)
{
    TAudioTestServer server;
    TRawTestServer silent(
        [](const TRecordedRequest &, TRawTestServer::TConnection &Connection) { Connection.Stall(); });
    ASSERT_TRUE(SetConfig(TConfigOption::coNetTimeout, 1000));
    for (const QString &url :
        {silent.URL(QStringLiteral("/tone1s.mp3")), server.URL(QStringLiteral("trickle/tone1s.mp3"))}) {
        auto result = ConnectInBackground(url);
        EXPECT_TRUE(TestEnvironment::WaitFor([&] { return Ready(result); }, PromptDeadline)) << url.toStdString();
        EXPECT_EQ(result.get(), 0u) << url.toStdString();
    }
    SetConfig(TConfigOption::coNetTimeout, 10000);
}

// The download thread hands blocks to the decoder's source until the very
// moment it is stopped; freeing must wait for it before the source goes.
int OpenFiles()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// A player goes through thousands of streams in a session: each one played
// to its end and freed must give back every file and socket it opened.
TEST_F(AudioLibraryTest, StreamsPlayedToTheirEndAndFreedLeaveNothingOpen)
{
    TAudioTestServer server;
    const auto playOnce = [](THandle Channel) {
        ASSERT_NE(Channel, 0u);
        GLog.Ends = 0;
        ASSERT_NE(ChannelSetSyncEnd(Channel, &RecordEnd, 0), 0u);
        ASSERT_TRUE(ChannelPlay(Channel));
        ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
        EXPECT_TRUE(StreamFree(Channel));
    };
    const std::pair<const char *, std::function<THandle()>> kinds[] = {
        {"file", [] { return StreamCreateFile(AudioFixture("tone1s.mp3")); }},
        {"URL", [&] { return StreamCreateURL(server.URL(QStringLiteral("tone1s.mp3")), &RecordBlock, 0); }},
    };
    for (const auto &[kind, open] : kinds) {
        playOnce(open()); // whatever is made once and kept
        const int before = OpenFiles();
        for (int i = 0; i < 10; ++i)
            playOnce(open());
        // The server's end of a connection may close a moment later.
        EXPECT_TRUE(TestEnvironment::WaitFor([&] { return OpenFiles() <= before; }))
            << kind << ": " << OpenFiles() - before << " left open by 10 streams";
    }
}

TEST_F(AudioLibraryTest, FreeingAStreamWhileItDownloadsIsSafe)
{
    TAudioTestServer server;
    for (int i = 0; i < 20; ++i) {
        ResetLog();
        const THandle channel
            = StreamCreateURL(server.URL(QStringLiteral("endless/tone2s.mp3")), &RecordBlockSlowly, 0);
        ASSERT_NE(channel, 0u);
        ASSERT_TRUE(ChannelPlay(channel));
        ASSERT_TRUE(TestEnvironment::WaitFor([] {
            std::lock_guard guard(GLog.Lock);
            return GLog.Blocks >= 20;
        }));
        EXPECT_TRUE(StreamFree(channel));
        std::lock_guard guard(GLog.Lock);
        EXPECT_FALSE(GLog.DownloadEnded) << "stopped, not ended";
    }
}

TEST_F(AudioLibraryTest, ASeekAheadOfTheDownloadFetchesFromThere)
{
    TAudioTestServer server;
    const auto size = static_cast<std::size_t>(ReadAudioFixture("tone10s.mp3").size());
    const THandle channel = StreamCreateURL(server.URL(QStringLiteral("crawl/tone10s.mp3")), &RecordBlock, 0);
    ASSERT_NE(channel, 0u);
    ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
    ASSERT_TRUE(ChannelSetPosition(channel, 8 * BytesPerSecond));
    ASSERT_TRUE(ChannelPlay(channel));
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
    EXPECT_EQ(ChannelGetPosition(channel), ChannelGetLength(channel)) << "played to its end";
    EXPECT_LT(server.ThrottledBytesSent(), size) << "the part before the seek point was never waited for";
    const auto ranges = server.Ranges();
    ASSERT_EQ(ranges.size(), 1u);
    const long long from = std::stoll(ranges[0].substr(std::string("bytes=").size()));
    EXPECT_GT(from, static_cast<long long>(size) * 6 / 10);
    {
        std::lock_guard guard(GLog.Lock);
        EXPECT_LT(GLog.Downloaded, static_cast<std::int64_t>(size)) << "only what was received is reported";
    }
    StreamFree(channel);
}

// A server that ignores ranges sends the file from its start again; the
// decoder must still get each byte at its own place.
TEST_F(AudioLibraryTest, ASeekAheadOnAServerThatIgnoresRangesStillPlaysRight)
{
    const QByteArray data = ReadAudioFixture("tone10s.mp3");
    TRawTestServer server([&](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
        if (!Connection.Send(TRawTestServer::Head(200, "OK", data.size(), {"Content-Type: audio/mpeg"})))
            return;
        for (qsizetype offset = 0; offset < data.size(); offset += 4000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (!Connection.Send(std::string_view(data.constData() + offset,
                    static_cast<std::size_t>(std::min<qsizetype>(4000, data.size() - offset)))))
                return;
        }
    });
    const THandle channel = StreamCreateURL(server.URL(QStringLiteral("/tone10s.mp3")), &RecordBlock, 0);
    ASSERT_NE(channel, 0u);
    ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
    ASSERT_TRUE(ChannelSetPosition(channel, 8 * BytesPerSecond));
    ASSERT_TRUE(ChannelPlay(channel));
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
    EXPECT_EQ(ChannelGetPosition(channel), ChannelGetLength(channel));
    EXPECT_NEAR(static_cast<double>(ChannelGetLength(channel)), 10.0 * BytesPerSecond, BytesPerSecond * 0.2);
    StreamFree(channel);
}

TEST_F(AudioLibraryTest, AnAnnouncedSizeBeyondMemoryStillPlaysWhatCame)
{
    TAudioTestServer server;
    const THandle channel = StreamCreateURL(server.URL(QStringLiteral("huge/tone1s.mp3")), &RecordBlock, 0);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(
        StreamGetFilePosition(channel, TFilePosition::fpEnd), static_cast<std::int64_t>(TAudioTestServer::HugeSize));
    ASSERT_TRUE(TestEnvironment::WaitFor([] {
        std::lock_guard guard(GLog.Lock);
        return GLog.DownloadEnded;
    }));
    {
        std::lock_guard guard(GLog.Lock);
        EXPECT_EQ(GLog.Downloaded, ReadAudioFixture("tone1s.mp3").size());
    }
    StreamFree(channel);
}

TEST_F(AudioLibraryTest, ADownloadCutShortEndsTheStreamBeforeItsLength)
{
    TAudioTestServer server;
    const THandle channel = StreamCreateURL(server.URL(QStringLiteral("cut/tone2s.mp3")), &RecordBlock, 0);
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(TestEnvironment::WaitFor([] {
        std::lock_guard guard(GLog.Lock);
        return GLog.DownloadEnded;
    }));
    EXPECT_FALSE(ChannelSetPosition(channel, ChannelSeconds2Bytes(channel, 1.8))) << "nothing came beyond the half";
    ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
    ASSERT_TRUE(ChannelPlay(channel));
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
    EXPECT_LT(ChannelGetPosition(channel), ChannelGetLength(channel));
    StreamFree(channel);
}

// The volume scales the sound itself: what reaches the output, written to a
// file as the raw samples, is a quarter as loud at a quarter of the volume.
TEST(AudioLibrary, TheVolumeScalesTheSoundThatReachesTheOutput)
{
    QTemporaryDir dir;
    const auto loudestSample = [&](float Volume) {
        const QString path = dir.filePath(QStringLiteral("volume-%1.raw").arg(Volume));
        int loudest = -1;
        {
            TAudioSinkOverride sink("filesink sync=false location=\"" + path.toUtf8() + '"');
            if (!Init())
                return loudest;
            const THandle channel = StreamCreateFile(AudioFixture("tone1s.mp3"));
            GLog.Ends = 0;
            if (channel != 0 && ChannelSetVolume(channel, Volume) && ChannelSetSyncEnd(channel, &RecordEnd, 0) != 0
                && ChannelPlay(channel))
                TestEnvironment::WaitFor([] { return GLog.Ends > 0; });
            StreamFree(channel);
            Free();
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return loudest;
        const QByteArray samples = file.readAll();
        for (qsizetype i = 0; i + 1 < samples.size(); i += 2) {
            const auto sample
                = static_cast<qint16>(static_cast<quint8>(samples[i]) | static_cast<quint8>(samples[i + 1]) << 8);
            loudest = std::max(loudest, std::abs(int(sample)));
        }
        return loudest;
    };
    const int full = loudestSample(1.0f);
    const int quarter = loudestSample(0.25f);
    ASSERT_GT(full, 1000) << "the tone was written";
    EXPECT_NEAR(quarter, full / 4.0, full * 0.02);
}

TEST(AudioLibrary, InitFailsWhenNoOutputCanBeOpened)
{
    TAudioSinkOverride sink("nosuchsink");
    EXPECT_FALSE(Init());
    EXPECT_EQ(StreamCreateFile(AudioFixture("tone1s.mp3")), 0u) << "nothing plays without an output";
}

} // namespace
