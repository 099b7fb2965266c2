#include "app/globals/TGlobalObjectsUnit.h"
#include "playback/AudioLibraryUnit.h"
#include "playback/AudioTestSupport.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "playback/TPlaybackOrderUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"
#include "tracks/records/QelmTypesUnit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <gtest/gtest.h>

#include <atomic>

namespace {

// Every event of the global player, in order, with what it showed.
struct TEventLog
{
    struct TEntry
    {
        std::string Name;
        int Value; // position, percent, or the current playlist index
        qint64 At;
    };
    std::vector<TEntry> Entries;
    QElapsedTimer Clock;

    int Count(const std::string &Name) const
    {
        return static_cast<int>(
            std::count_if(Entries.begin(), Entries.end(), [&](const TEntry &e) { return e.Name == Name; }));
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto &e : Entries)
            names.push_back(e.Name);
        return names;
    }
    std::vector<int> Values(const std::string &Name) const
    {
        std::vector<int> values;
        for (const auto &e : Entries)
            if (e.Name == Name)
                values.push_back(e.Value);
        return values;
    }
};

class AudioPlayerTest : public ::testing::Test
{
protected:
    explicit AudioPlayerTest(const char *Sink = FastSink) : FSink(Sink) { }

    void SetUp() override
    {
        FGlobals = std::make_unique<TGlobalObjects>();
        FLog.Clock.start();
        auto record = [this](const char *Name) {
            return [this, Name](TObject *Sender) {
                EXPECT_EQ(Sender, AudioPlayer);
                const bool position = std::string(Name) == "position";
                FLog.Entries.push_back(
                    {Name, position ? AudioPlayer->PlayingPosition() : AudioPlayer->CurrentPlaylistIndex(),
                        FLog.Clock.elapsed()});
            };
        };
        AudioPlayer->OnStartPlayingURL = record("url");
        AudioPlayer->OnStartPlayingLocalFile = record("file");
        AudioPlayer->OnStop = record("stop");
        AudioPlayer->OnPlayingPositionChange = record("position");
        AudioPlayer->OnPause = record("pause");
        AudioPlayer->OnResume = record("resume");
        AudioPlayer->OnConnectionStart = record("connect");
        AudioPlayer->OnConnectionError = record("error");
        AudioPlayer->OnDownloadProgress = [this](TObject *, std::uint8_t Percent) {
            FLog.Entries.push_back({"progress", Percent, FLog.Clock.elapsed()});
        };
    }

    void TearDown() override
    {
        FGlobals.reset();
        TVKAudioPlaylistItem::SetURLRequester({});
    }

    bool WaitForEvent(const std::string &Name, int Count = 1)
    {
        return TestEnvironment::WaitFor([&] { return FLog.Count(Name) >= Count; });
    }

    static std::unique_ptr<TVKAudioPlaylistItem> VKItem(int AID, const QString &URL)
    {
        TVKAudioRecord record;
        record.AID = AID;
        record.Title = QStringLiteral("Track %1").arg(AID);
        record.URL = URL;
        return std::make_unique<TVKAudioPlaylistItem>(record);
    }
    static std::unique_ptr<TLocalVKAudioPlaylistItem> LocalItem(int AID, const QString &FilePath)
    {
        TSavedTrackRecord record;
        record.AID = AID;
        record.Title = QStringLiteral("Saved %1").arg(AID);
        record.FilePath = FilePath;
        return std::make_unique<TLocalVKAudioPlaylistItem>(record);
    }
    void PlayList(std::uint32_t Tag, std::vector<std::unique_ptr<TCustomPlaylistItem>> Items)
    {
        TAudioPlaylist list;
        list.Tag = Tag;
        for (auto &item : Items)
            list.Add(std::move(item));
        AudioPlayer->SetPlaylist(&list);
        AudioPlayer->PlayFirst();
    }

    TAudioSinkOverride FSink;
    std::unique_ptr<TGlobalObjects> FGlobals;
    TEventLog FLog;
};

// The null output playing in real time, for what depends on the clock.
class AudioPlayerRealTimeTest : public AudioPlayerTest
{
protected:
    AudioPlayerRealTimeTest() : AudioPlayerTest("fakesink") { }
};

template<class... T> std::vector<std::unique_ptr<TCustomPlaylistItem>> Items(std::unique_ptr<T>... Item)
{
    std::vector<std::unique_ptr<TCustomPlaylistItem>> items;
    (items.push_back(std::move(Item)), ...);
    return items;
}

TEST_F(AudioPlayerRealTimeTest, LocalFilePlaysReportsItsPositionEverySecondAndMovesOn)
{
    PlayList(1, Items(LocalItem(1, AudioFixture("tone2s.mp3")), LocalItem(2, AudioFixture("tone1s.mp3"))));
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psPlaying);
    ASSERT_TRUE(WaitForEvent("file", 2));
    const auto names = FLog.Names();
    ASSERT_EQ(names.front(), "file");
    EXPECT_EQ(FLog.Entries.front().Value, 0);
    const auto positions = FLog.Values("position");
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 1);
    for (std::size_t i = 1; i < positions.size(); ++i)
        EXPECT_EQ(positions[i], positions[i - 1] + 1);
    for (const auto &e : FLog.Entries) {
        if (e.Name == "position") {
            EXPECT_GE(e.At, 900) << "the first report comes after a second";
        }
    }
    EXPECT_EQ(FLog.Entries.back().Value, 1) << "the next track is the second item";
    EXPECT_EQ(AudioPlayer->CurrentPlaylistIndex(), 1);
}

TEST_F(AudioPlayerTest, URLTrackConnectsPlaysDownloadsFullyAndMovesOn)
{
    TAudioTestServer server;
    PlayList(1,
        Items(VKItem(1, server.URL(QStringLiteral("tone2s.mp3"))),
            VKItem(2, server.URL(QStringLiteral("redirect/tone1s.mp3")))));
    ASSERT_TRUE(WaitForEvent("url", 2));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] {
        const auto percents = FLog.Values("progress");
        return std::count(percents.begin(), percents.end(), 100) >= 2;
    }));
    const auto names = FLog.Names();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "connect");
    EXPECT_EQ(FLog.Entries[0].Value, 0) << "the requested item is current once connecting";
    EXPECT_EQ(names[1], "url");
    EXPECT_EQ(FLog.Entries[1].Value, 0);
    const auto second
        = std::find_if(FLog.Entries.begin() + 2, FLog.Entries.end(), [](const auto &e) { return e.Name == "connect"; });
    ASSERT_NE(second, FLog.Entries.end());
    EXPECT_EQ(second->Value, 1);
    for (const auto &e : FLog.Entries) {
        if (e.Name == "progress") {
            EXPECT_GT(e.Value, 0);
            EXPECT_LE(e.Value, 100);
        }
    }
}

TEST_F(AudioPlayerTest, EndOfTrackAdvancesOrWithRepeatReplays)
{
    for (const bool repeat : {false, true}) {
        FLog.Entries.clear();
        AudioPlayer->PlaybackOrder()->SetIsRepeat(repeat);
        PlayList(repeat ? 3 : 2,
            Items(LocalItem(1, AudioFixture("tone1s.mp3")), LocalItem(2, AudioFixture("tone1s.mp3")),
                LocalItem(3, AudioFixture("tone1s.mp3"))));
        ASSERT_TRUE(WaitForEvent("file", 4));
        const auto indexes = FLog.Values("file");
        const std::vector<int> expected = repeat ? std::vector<int> {0, 0, 0, 0} : std::vector<int> {0, 1, 2, 0};
        EXPECT_EQ(std::vector<int>(indexes.begin(), indexes.begin() + 4), expected) << "repeat " << repeat;
        EXPECT_EQ(FLog.Count("stop"), 0) << "tracks follow each other without a stop";
        if (repeat) {
            AudioPlayer->Next();
            EXPECT_EQ(AudioPlayer->CurrentPlaylistIndex(), 1) << "Next still moves under repeat";
        }
        AudioPlayer->Stop();
    }
}

TEST_F(AudioPlayerTest, ConnectionsThatFailEndInAConnectionError)
{
    TAudioTestServer server;
    for (const QString &url :
        {server.URL(QStringLiteral("missing.mp3")), QStringLiteral("http://127.0.0.1:1/refused.mp3"),
            server.URL(QStringLiteral("corrupt.mp3")), server.URL(QStringLiteral("picture.mp3"))}) {
        FLog.Entries.clear();
        PlayList(static_cast<std::uint32_t>(10 + FLog.Clock.elapsed()), Items(VKItem(1, url)));
        ASSERT_TRUE(WaitForEvent("error")) << url.toStdString();
        EXPECT_EQ(FLog.Names(), (std::vector<std::string> {"connect", "error"})) << url.toStdString();
        EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psStopped);
        EXPECT_EQ(AudioPlayer->CurrentPlaylistItem(), nullptr);
        EXPECT_EQ(AudioPlayer->Channel(), 0u);
    }
}

TEST_F(AudioPlayerTest, AFileThatCannotBeOpenedStopsWithNotice)
{
    // A picture named as an MP3 opens as a picture, with no sound to play.
    for (const char *name : {"corrupt.mp3", "picture.mp3"}) {
        FLog.Entries.clear();
        PlayList(static_cast<std::uint32_t>(name[0]),
            Items(LocalItem(1, AudioFixture("tone1s.mp3")), LocalItem(2, AudioFixture(name))));
        AudioPlayer->Pause();
        AudioPlayer->Next();
        EXPECT_EQ(FLog.Names(), (std::vector<std::string> {"file", "pause", "stop"})) << name;
        EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psStopped);
        EXPECT_EQ(AudioPlayer->CurrentPlaylistItem(), nullptr);
        EXPECT_EQ(AudioPlayer->Channel(), 0u);
    }
}

// The download breaks off half way: the track plays what came, then ends
// with a connection error instead of staying "playing" on its last second.
TEST_F(AudioPlayerTest, ADownloadThatBreaksOffEndsTheTrackWithAConnectionError)
{
    TAudioTestServer server;
    PlayList(1,
        Items(VKItem(1, server.URL(QStringLiteral("cut/tone2s.mp3"))),
            VKItem(2, server.URL(QStringLiteral("tone1s.mp3")))));
    ASSERT_TRUE(WaitForEvent("error"));
    EXPECT_EQ(FLog.Count("connect"), 1) << "no advance";
    EXPECT_EQ(FLog.Count("stop"), 0);
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psStopped);
    EXPECT_EQ(AudioPlayer->CurrentPlaylistItem(), nullptr);
    EXPECT_EQ(AudioPlayer->Channel(), 0u);
}

// Playback catches up with a slow download, so the source reaches the
// announced size at the same moment the download thread ends: every end must
// still count as complete. A one-track list replays at each end; 40 ends in a
// row leave the race no room.
TEST_F(AudioPlayerTest, ATrackWhosePlaybackCatchesUpWithItsDownloadEndsEveryTime)
{
    TAudioTestServer server;
    constexpr int Ends = 40;
    PlayList(1, Items(VKItem(1, server.URL(QStringLiteral("slow/tone1s.mp3")))));
    ASSERT_TRUE(WaitForEvent("url", Ends + 1)) << FLog.Count("url") - 1 << " of " << Ends << " ends were taken";
    EXPECT_EQ(FLog.Count("stop"), 0);
    EXPECT_EQ(FLog.Count("error"), 0);
}

TEST_F(AudioPlayerTest, AServerThatSendsNoSizeStillPlaysAndMovesOn)
{
    TAudioTestServer server;
    PlayList(1,
        Items(VKItem(1, server.URL(QStringLiteral("chunked/tone1s.mp3"))),
            VKItem(2, server.URL(QStringLiteral("tone1s.mp3")))));
    ASSERT_TRUE(WaitForEvent("url", 2));
    EXPECT_EQ(FLog.Values("url"), (std::vector<int> {0, 1}));
    EXPECT_EQ(FLog.Count("error"), 0);
}

TEST_F(AudioPlayerTest, ASeekIsTakenWhileTheLengthIsNotKnownYet)
{
    PlayList(1, Items(LocalItem(1, AudioFixture("vbr4s.mp3"))));
    AudioPlayer->Pause();
    AudioPlayer->SetPlayingPosition(2);
    EXPECT_EQ(FLog.Values("position"), std::vector<int> {2});
    EXPECT_TRUE(TestEnvironment::WaitFor([] {
        return std::abs(AudioLibrary::ChannelGetPosition(AudioPlayer->Channel()) - 2 * AudioLibrary::BytesPerSecond)
            < AudioLibrary::BytesPerSecond / 10;
    }));
}

TEST_F(AudioPlayerRealTimeTest, TwoURLsInARowPlayOnlyTheSecond)
{
    TAudioTestServer server;
    AudioPlayer->PlayURL(server.URL(QStringLiteral("tone2s.mp3")));
    AudioPlayer->PlayURL(server.URL(QStringLiteral("tone1s.mp3")));
    ASSERT_TRUE(WaitForEvent("url"));
    const std::uint32_t channel = AudioPlayer->Channel();
    ASSERT_NE(channel, 0u);
    EXPECT_NEAR(static_cast<double>(AudioLibrary::ChannelGetLength(channel)), 44100.0 * 4, 44100.0 * 4 * 0.1)
        << "the second track";
    // The first connection's stream is freed once its late result comes.
    EXPECT_TRUE(TestEnvironment::WaitFor([&] {
        for (std::uint32_t handle = 1; handle < channel; ++handle)
            if (AudioLibrary::ChannelGetLength(handle) != -1)
                return false;
        return true;
    }));
    EXPECT_EQ(FLog.Count("connect"), 1);
    EXPECT_EQ(FLog.Count("url"), 1);
    EXPECT_EQ(FLog.Count("error"), 0);
}

TEST_F(AudioPlayerRealTimeTest, PauseResumeAndSeekFollowTheState)
{
    AudioPlayer->SetPlayingPosition(1); // stopped: nothing
    AudioPlayer->Pause();
    AudioPlayer->Resume();
    EXPECT_TRUE(FLog.Entries.empty());

    PlayList(1, Items(LocalItem(1, AudioFixture("tone2s.mp3"))));
    AudioPlayer->Pause();
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psPaused);
    AudioPlayer->SetPlayingPosition(1);
    EXPECT_EQ(AudioPlayer->PlayingPosition(), 1);
    AudioPlayer->SetPlayingPosition(30); // beyond the end: nothing changes
    EXPECT_EQ(AudioPlayer->PlayingPosition(), 1);
    AudioPlayer->Resume();
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psPlaying);
    AudioPlayer->Stop();
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psStopped);
    EXPECT_EQ(FLog.Names(), (std::vector<std::string> {"file", "pause", "position", "resume", "stop"}));
}

// Those who follow the player besides the window hear of every change, each
// after the window's event, but not of the position's ticks.
TEST_F(AudioPlayerRealTimeTest, TheChangeListTellsEveryChangeButThePositionTicks)
{
    std::vector<std::pair<TAudioPlayerChange, std::size_t>> changes;
    const auto token = AudioPlayer->OnChange.Add([&](TObject *Sender, TAudioPlayerChange Change) {
        EXPECT_EQ(Sender, AudioPlayer);
        changes.emplace_back(Change, FLog.Entries.size());
    });
    PlayList(1, Items(LocalItem(1, AudioFixture("tone2s.mp3"))));
    ASSERT_TRUE(WaitForEvent("position"));
    AudioPlayer->Pause();
    AudioPlayer->SetPlayingPosition(0);
    AudioPlayer->SetVolume(0.5f);
    AudioPlayer->SetMuteFlag(true);
    AudioPlayer->Resume();
    AudioPlayer->Stop();
    AudioPlayer->OnChange.Remove(token);
    AudioPlayer->SetVolume(0.2f);

    using enum TAudioPlayerChange;
    const std::vector<TAudioPlayerChange> expected {pcTrack, pcState, pcSeek, pcVolume, pcVolume, pcState, pcState};
    ASSERT_EQ(changes.size(), expected.size());
    for (std::size_t i = 0; i < changes.size(); ++i)
        EXPECT_EQ(changes[i].first, expected[i]) << i;
    EXPECT_EQ(changes[0].second, 1u) << "after the window's start event";
}

// Counts the timer events the interface thread delivers, to any object.
class TTimerEvents : public QObject
{
public:
    TTimerEvents() { QCoreApplication::instance()->installEventFilter(this); }
    // Serves the interface thread for Period and counts its timer events.
    int Over(std::chrono::milliseconds Period)
    {
        FCount = 0;
        TestEnvironment::WaitFor([] { return false; }, Period);
        return FCount;
    }

protected:
    bool eventFilter(QObject *, QEvent *Event) override
    {
        FCount += Event->type() == QEvent::Timer;
        return false;
    }

private:
    int FCount = 0;
};

TEST_F(AudioPlayerRealTimeTest, NoTimerRunsWhilePausedOrStopped)
{
    using namespace std::chrono_literals;
    TTimerEvents timers;
    PlayList(1, Items(LocalItem(1, AudioFixture("tone2s.mp3"))));
    EXPECT_GT(timers.Over(1100ms), 0) << "the position is looked at while playing";
    AudioPlayer->Pause();
    EXPECT_EQ(timers.Over(1500ms), 0);
    AudioPlayer->Resume();
    AudioPlayer->Stop();
    EXPECT_EQ(timers.Over(1500ms), 0);
}

TEST_F(AudioPlayerRealTimeTest, UnmuteRestoresThePlayingStreamsVolume)
{
    AudioPlayer->SetVolume(0.5f);
    PlayList(1, Items(LocalItem(1, AudioFixture("tone2s.mp3"))));
    const std::uint32_t channel = AudioPlayer->Channel();
    EXPECT_FLOAT_EQ(AudioLibrary::ChannelGetVolume(channel), 0.5f);
    AudioPlayer->SetMuteFlag(true);
    EXPECT_FLOAT_EQ(AudioLibrary::ChannelGetVolume(channel), 0.0f);
    AudioPlayer->SetMuteFlag(false);
    EXPECT_FLOAT_EQ(AudioLibrary::ChannelGetVolume(channel), 0.5f);
    AudioPlayer->SetMuteFlag(true);
    AudioPlayer->SetVolume(0.75f);
    EXPECT_FLOAT_EQ(AudioLibrary::ChannelGetVolume(channel), 0.75f) << "a new volume unmutes the stream";
}

TEST_F(AudioPlayerTest, VolumeAndMuteRules)
{
    AudioPlayer->SetVolume(0.5f);
    AudioPlayer->SetMuteFlag(true);
    EXPECT_TRUE(AudioPlayer->MuteFlag());
    EXPECT_FLOAT_EQ(AudioPlayer->Volume(), 0.5f) << "muting keeps the volume";
    AudioPlayer->SetVolume(0.5f);
    EXPECT_TRUE(AudioPlayer->MuteFlag()) << "the same volume again changes nothing";
    AudioPlayer->SetVolume(0.25f);
    EXPECT_FALSE(AudioPlayer->MuteFlag()) << "a new volume unmutes";
    EXPECT_FLOAT_EQ(AudioPlayer->Volume(), 0.25f);
}

TEST_F(AudioPlayerTest, PlaylistsAreCopiedByTag)
{
    AudioPlayer->PlayFirst(); // empty: nothing
    EXPECT_TRUE(FLog.Entries.empty());

    TAudioPlaylist list;
    list.Tag = 7;
    list.Add(LocalItem(1, AudioFixture("tone2s.mp3")));
    std::vector<bool> changes;
    AudioPlayer->Playlist()->OnChanged
        = [&](TObject *, bool IsCurrentDataUpdated) { changes.push_back(IsCurrentDataUpdated); };
    AudioPlayer->SetPlaylist(&list);
    ASSERT_EQ(AudioPlayer->Playlist()->Count(), 1);
    EXPECT_NE(AudioPlayer->Playlist()->getItem(0), list.getItem(0)) << "the player plays its own copy";

    list.Add(LocalItem(2, AudioFixture("tone1s.mp3")));
    AudioPlayer->SetPlaylist(&list); // same tag: nothing, even though it changed
    EXPECT_EQ(AudioPlayer->Playlist()->Count(), 1);
    AudioPlayer->UpdatePlaylist(&list);
    EXPECT_EQ(AudioPlayer->Playlist()->Count(), 2);
    EXPECT_EQ(AudioPlayer->PlaybackOrder()->OrderList().size(), 2u);

    AudioPlayer->Play(1);
    TAudioPlaylist other;
    other.Tag = 8;
    AudioPlayer->UpdatePlaylist(&other); // another list: ignored
    EXPECT_EQ(AudioPlayer->Playlist()->Count(), 2);
    AudioPlayer->SetPlaylist(&other);
    EXPECT_EQ(AudioPlayer->Playlist()->Count(), 0);
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psPlaying) << "the track plays on while its list is replaced";
    EXPECT_EQ(changes, (std::vector<bool> {false, true, false}));
}

TEST_F(AudioPlayerTest, ATrackWithoutURLPlaysOnceTheURLArrives)
{
    TAudioTestServer server;
    std::vector<const TVKAudioPlaylistItem *> asked;
    TAudioPlaylist *owner = nullptr;
    TVKAudioPlaylistItem::SetURLRequester([&](const TVKAudioPlaylistItem &Track, TAudioPlaylist *Owner) {
        asked.push_back(&Track);
        owner = Owner;
    });
    PlayList(1, Items(VKItem(1, QString()), VKItem(2, QString())));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(owner, AudioPlayer->Playlist());
    const auto track = CloneOf(*static_cast<const TVKAudioPlaylistItem *>(asked[0]));

    const QString url = server.URL(QStringLiteral("tone1s.mp3"));
    // Answers for other tracks change nothing (a failed one for the requested
    // track ends the request: see the playback URL tests).
    TVKAudioPlaylistItem::URLReceived(owner, *VKItem(2, QString()), 1, {}); // failed, not requested
    TVKAudioPlaylistItem::URLReceived(owner, *VKItem(9, QString()), 0, {url}); // not in the list
    EXPECT_TRUE(FLog.Entries.empty());

    TVKAudioPlaylistItem::URLReceived(owner, *track, 0, {url});
    ASSERT_TRUE(WaitForEvent("url"));
    EXPECT_EQ(AudioPlayer->Playlist()->getItem(0) == nullptr, false);
    EXPECT_EQ(static_cast<TVKAudioPlaylistItem *>(AudioPlayer->Playlist()->getItem(0))->URL, url)
        << "kept for the next time";
}

TEST_F(AudioPlayerRealTimeTest, ALateURLIsKeptButDoesNotInterruptTheTrackNowPlaying)
{
    TAudioTestServer server;
    std::unique_ptr<TCustomPlaylistItem> asked;
    TVKAudioPlaylistItem::SetURLRequester(
        [&](const TVKAudioPlaylistItem &Track, TAudioPlaylist *) { asked = CloneOf(Track); });
    PlayList(1, Items(VKItem(1, QString()), LocalItem(2, AudioFixture("tone2s.mp3"))));
    ASSERT_TRUE(asked);
    AudioPlayer->Play(1);
    ASSERT_TRUE(WaitForEvent("file"));

    const QString url = server.URL(QStringLiteral("tone1s.mp3"));
    TVKAudioPlaylistItem::URLReceived(
        AudioPlayer->Playlist(), static_cast<const TVKAudioPlaylistItem &>(*asked), 0, {url});
    EXPECT_EQ(static_cast<TVKAudioPlaylistItem *>(AudioPlayer->Playlist()->getItem(0))->URL, url) << "kept for later";
    EXPECT_EQ(FLog.Count("url"), 0);
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psPlaying);
}

// A server that accepts the connection and never answers; Closed() counts
// the connections the player has closed.
class TSilentServer
{
public:
    TSilentServer() :
          FServer([this](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
              Connection.Stall();
              ++FClosed;
          })
    {
    }
    QString URL() const { return FServer.URL(QStringLiteral("/tone1s.mp3")); }
    bool Connected() const { return !FServer.Requests().empty(); }
    int Closed() const { return FClosed; }

private:
    std::atomic<int> FClosed {0};
    TRawTestServer FServer;
};

// Well inside the default net time-out of 10 s: a connection that only ended
// at the time-out would miss it.
constexpr auto PromptDeadline = std::chrono::seconds(3);

TEST_F(AudioPlayerTest, StopWhileConnectingEndsTheConnectionAtOnce)
{
    TSilentServer silent;
    AudioPlayer->PlayURL(silent.URL());
    ASSERT_TRUE(WaitForEvent("connect"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return silent.Connected(); }));
    AudioPlayer->Stop();
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psStopped);
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return silent.Closed() == 1; }, PromptDeadline));
    FGlobals.reset();
    EXPECT_EQ(FLog.Names(), (std::vector<std::string> {"connect", "stop"}));
}

TEST_F(AudioPlayerTest, FreeingThePlayerWhileConnectingAbortsWithoutAnError)
{
    TAudioTestServer server;
    TSilentServer silent;
    AudioPlayer->PlayURL(server.URL(QStringLiteral("tone2s.mp3")));
    AudioPlayer->PlayURL(silent.URL());
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return silent.Connected(); }));
    FGlobals.reset();
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return silent.Closed() == 1; }, PromptDeadline));
    EXPECT_EQ(FLog.Count("url"), 0);
    EXPECT_EQ(FLog.Count("error"), 0) << "the program's own abort is no connection error";
}

TEST_F(AudioPlayerTest, AConnectionThatMakesNoRealProgressEndsInAConnectionError)
{
    TAudioTestServer server;
    ASSERT_TRUE(AudioLibrary::SetConfig(AudioLibrary::TConfigOption::coNetTimeout, 1000));
    AudioPlayer->PlayURL(server.URL(QStringLiteral("trickle/tone1s.mp3")));
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return FLog.Count("error") == 1; }, PromptDeadline));
    AudioLibrary::SetConfig(AudioLibrary::TConfigOption::coNetTimeout, 10000);
    EXPECT_EQ(FLog.Names(), (std::vector<std::string> {"connect", "error"}));
}

TEST_F(AudioPlayerRealTimeTest, AFilePlayedWhileAConnectionIsPendingPlaysOn)
{
    TSilentServer silent;
    PlayList(1, Items(VKItem(1, silent.URL()), LocalItem(2, AudioFixture("tone2s.mp3"))));
    ASSERT_TRUE(WaitForEvent("connect"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return silent.Connected(); }));
    AudioPlayer->Play(1);
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psPlaying);
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return silent.Closed() == 1; }, PromptDeadline))
        << "the connection is given up";
    // The pending connection's result has come once the player is gone; it changed nothing.
    FGlobals.reset();
    EXPECT_EQ(FLog.Names(), (std::vector<std::string> {"connect", "file", "stop"}));
    EXPECT_EQ(FLog.Values("file"), std::vector<int> {1});
}

} // namespace
