// The Last.fm client against the stand-in's Last.fm host.
#include "lastfm/TLastFMAPIRequestFactoryUnit.h"
#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "lastfm/TLastFMArtistImageUnit.h"

#include "requests/THTTPRequestExecutorUnit.h"

#include "vkweb/VKWebTestSupport.h"

#include <gtest/gtest.h>

namespace {

const QString Key = LastFMAPIKey;

// The request sent and its answer read by TParser.
template<class TParser> auto Call(const std::unique_ptr<TLastFMAPIRequest> &Request)
{
    THTTPRequestExecutor executor(Request->ToURL());
    executor.Start(true);
    TParser parser(executor.Result().Response);
    parser.Start(true);
    return parser.GetResult();
}

} // namespace

TEST(LastFMStandin, EveryMethodAnswersInTheServicesShapes)
{
    TStandin standin;
    ASSERT_TRUE(standin.IsReady());
    const auto artists = Call<TLastFMArtistSearchResponseParser>(
        TLastFMAPIRequestFactory::ConstructArtistSearchRequest(Key, QString(), 30, 1));
    ASSERT_EQ(artists.ResultCode, 0) << artists.ErrorMessage.toStdString();
    ASSERT_GT(artists.Artists.Count(), 3);
    EXPECT_EQ(artists.TotalArtistsCount, artists.Artists.Count());
    const QString artist = artists.Artists.Item(0).Name;

    const auto info = Call<TLastFMArtistGetInfoResponseParser>(
        TLastFMAPIRequestFactory::ConstructArtistGetInfoRequest(Key, artist.toUpper(), false, QStringLiteral("ru")));
    ASSERT_EQ(info.ResultCode, 0) << info.ErrorMessage.toStdString();
    EXPECT_EQ(info.Name, artist);
    EXPECT_EQ(info.SimilarArtists.Count(), 2);
    EXPECT_FALSE(info.Bio.contains(u'<') || info.Bio.contains(u'\n')) << info.Bio.toStdString();
    EXPECT_TRUE(info.Bio.contains(u" plays \"music\" on ")) << info.Bio.toStdString();

    const auto albums = Call<TLastFMArtistGetTopAlbumsResponseParser>(
        TLastFMAPIRequestFactory::ConstructArtistGetTopAlbumsRequest(Key, artist, false, 6));
    ASSERT_EQ(albums.Albums.Count(), 2);
    const auto tracks = Call<TLastFMArtistGetTopTracksResponseParser>(
        TLastFMAPIRequestFactory::ConstructArtistGetTopTracksRequest(Key, artist, false, 5));
    // At most the limit; the total counts them all.
    EXPECT_LE(tracks.Tracks.Count(), 5);
    EXPECT_GE(tracks.TotalTracksCount, tracks.Tracks.Count());
    EXPECT_GE(tracks.Tracks.Count(), 2);

    // A one-track album comes without its array.
    const auto single = Call<TLastFMAlbumGetInfoResponseParser>(
        TLastFMAPIRequestFactory::ConstructAlbumGetInfoRequest(Key, artist, albums.Albums.Item(0).Title, false));
    ASSERT_EQ(single.ResultCode, 0) << single.ErrorMessage.toStdString();
    EXPECT_EQ(single.Tracks.Count(), 1);
    const auto found = Call<TLastFMAlbumSearchResponseParser>(
        TLastFMAPIRequestFactory::ConstructAlbumSearchRequest(Key, albums.Albums.Item(1).Title, 30, 1));
    ASSERT_GE(found.Albums.Count(), 1);
    EXPECT_EQ(found.Albums.Item(0).Artist, artist);

    const auto unknown
        = Call<TLastFMArtistGetInfoResponseParser>(TLastFMAPIRequestFactory::ConstructArtistGetInfoRequest(
            Key, QStringLiteral("No Such Artist"), false, QString()));
    EXPECT_EQ(unknown.ResultCode, 2);
    EXPECT_EQ(unknown.APIErrorCode, 6);

    // Every third artist has no "large" picture.
    for (int i = 0; i < 3; ++i) {
        TLastFMArtistRandomImageGetter getter(artists.Artists.Item(i).Name);
        getter.Start(true);
        EXPECT_EQ(getter.ResultCode(), i == 2 ? 2 : 0) << i << ": " << getter.ErrorMessage().toStdString();
        EXPECT_EQ(getter.ImageDataStream() != nullptr, i != 2);
        if (getter.ImageDataStream()) {
            EXPECT_TRUE(getter.ImageDataStream()->startsWith("\x89PNG"));
        }
    }
}
