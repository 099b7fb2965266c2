#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationMyMusicManagerUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"

#include "foundation/TThreadedObjectsManagerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "support/TestEnvironment.h"

#include "vkweb/VKWebTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

struct TAdded
{
    int SourceOwnerID = 0;
    int SourceAID = 0;
    int AID = 0;
    int OwnerID = 0;
};

// My Music edits against the stand-in, signed in as plain@marvane.test (1001).
class MyMusic : public ::testing::Test
{
protected:
    MyMusic() { ThreadedObjectsManager = new TThreadedObjectsManager(); }
    ~MyMusic() override
    {
        FManager.reset();
        delete ThreadedObjectsManager;
        ThreadedObjectsManager = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(FStandin.IsReady());
        FManager = std::make_unique<TVKEmulationManager>();
        bool signedIn = false;
        FManager->AuthManager().OnAuthSuccessList().Add([&signedIn](TObject *) { signedIn = true; });
        FManager->AuthManager().Login(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass"));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return signedIn; }));
        ASSERT_EQ(FManager->UserID(), 1001);
        Music().OnTrackAddedEventsList().Add(
            [this](TObject *Sender, const TVKAudioPlaylistItem &Track, int AID, int OwnerId, const QString &) {
                EXPECT_EQ(Sender, &Music());
                FAdded.push_back({Track.OwnerID, Track.AID, AID, OwnerId});
            });
        Music().OnTrackDeletedEventsList().Add([this](TObject *, int ID) { FDeleted.push_back(ID); });
    }

    TVKEmulationMyMusicManager &Music() { return FManager->MyMusicManager(); }

    // The catalogue tracks whose artist or title holds Query.
    QList<TVKAudioRecord> Search(const QString &Query)
    {
        return ParseAudioList(LoadSearchSection(*FManager->CookieManager(), Query, 1001, 0));
    }
    QList<TVKAudioRecord> MyList() { return ParseAudioList(LoadAudioList(*FManager->CookieManager(), 1001, -2)); }
    qsizetype SiteCalls(const QString &Act) const
    {
        return FStandin.LogLines().filter(QStringLiteral("\"act\":\"%1\"").arg(Act)).size();
    }
    // Once the site has seen the call, no task left means its result was handled.
    static bool ResultHandled()
    {
        return TestEnvironment::WaitFor([] { return ThreadedObjectsManager->Count() == 0; });
    }

    TTempUserFolders FFolders;
    TStandin FStandin;
    std::unique_ptr<TVKEmulationManager> FManager;
    std::vector<TAdded> FAdded;
    std::vector<int> FDeleted;
};

} // namespace

TEST_F(MyMusic, AnAddedTrackIsCopiedOnceAndItsCopyCanBeRemoved)
{
    const QList<TVKAudioRecord> found = Search(QString());
    ASSERT_FALSE(found.isEmpty());
    const TVKAudioPlaylistItem track(found.first());
    EXPECT_FALSE(Music().IsTrackAddedToMyMusic(track));

    // A second click before the first finished sends nothing.
    Music().AddToMyMusic(track);
    Music().AddToMyMusic(track);
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return !FAdded.empty(); }));
    ASSERT_EQ(FAdded.size(), 1u);
    EXPECT_EQ(FAdded[0].SourceOwnerID, track.OwnerID);
    EXPECT_EQ(FAdded[0].SourceAID, track.AID);
    EXPECT_EQ(FAdded[0].OwnerID, 1001);
    EXPECT_TRUE(Music().IsTrackAddedToMyMusic(track));
    Music().AddToMyMusic(track);
    EXPECT_EQ(SiteCalls(QStringLiteral("add")), 1);

    const QList<TVKAudioRecord> mine = MyList();
    ASSERT_FALSE(mine.isEmpty());
    EXPECT_EQ(mine.first().AID, FAdded[0].AID) << "the copy is the newest in the list";
    EXPECT_EQ(mine.first().Title, track.Title);

    const TVKAudioPlaylistItem copy(mine.first());
    Music().DeleteFromMyMusic(copy);
    Music().DeleteFromMyMusic(copy);
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return !FDeleted.empty(); }));
    EXPECT_EQ(FDeleted, std::vector<int> {copy.AID});
    EXPECT_EQ(SiteCalls(QStringLiteral("delete_audio")), 1);
    EXPECT_EQ(MyList().size(), mine.size() - 1);

    // The user's own tracks count as added and are never sent.
    TVKAudioRecord own = found.first();
    own.OwnerID = 0;
    EXPECT_TRUE(Music().IsTrackAddedToMyMusic(TVKAudioPlaylistItem(own)));

    FManager->Logout();
    EXPECT_FALSE(Music().IsTrackAddedToMyMusic(track));
}

// An AID is unique only within its owner: two catalogue owners share AIDs.
TEST_F(MyMusic, TracksOfDifferentOwnersWithTheSameAIDAreDifferentTracks)
{
    const QList<TVKAudioRecord> found = Search(QString());
    std::optional<TVKAudioRecord> first, second;
    for (const TVKAudioRecord &a : found)
        for (const TVKAudioRecord &b : found)
            if (!first && a.AID == b.AID && a.OwnerID != b.OwnerID) {
                first = a;
                second = b;
            }
    ASSERT_TRUE(first) << "the catalogue's first page has owners with overlapping AIDs";

    Music().AddToMyMusic(TVKAudioPlaylistItem(*first));
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return FAdded.size() == 1; }));
    EXPECT_TRUE(Music().IsTrackAddedToMyMusic(TVKAudioPlaylistItem(*first)));
    EXPECT_FALSE(Music().IsTrackAddedToMyMusic(TVKAudioPlaylistItem(*second)));

    Music().AddToMyMusic(TVKAudioPlaylistItem(*second));
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return FAdded.size() == 2; }));
    EXPECT_EQ(FAdded[1].SourceOwnerID, second->OwnerID);
    EXPECT_NE(FAdded[1].AID, FAdded[0].AID);
}

// Failures raise nothing and leave the track as it was, ready to try again.
TEST_F(MyMusic, AFailedEditRaisesNothingAndCanBeTriedAgain)
{
    TVKAudioRecord record = Search(QString()).first();
    record.Hashes = QStringLiteral("stale-add/stale-delete");
    const TVKAudioPlaylistItem stale(record);
    Music().AddToMyMusic(stale);
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return SiteCalls(QStringLiteral("add")) == 1; }));
    ASSERT_TRUE(ResultHandled());
    EXPECT_FALSE(Music().IsTrackAddedToMyMusic(stale));
    Music().AddToMyMusic(stale);
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return SiteCalls(QStringLiteral("add")) == 2; }));

    // The site answers a stale removal token with its error frame: no removal.
    const TVKAudioRecord mine = MyList().first();
    TVKAudioRecord staleMine = mine;
    staleMine.Hashes = QStringLiteral("x/stale-delete");
    Music().DeleteFromMyMusic(TVKAudioPlaylistItem(staleMine));
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return SiteCalls(QStringLiteral("delete_audio")) == 1; }));
    ASSERT_TRUE(ResultHandled());
    EXPECT_TRUE(FDeleted.empty());
    Music().DeleteFromMyMusic(TVKAudioPlaylistItem(mine));
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return !FDeleted.empty(); }));
    EXPECT_EQ(FDeleted, std::vector<int> {mine.AID}) << "only the confirmed removal is announced";
    EXPECT_TRUE(FAdded.empty());
}
