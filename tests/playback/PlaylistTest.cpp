#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "playback/TPlaybackOrderUnit.h"
#include "tracks/records/QelmTypesUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace {

TVKAudioRecord Record(int AID, const char *Title)
{
    TVKAudioRecord record;
    record.AID = AID;
    record.OwnerID = -5;
    record.Artist = QStringLiteral("Artist");
    record.Title = QString::fromUtf8(Title);
    record.Duration = 180;
    record.URL = QStringLiteral("http://127.0.0.1/%1.mp3").arg(AID);
    record.LyricsID = QStringLiteral("7");
    record.AlbumID = QStringLiteral("9");
    record.Hashes = QStringLiteral("a/b/c");
    return record;
}

TSavedTrackRecord Saved(const TVKAudioRecord &From, const char *FilePath)
{
    return {From.AID, From.OwnerID, From.Artist, From.Title, From.Duration, From.LyricsID, From.AlbumID,
        QString::fromUtf8(FilePath)};
}

TPlaybackOrder Order(int Count, bool IsRepeat)
{
    TPlaybackOrder order;
    order.Refresh(Count);
    order.SetIsRepeat(IsRepeat);
    return order;
}

TEST(PlaybackOrder, WrapsAroundAndRepeatHoldsOnlyTheAutomaticAdvance)
{
    const struct
    {
        int Count;
        bool IsRepeat;
        int Current;
        bool IsNext;
        bool IsManual;
        int Expected;
    } cases[] = {
        {3, false, 0, true, false, 1}, {3, false, 2, true, false, 0}, // past the last: the first
        {3, false, 0, false, true, 2}, // before the first: the last
        {3, false, -1, true, true, 0}, // nothing playing: Next gives the first
        {3, false, -1, false, true, 2}, // ... and Previous the last
        {3, true, 1, true, false, 1}, // repeat: the same track again
        {3, true, 1, true, true, 2}, // but the buttons still move
        {3, true, 1, false, true, 0}, {3, true, -1, true, false, -1}, // repeating what is not in the list: nothing
        {0, false, -1, true, true, -1}, // empty list: nothing
    };
    for (const auto &c : cases) {
        const TPlaybackOrder order = Order(c.Count, c.IsRepeat);
        EXPECT_EQ(order.GetNextTrackIndex(c.Current, c.IsNext, c.IsManual), c.Expected)
            << c.Count << " repeat " << c.IsRepeat << " from " << c.Current << " next " << c.IsNext << " manual "
            << c.IsManual;
    }
}

TEST(PlaybackOrder, ShuffleKeepsAPermutationAndSwitchingItOffRestoresTheSequence)
{
    TPlaybackOrder order;
    order.Refresh(50);
    order.SetIsShuffle(true);
    std::vector<int> shuffled = order.OrderList();
    std::vector<int> sequential(50);
    std::iota(sequential.begin(), sequential.end(), 0);
    EXPECT_NE(shuffled, sequential) << "50 items keep their order once in 50! shuffles";
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, sequential);

    order.SetIsShuffle(false);
    EXPECT_EQ(order.OrderList(), sequential);
    order.SetIsShuffle(true);
    const std::vector<int> again = order.OrderList();
    EXPECT_NE(again, sequential);
    order.Refresh(50);
    EXPECT_NE(order.OrderList(), again) << "every rebuild shuffles anew";
}

TEST(PlaylistItem, ComparisonBelongsToTheStoredItemsClass)
{
    const TVKAudioRecord record = Record(42, "Song");
    const TVKAudioPlaylistItem vk(record);
    const TLocalVKAudioPlaylistItem saved(Saved(record, "/music/song.mp3"));
    EXPECT_TRUE(vk.EqualsTo(&saved));
    EXPECT_FALSE(saved.EqualsTo(&vk));
    EXPECT_FALSE(vk.EqualsTo(nullptr));

    TVKAudioRecord other = record;
    other.URL = QStringLiteral("http://elsewhere/x.mp3");
    other.Hashes = QStringLiteral("z");
    EXPECT_TRUE(vk.EqualsTo(std::make_unique<TVKAudioPlaylistItem>(other).get()));
    other.Title = QStringLiteral("song");
    EXPECT_FALSE(vk.EqualsTo(std::make_unique<TVKAudioPlaylistItem>(other).get())) << "titles compare case-sensitively";

    TLocalVKAudioPlaylistItem moved(Saved(record, "/music/other.mp3"));
    EXPECT_FALSE(saved.EqualsTo(&moved));
}

TEST(PlaylistItem, ClonesKeepTheirClassAndFieldsButNoOwner)
{
    TAudioPlaylist playlist;
    playlist.Add(std::make_unique<TVKAudioPlaylistItem>(Record(1, "One")));
    const auto copy = CloneOf(*playlist.getItem(0));
    auto *vk = dynamic_cast<TVKAudioPlaylistItem *>(copy.get());
    ASSERT_NE(vk, nullptr);
    EXPECT_EQ(vk->URL, QStringLiteral("http://127.0.0.1/1.mp3"));
    EXPECT_EQ(vk->Hashes, QStringLiteral("a/b/c"));
    EXPECT_EQ(vk->OwnerID, -5);
    EXPECT_EQ(vk->Owner(), nullptr);
    EXPECT_EQ(playlist.getItem(0)->Owner(), &playlist);
    EXPECT_THROW(playlist.getItem(1), std::out_of_range);
    EXPECT_THROW(playlist.getItem(-1), std::out_of_range);
}

TEST(Playlist, ChangeEndsReportWhetherTheSameContentsWereUpdated)
{
    TAudioPlaylist playlist;
    std::vector<bool> reports;
    playlist.OnChanged = [&](TObject *Sender, bool IsCurrentDataUpdated) {
        EXPECT_EQ(Sender, &playlist);
        reports.push_back(IsCurrentDataUpdated);
    };
    playlist.Tag = 5;
    playlist.Changed(); // without Changing: nothing
    playlist.Changing();
    playlist.Changed();
    playlist.Changing();
    playlist.Tag = 6;
    playlist.Changed();
    EXPECT_EQ(reports, (std::vector<bool> {true, false}));
}

TEST(Playlist, FindsTheFirstEqualItem)
{
    TVKAudioPlaylist playlist;
    playlist.Add(std::make_unique<TVKAudioPlaylistItem>(Record(1, "One")));
    playlist.Add(std::make_unique<TVKAudioPlaylistItem>(Record(2, "Two")));
    playlist.Add(std::make_unique<TVKAudioPlaylistItem>(Record(2, "Two")));
    const TVKAudioPlaylistItem two(Record(2, "Two"));
    EXPECT_EQ(playlist.FindPlaylistItem(&two), 1);
    EXPECT_EQ(playlist.FindPlaylistItem(nullptr), -1);
    EXPECT_EQ(playlist.getItem(1)->Title, QStringLiteral("Two"));
}

TEST(PlaylistItem, OnlyItemsOfThePlayersPlaylistPlay)
{
    TAudioPlaylist playlist;
    playlist.Add(std::make_unique<TVKAudioPlaylistItem>(Record(1, "One")));
    try {
        playlist.getItem(0)->Play();
        FAIL() << "an item of another list must not play";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("You can play item only of audioplayer playlist"));
    }
}

} // namespace
