#include "playback/AudioLibraryUnit.h"
#include "playback/AudioTestSupport.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

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
    std::atomic<int> Ends{0};
    std::atomic<bool> EndOnInterfaceThread{false};
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
    explicit AudioLibraryTest(const char *Sink = FastSink) : FSink(Sink) {}
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
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return std::abs(ChannelGetPosition(channel) - BytesPerSecond) < BytesPerSecond / 10; }));
    ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
    ASSERT_TRUE(ChannelPlay(channel));
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
    EXPECT_EQ(ChannelGetPosition(channel), ChannelGetLength(channel));
    StreamFree(channel);
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
                               QStringLiteral("http://127.0.0.1:1/refused.mp3"), QStringLiteral("ftp://127.0.0.1/tone.mp3")})
        EXPECT_EQ(StreamCreateURL(url, &RecordBlock, 0), 0u) << url.toStdString();
}

TEST_F(AudioLibraryTest, AnAnnouncedSizeBeyondMemoryStillPlaysWhatCame)
{
    TAudioTestServer server;
    const THandle channel = StreamCreateURL(server.URL(QStringLiteral("huge/tone1s.mp3")), &RecordBlock, 0);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(StreamGetFilePosition(channel, TFilePosition::fpEnd), static_cast<std::int64_t>(TAudioTestServer::HugeSize));
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
    ASSERT_NE(ChannelSetSyncEnd(channel, &RecordEnd, 0), 0u);
    ASSERT_TRUE(ChannelPlay(channel));
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return GLog.Ends > 0; }));
    EXPECT_LT(ChannelGetPosition(channel), ChannelGetLength(channel));
    StreamFree(channel);
}

TEST(AudioLibrary, InitFailsWhenNoOutputCanBeOpened)
{
    TAudioSinkOverride sink("nosuchsink");
    EXPECT_FALSE(Init());
    EXPECT_EQ(StreamCreateFile(AudioFixture("tone1s.mp3")), 0u) << "nothing plays without an output";
}

} // namespace
