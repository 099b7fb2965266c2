// The metadata pages' blocks against the stand-in's Last.fm host, their
// tracks matched on its VK site.
#include "metadata/pages/TAlbumDataUnit.h"
#include "metadata/pages/TArtistDataUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"

#include "metadata/MetaDataTestSupport.h"

#include <QImage>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// The stand-in's artists: the first has a "large" picture, the third none.
const QString Northern = QStringLiteral("Северные Огни");
const QString WhiteNoise = QStringLiteral("Белый Шум");

using TStates = std::vector<int>;

class StandinMetaData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FStandin.IsReady());
        ASSERT_TRUE(FEnvironment.SignIn());
    }

    // The Last.fm requests of one method served so far.
    int Requests(const QString &Method) const
    {
        return static_cast<int>(FStandin.LogLines().filter(QStringLiteral("\"lastfm\"")).filter(Method).size());
    }

    // Waits until every row is matched, not found or failed; returns each
    // row's title, marked "?" when the site lacks it.
    static QStringList Matched(const TVKCompositeAudioData &Tracks)
    {
        const auto resolved = [&](int Index) {
            const auto *row = dynamic_cast<const TCompositeAudioDataItemViewData *>(Tracks.getTrack(Index));
            return !row || row->State == TCompositeAudioDataItemState::cdiNotFound
                || row->State == TCompositeAudioDataItemState::cdiError;
        };
        TestEnvironment::WaitFor(
            [&] {
                for (int i = 0; i < Tracks.Count(); ++i)
                    if (!resolved(i))
                        return false;
                return true;
            },
            std::chrono::seconds(30));
        QStringList titles;
        for (int i = 0; i < Tracks.Count(); ++i)
            titles << Tracks.getTrack(i)->Title
                    + (Tracks.TrackIndexToPlaylistIndex(i) < 0 ? QStringLiteral("?") : QString());
        return titles;
    }

    static bool IsPicture(const TCoverImageData &Image)
    {
        return Image.State() == mdsLoaded && !QImage::fromData(Image.CoverImageStream()).isNull();
    }

    TStandin FStandin;
    TMetaDataEnvironment FEnvironment;
};

} // namespace

TEST_F(StandinMetaData, AnArtistPageFillsEveryBlockAndMatchesTheTopTracksToTheSite)
{
    TArtistData artist(FEnvironment.VK(), FEnvironment.LastFM());
    TStateLog page(artist), similar(artist.SimilarArtistsData()), albums(artist.TopAlbumsData()),
        tracks(artist.TopTracksData());
    int shown = 0;
    artist.OnDataParamsChanged = [&](TObject *) { ++shown; };

    artist.SetArtist(Northern);
    ASSERT_TRUE(WaitForState(artist, mdsLoaded));
    ASSERT_TRUE(WaitForState(artist.TopAlbumsData(), mdsLoaded));
    ASSERT_TRUE(WaitForState(artist.TopTracksData(), mdsLoaded));
    ASSERT_TRUE(WaitForState(artist.ImageData(), mdsLoaded));
    EXPECT_EQ(page.States, (TStates {mdsCleared, mdsLoading, mdsLoaded}));
    EXPECT_EQ(similar.States, (TStates {mdsLoading, mdsItemsChanged, mdsLoaded}));
    EXPECT_EQ(albums.States, (TStates {mdsLoading, mdsItemsChanged, mdsLoaded}));
    EXPECT_EQ(tracks.States, (TStates {mdsLoading, mdsLoaded}));
    EXPECT_EQ(shown, 1);

    EXPECT_TRUE(IsPicture(artist.ImageData()));
    EXPECT_TRUE(artist.Bio().contains(Northern)) << artist.Bio().toStdString();
    EXPECT_FALSE(artist.Bio().contains(u'<'));
    ASSERT_EQ(artist.SimilarArtistsData().ActiveItemsCount(), 2);
    EXPECT_EQ(artist.SimilarArtistsData().getItem(0).Name, QStringLiteral("Полярная Станция"));
    ASSERT_EQ(artist.TopAlbumsData().ActiveItemsCount(), 2);
    EXPECT_EQ(artist.TopAlbumsData().getItem(1).Title, Northern + QStringLiteral(" Best"));
    EXPECT_EQ(artist.TopAlbumsData().getItem(1).Artist, Northern);
    ASSERT_TRUE(WaitForState(artist.TopAlbumsData().getItem(1).ImageData, mdsLoaded));
    EXPECT_TRUE(IsPicture(artist.TopAlbumsData().getItem(1).ImageData));

    // Five top tracks asked for; the one the site lacks is not found.
    EXPECT_EQ(Matched(artist.TopTracksData().TracksData()),
        QStringList({QStringLiteral("Утро"), QStringLiteral("Ночной город"), QStringLiteral("Дорога домой"),
            QStringLiteral("Зимний вокзал"), QStringLiteral("Missing Song?")}));
    EXPECT_EQ(artist.TopTracksData().TracksData().Playlist()->Count(), 4);

    // The same artist again shows the page without asking anything.
    const int asked = Requests(QStringLiteral("artist.getInfo"));
    artist.SetArtist(Northern);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(page.States.size(), 3u);
    TestEnvironment::WaitFor([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(Requests(QStringLiteral("artist.getInfo")), asked);
}

TEST_F(StandinMetaData, AnArtistWithoutALargePictureOrUnknownToTheServiceEndsInItsState)
{
    TArtistData artist(FEnvironment.VK(), FEnvironment.LastFM());
    artist.SetArtist(WhiteNoise);
    ASSERT_TRUE(WaitForState(artist, mdsLoaded));
    EXPECT_EQ(artist.ImageData().State(), mdsNoImage);

    TStateLog image(artist.ImageData());
    artist.SetArtist(QStringLiteral("Nobody At All"));
    ASSERT_TRUE(WaitForState(artist, mdsNotFound));
    EXPECT_EQ(image.States, (TStates {mdsCleared}));
    EXPECT_EQ(artist.SimilarArtistsData().State(), mdsServiceError);
    EXPECT_EQ(artist.SimilarArtistsData().ActiveItemsCount(), 0);
    // Top albums and tracks end by their own requests.
    EXPECT_TRUE(WaitForState(artist.TopAlbumsData(), mdsServiceError));
    EXPECT_TRUE(WaitForState(artist.TopTracksData(), mdsServiceError));
}

// Names changed faster than the service answers: only the last is shown.
TEST_F(StandinMetaData, OnlyTheLastOfQuicklyChangedArtistsIsAnswered)
{
    TArtistData artist(FEnvironment.VK(), FEnvironment.LastFM());
    TStateLog page(artist);
    artist.SetArtist(QStringLiteral("Кварц"));
    artist.SetArtist(QStringLiteral("Маяк"));
    ASSERT_TRUE(WaitForState(artist, mdsLoaded));
    ASSERT_TRUE(WaitForState(artist.TopAlbumsData(), mdsLoaded));
    EXPECT_EQ(page.States, (TStates {mdsCleared, mdsLoading, mdsCleared, mdsLoading, mdsLoaded}));
    EXPECT_EQ(artist.TopAlbumsData().getItem(0).Artist, QStringLiteral("Маяк"));
    EXPECT_EQ(artist.SimilarArtistsData().getItem(0).Name, QStringLiteral("Тихий Океан"));
}

TEST_F(StandinMetaData, AnAlbumPageShowsItsCoverTracksAndTheArtistsOtherAlbums)
{
    TAlbumData album(FEnvironment.VK(), FEnvironment.LastFM());
    TStateLog page(album), related(album.RelatedAlbumsData()), tracks(album.AlbumTracksData());
    const QString best = Northern + QStringLiteral(" Best");

    album.SetAlbum(Northern, best);
    ASSERT_TRUE(WaitForState(album, mdsLoaded));
    ASSERT_TRUE(WaitForState(album.RelatedAlbumsData(), mdsLoaded));
    ASSERT_TRUE(WaitForState(album.CoverImageData(), mdsLoaded));
    EXPECT_EQ(page.States, (TStates {mdsCleared, mdsLoading, mdsLoaded}));
    EXPECT_EQ(tracks.States, (TStates {mdsLoading, mdsLoaded}));
    EXPECT_TRUE(IsPicture(album.CoverImageData()));
    // The album itself is not among its artist's other albums.
    ASSERT_EQ(album.RelatedAlbumsData().ActiveItemsCount(), 1);
    EXPECT_EQ(album.RelatedAlbumsData().getItem(0).Title, Northern + QStringLiteral(" Single"));
    const QStringList titles = Matched(album.AlbumTracksData().TracksData());
    EXPECT_EQ(titles.size(), 5);
    EXPECT_EQ(titles.last(), QStringLiteral("Missing Song?"));
    const auto *missing
        = dynamic_cast<const TCompositeAudioDataItemViewData *>(album.AlbumTracksData().TracksData().getTrack(4));
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->AlbumName, best);

    // An unknown album ends every block: the track listing too, which would
    // otherwise wait for ever.
    album.SetAlbum(Northern, QStringLiteral("No Such Album"));
    ASSERT_TRUE(WaitForState(album, mdsNotFound));
    EXPECT_EQ(album.CoverImageData().State(), mdsCleared);
    EXPECT_EQ(album.RelatedAlbumsData().State(), mdsCleared);
    EXPECT_EQ(album.RelatedAlbumsData().ActiveItemsCount(), 0);
    EXPECT_EQ(album.AlbumTracksData().State(), mdsServiceError);

    // Back to the first album: its other albums are asked for again.
    album.SetAlbum(Northern, best);
    ASSERT_TRUE(WaitForState(album, mdsLoaded));
    ASSERT_TRUE(WaitForState(album.RelatedAlbumsData(), mdsLoaded));
    EXPECT_EQ(album.RelatedAlbumsData().ActiveItemsCount(), 1);
}

TEST_F(StandinMetaData, ASearchReusesItsItemsAndHidesThePicturesOfStaleOnes)
{
    TSearchArtistsData artists(30, FEnvironment.LastFM());
    TStateLog log(artists);
    // Every name with a space.
    artists.SetQuery(QStringLiteral(" "));
    ASSERT_TRUE(WaitForState(artists, mdsLoaded));
    const int all = artists.Count();
    ASSERT_GT(all, 3);
    EXPECT_EQ(artists.ActiveItemsCount(), all);
    EXPECT_EQ(log.States, (TStates {mdsLoading, mdsItemsChanged, mdsLoaded}));
    const QString second = artists.getItem(1).Name;

    artists.SetQuery(QStringLiteral("кварц"));
    ASSERT_TRUE(
        TestEnvironment::WaitFor([&] { return artists.ActiveItemsCount() == 1 && artists.State() == mdsLoaded; }));
    EXPECT_EQ(artists.Count(), all);
    EXPECT_EQ(artists.getItem(0).Name, QStringLiteral("Кварц"));
    EXPECT_EQ(artists.getItem(1).Name, second) << "stale items keep their names";
    for (int i = 1; i < all; ++i)
        EXPECT_EQ(artists.getItem(i).ImageData.State(), mdsHidden) << i;

    artists.SetQuery(QStringLiteral("no such band"));
    ASSERT_TRUE(WaitForState(artists, mdsEmptyResult));
    EXPECT_EQ(artists.ActiveItemsCount(), 0);
    EXPECT_EQ(artists.Count(), all);

    TSearchAlbumsData albums(30, FEnvironment.LastFM());
    albums.SetQuery(QStringLiteral("single"));
    ASSERT_TRUE(WaitForState(albums, mdsLoaded));
    EXPECT_EQ(albums.ActiveItemsCount(), 25);
    EXPECT_EQ(albums.getItem(0).Title, Northern + QStringLiteral(" Single"));
}
