#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"

#include "app/globals/TGlobalObjectsUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "support/TestEnvironment.h"

#include "vkweb/StandinCatalogue.h"
#include "vkweb/VKWebTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A My Music track without its URL, played through the player: the web
// client looks the URL up on the stand-in and the player streams it.
class PlaybackURL : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FStandin.IsReady());
        FGlobals = std::make_unique<TGlobalObjects>();
        FManager = std::make_unique<TVKEmulationManager>();
        bool signedIn = false;
        FManager->AuthManager().OnAuthSuccessList().Add([&signedIn](TObject *) { signedIn = true; });
        FManager->AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return signedIn; }));
        AudioPlayer->OnStartPlayingURL = [this](TObject *) { ++FStreamsStarted; };
    }

    void TearDown() override
    {
        FManager.reset();
        FGlobals.reset();
    }

    // My Music as the site lists it, the URLs left out.
    std::unique_ptr<TAudioPlaylist> MyMusicWithoutURLs()
    {
        auto playlist = std::make_unique<TAudioPlaylist>();
        playlist->Tag = 1; // the player copies only a playlist of another tag
        for (TVKAudioRecord record : ParseAudioList(LoadAudioList(*FManager->CookieManager(), 1001, -2))) {
            record.URL.clear();
            playlist->Add(std::make_unique<TVKAudioPlaylistItem>(record));
        }
        return playlist;
    }

    TTempUserFolders FFolders;
    TStandin FStandin;
    std::unique_ptr<TGlobalObjects> FGlobals;
    std::unique_ptr<TVKEmulationManager> FManager;
    int FStreamsStarted = 0;
};

} // namespace

TEST_F(PlaybackURL, ATrackWithoutURLIsLookedUpOnTheSiteThenPlayedAndItsURLKept)
{
    const auto playlist = MyMusicWithoutURLs();
    ASSERT_GT(playlist->Count(), 1);
    AudioPlayer->SetPlaylist(playlist.get());
    AudioPlayer->PlayFirst();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FStreamsStarted == 1; }));
    const auto *played = static_cast<const TVKAudioPlaylistItem *>(AudioPlayer->Playlist()->getItem(0));
    EXPECT_TRUE(played->URL.startsWith(FStandin.WebURL())) << played->URL.toStdString();
    EXPECT_EQ(FStandin.LogLines().filter(QStringLiteral("\"act\":\"reload_audio\"")).size(), 1);
}

TEST_F(PlaybackURL, ALookUpForATrackLeftMeanwhileIsReplacedByTheNewOne)
{
    const auto playlist = MyMusicWithoutURLs();
    ASSERT_GT(playlist->Count(), 1);
    AudioPlayer->SetPlaylist(playlist.get());
    // The second request replaces the first while it still waits for the queue.
    AudioPlayer->Play(0);
    AudioPlayer->Play(1);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FStreamsStarted == 1; }));
    const auto *first = static_cast<const TVKAudioPlaylistItem *>(AudioPlayer->Playlist()->getItem(0));
    const auto *second = static_cast<const TVKAudioPlaylistItem *>(AudioPlayer->Playlist()->getItem(1));
    EXPECT_FALSE(second->URL.isEmpty());
    EXPECT_TRUE(first->URL.isEmpty());
}

TEST_F(PlaybackURL, ATrackWithoutAStreamIsReportedAndTheTrackPlayingGoesOn)
{
    const TVKAudioRecord blocked = StandinBlockedTrack(*FManager->CookieManager());
    ASSERT_NE(blocked.AID, 0) << "the catalogue has blocked tracks";
    TVKAudioRecord unknown = blocked;
    unknown.AID = 999999;
    auto playlist = MyMusicWithoutURLs();
    playlist->Add(std::make_unique<TVKAudioPlaylistItem>(blocked));
    playlist->Add(std::make_unique<TVKAudioPlaylistItem>(unknown));
    AudioPlayer->SetPlaylist(playlist.get());
    AudioPlayer->PlayFirst();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FStreamsStarted == 1; }));
    // Paused, it stays as it is however long the look-ups take.
    AudioPlayer->Pause();

    QList<int> notAvailable;
    AudioPlayer->OnTrackNotAvailable = [&](TObject *Sender) {
        EXPECT_EQ(Sender, AudioPlayer);
        notAvailable << static_cast<const TVKAudioPlaylistItem *>(AudioPlayer->RequestedPlaylistItem())->AID;
    };
    for (const int index : {playlist->Count() - 2, playlist->Count() - 1}) {
        const int reported = notAvailable.size();
        AudioPlayer->Play(index);
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return notAvailable.size() > reported; }));
        EXPECT_EQ(AudioPlayer->RequestedPlaylistItem(), nullptr);
    }
    EXPECT_EQ(notAvailable, (QList<int> {blocked.AID, unknown.AID}));
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psPaused);
    EXPECT_EQ(FStreamsStarted, 1);
    AudioPlayer->Stop();
}
