// The rows of a list and the playlist built from them; no network.
#include "tracks/lists/TVKAudioDataUnit.h"

#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"

#include "tracks/TracksTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A row of a class derived from the played one: shown, never played.
class TDerivedVKTrack : public TVKAudioTrackViewData
{
public:
    using TVKAudioTrackViewData::TVKAudioTrackViewData;
    std::unique_ptr<TCloneable> Clone() const override
    {
        return std::make_unique<TDerivedVKTrack>(static_cast<const TCloneable &>(*this));
    }
};

// A VK list whose rows the test sets directly.
class TRowsData : public TCustomVKAudioData
{
public:
    using TCustomVKAudioData::TCustomVKAudioData;

    void SetRows(std::vector<std::unique_ptr<TCustomAudioTrackViewData>> Rows, bool IsCurrentDataUpdated)
    {
        BeginChange();
        ClearTracks();
        for (auto &row : Rows)
            AddTrack(std::move(row));
        EndChange(IsCurrentDataUpdated);
    }
    void InsertFirst(std::unique_ptr<TCustomAudioTrackViewData> Row)
    {
        BeginChange();
        InsertTrack(0, std::move(Row));
        EndChange(true);
    }
};

std::unique_ptr<TCustomAudioTrackViewData> Composite(const QString &Title)
{
    auto row = std::make_unique<TCompositeAudioDataItemViewData>();
    row->Artist = QStringLiteral("Кино");
    row->Title = Title;
    return row;
}

class AudioData : public ::testing::Test
{
protected:
    TListsEnvironment FEnvironment;
};

} // namespace

TEST_F(AudioData, OnlyRowsOfExactlyTheVKTrackClassArePlayed)
{
    TRowsData data(FEnvironment.Manager());
    TListEvents events(data);
    std::vector<std::unique_ptr<TCustomAudioTrackViewData>> rows;
    rows.push_back(
        std::make_unique<TVKAudioTrackViewData>(Record(-5, 1, QStringLiteral("Кино"), QStringLiteral("Звезда"))));
    rows.push_back(std::make_unique<TDerivedVKTrack>(Record(-5, 2, QStringLiteral("Кино"), QStringLiteral("Пачка"))));
    rows.push_back(Composite(QStringLiteral("Кукушка")));
    rows.push_back(
        std::make_unique<TVKAudioTrackViewData>(Record(7, 1, QStringLiteral("ДДТ"), QStringLiteral("Осень"))));
    data.SetRows(std::move(rows), false);

    ASSERT_EQ(events.Changes, std::vector<bool> {false});
    const struct
    {
        int PlaylistIndex;
        QString Title;
    } expected[] = {{0, QStringLiteral("Звезда")}, {-1, {}}, {-1, {}}, {1, QStringLiteral("Осень")}};
    ASSERT_EQ(data.Count(), 4);
    ASSERT_EQ(data.Playlist()->Count(), 2);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(data.TrackIndexToPlaylistIndex(i), expected[i].PlaylistIndex);
        const TCustomPlaylistItem *item = data.GetPlaylistItemByTrackIndex(i);
        EXPECT_EQ(item != nullptr, expected[i].PlaylistIndex >= 0);
        if (item) {
            EXPECT_EQ(item->Title, expected[i].Title);
        }
    }
    const TVKAudioPlaylistItem *played = data.Playlist()->getItem(1);
    EXPECT_EQ(played->OwnerID, 7);
    EXPECT_EQ(played->AID, 1);
    EXPECT_EQ(played->Hashes, QStringLiteral("add1/del1"));
    EXPECT_EQ(data.TrackIndexToPlaylistIndex(4), -1);
    EXPECT_EQ(data.GetPlaylistItemByTrackIndex(-1), nullptr);
    // Rows that are not played cannot be added to My Music.
    data.AddToMyMusic(1);
    EXPECT_FALSE(data.IsTrackAddedToMyMusic(2));
}

// The tag tells the player whether its copy is an update of this list.
TEST_F(AudioData, AnUpdateKeepsThePlaylistTagAndReachesThePlayerAReplacementDoesNot)
{
    TRowsData data(FEnvironment.Manager());
    TListEvents events(data);
    std::vector<std::unique_ptr<TCustomAudioTrackViewData>> rows;
    rows.push_back(
        std::make_unique<TVKAudioTrackViewData>(Record(-5, 1, QStringLiteral("Кино"), QStringLiteral("Звезда"))));
    data.SetRows(std::move(rows), false);
    AudioPlayer->SetPlaylist(data.Playlist());
    const std::uint32_t tag = data.Playlist()->Tag;
    ASSERT_LE(tag, 2147483646u);

    data.InsertFirst(
        std::make_unique<TVKAudioTrackViewData>(Record(-5, 2, QStringLiteral("Кино"), QStringLiteral("Пачка"))));
    EXPECT_EQ(data.Playlist()->Tag, tag);
    ASSERT_EQ(AudioPlayer->Playlist()->Count(), 2);
    EXPECT_EQ(AudioPlayer->Playlist()->getItem(0)->Title, QStringLiteral("Пачка"));
    EXPECT_EQ(data.TrackIndexToPlaylistIndex(1), 1);

    data.Clear();
    EXPECT_NE(data.Playlist()->Tag, tag);
    EXPECT_EQ(data.Count(), 0);
    EXPECT_EQ(AudioPlayer->Playlist()->Count(), 2) << "the player keeps playing the list it had";
    EXPECT_EQ(events.Changes, (std::vector<bool> {false, true, false}));
}

TEST_F(AudioData, ARowClonesAsItsOwnClassWithEveryField)
{
    TVKAudioRecord record = Record(-5, 9, QStringLiteral("Кино"), QStringLiteral("Звезда"));
    record.URL = QStringLiteral("https://cs1.test/9.mp3");
    record.LyricsID = QStringLiteral("12");
    record.AlbumID = QStringLiteral("3");
    TVKAudioTrackViewData track(record);
    track.AddTrackAnimationID = 4;
    const auto clone = CloneOf(static_cast<const TCustomAudioTrackViewData &>(track));
    const auto *copy = dynamic_cast<const TVKAudioTrackViewData *>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->URL, record.URL);
    EXPECT_EQ(copy->Hashes, record.Hashes);
    EXPECT_EQ(copy->LyricsID, record.LyricsID);
    EXPECT_EQ(copy->AlbumID, record.AlbumID);
    EXPECT_EQ(copy->AddTrackAnimationID, 4);
    EXPECT_EQ(copy->OwnerID, -5);

    // Through a playlist item and back.
    const auto item = track.ToPlaylistItem();
    const auto back = TVKAudioTrackViewData::CreateFromPlaylistItem(static_cast<const TVKAudioPlaylistItem &>(*item));
    EXPECT_EQ(back->URL, record.URL);
    EXPECT_EQ(back->Hashes, record.Hashes);
    EXPECT_EQ(back->AID, 9);
    EXPECT_EQ(back->Title, record.Title);

    TCompositeAudioDataItemViewData composite;
    composite.State = TCompositeAudioDataItemState::cdiNotFound;
    composite.AlbumName = QStringLiteral("Группа крови");
    composite.RequestOperationID = 17;
    const auto compositeClone = CloneOf(composite);
    EXPECT_EQ(compositeClone->State, TCompositeAudioDataItemState::cdiNotFound);
    EXPECT_EQ(compositeClone->AlbumName, composite.AlbumName);
    EXPECT_EQ(compositeClone->RequestOperationID, 17u);
}
