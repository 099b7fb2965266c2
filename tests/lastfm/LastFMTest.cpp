#include "lastfm/TLastFMAPIRequestFactoryUnit.h"
#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "lastfm/TLastFMArtistImageUnit.h"

#include "foundation/THierarchicalSingletonUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString Key = LastFMAPIKey;

// The query of a rendered URL, as it was sent.
QString QueryOf(const QString &URL)
{
    return URL.mid(URL.indexOf(u'?') + 1);
}

// Points the Last.fm host at Server for as long as it lives.
class TLastFMHost
{
public:
    explicit TLastFMHost(const TTestHTTPServer &Server) : FSaved(qgetenv("MARVANE_LASTFM_URL"))
    {
        qputenv("MARVANE_LASTFM_URL", Server.URL(QString()).toUtf8());
    }
    ~TLastFMHost() { qputenv("MARVANE_LASTFM_URL", FSaved); }

private:
    QByteArray FSaved;
};

template<class TParser> auto Parse(const QString &Answer)
{
    TParser parser(Answer);
    parser.Start(true);
    return parser.GetResult();
}

} // namespace

TEST(LastFMRequests, MethodComesFirstFormatSecondAndEveryValueIsEncoded)
{
    const QString prefix = QStringLiteral("format=json&api_key=") + Key + u'&';
    const struct
    {
        std::unique_ptr<TLastFMAPIRequest> Request;
        QString Query;
    } cases[] = {
        {TLastFMAPIRequestFactory::ConstructAlbumGetInfoRequest(
             Key, QStringLiteral("Cher"), QStringLiteral("Believe"), false),
            QStringLiteral("method=album.getInfo&") + prefix
                + QStringLiteral("artist=Cher&album=Believe&autocorrect=0")},
        {TLastFMAPIRequestFactory::ConstructAlbumSearchRequest(Key, QStringLiteral("Кукушка"), 0, 1),
            QStringLiteral("method=album.search&") + prefix
                + QStringLiteral("album=%D0%9A%D1%83%D0%BA%D1%83%D1%88%D0%BA%D0%B0&limit=0&page=1")},
        {TLastFMAPIRequestFactory::ConstructArtistGetInfoRequest(
             Key, QStringLiteral("Simon & Garfunkel"), true, QString()),
            QStringLiteral("method=artist.getInfo&") + prefix
                + QStringLiteral("artist=Simon%20%26%20Garfunkel&autocorrect=-1")},
        {TLastFMAPIRequestFactory::ConstructArtistGetInfoRequest(
             Key, QStringLiteral("Cher"), false, QStringLiteral("ru")),
            QStringLiteral("method=artist.getInfo&") + prefix + QStringLiteral("artist=Cher&autocorrect=0&lang=ru")},
        {TLastFMAPIRequestFactory::ConstructArtistGetTopAlbumsRequest(Key, QStringLiteral("Cher"), false, 6),
            QStringLiteral("method=artist.getTopAlbums&") + prefix
                + QStringLiteral("artist=Cher&autocorrect=0&limit=6")},
        {TLastFMAPIRequestFactory::ConstructArtistGetTopTracksRequest(Key, QStringLiteral("Cher"), false, 5),
            QStringLiteral("method=artist.getTopTracks&") + prefix
                + QStringLiteral("artist=Cher&autocorrect=0&limit=5")},
        {TLastFMAPIRequestFactory::ConstructArtistSearchRequest(Key, QStringLiteral("a+b"), 30, 2),
            QStringLiteral("method=artist.search&") + prefix + QStringLiteral("artist=a%2Bb&limit=30&page=2")},
    };
    for (const auto &c : cases) {
        const QString url = c.Request->ToURL();
        EXPECT_TRUE(url.startsWith(GetLastFMEndpointURL() + u'?')) << url.toStdString();
        EXPECT_EQ(QueryOf(url), c.Query);
        EXPECT_EQ(QueryOf(CloneOf(*c.Request)->ToURL()), c.Query) << "a clone renders the same";
    }
}

TEST(LastFMRequests, ThePictureURLKeepsANameWithAnAmpersandOrAnEqualsSignOneValue)
{
    const QString url = TLastFMAPIRequestFactory::ConstructArtistGetInfoRequestDepr(
        Key, QStringLiteral("Simon & Garfunkel=x&api_key=stolen"), 1);
    const QUrlQuery query(QUrl(url).query());
    EXPECT_EQ(query.queryItemValue(QStringLiteral("artist"), QUrl::FullyDecoded),
        QStringLiteral("Simon & Garfunkel=x&api_key=stolen"));
    EXPECT_EQ(query.allQueryItemValues(QStringLiteral("api_key")), QStringList {Key});
    EXPECT_EQ(QueryOf(url).section(u'&', 0, 0), QStringLiteral("method=artist.getInfo"));
    EXPECT_TRUE(QueryOf(url).endsWith(QStringLiteral("&autocorrect=1&format=json")));
    EXPECT_TRUE(url.contains(QStringLiteral("artist=Simon%20%26%20Garfunkel%3Dx%26api_key%3Dstolen")));
}

TEST(LastFMParsers, ListsAcceptALoneObjectAndTotalsComeFromAttrOrTheTop)
{
    const auto search = Parse<TLastFMAlbumSearchResponseParser>(QStringLiteral(
        R"({"results":{"opensearch:Query":{"startPage":"1"},"opensearch:totalResults":"1",)"
        R"("albummatches":{"album":{"name":"Believe","artist":"Cher","image":[{"#text":"http://i/b.png","size":"large"}]}}}})"));
    ASSERT_EQ(search.ResultCode, 0) << search.ErrorMessage.toStdString();
    ASSERT_EQ(search.Albums.Count(), 1);
    EXPECT_EQ(search.Albums.Item(0).Artist, QStringLiteral("Cher"));
    EXPECT_EQ(search.Albums.Item(0).CoverImages.Item(0).URL, QStringLiteral("http://i/b.png"));
    EXPECT_EQ(search.TotalAlbumsCount, 1);
    EXPECT_EQ(search.Page, 1);

    const auto noAlbums = Parse<TLastFMArtistGetTopAlbumsResponseParser>(
        QStringLiteral(R"({"topalbums":{"@attr":{"artist":"X","total":"0"}}})"));
    EXPECT_EQ(noAlbums.ResultCode, 0) << noAlbums.ErrorMessage.toStdString();
    EXPECT_EQ(noAlbums.TotalAlbumsCount, 0);
    EXPECT_EQ(noAlbums.Albums.Count(), 0);

    const auto tracks = Parse<TLastFMArtistGetTopTracksResponseParser>(QStringLiteral(
        R"({"toptracks":{"total":"12","track":[{"name":"Кукушка","artist":{"name":"Кино"}},{"name":"Звезда","artist":{"name":"Кино"}}]}})"));
    ASSERT_EQ(tracks.ResultCode, 0) << tracks.ErrorMessage.toStdString();
    EXPECT_EQ(tracks.TotalTracksCount, 12);
    ASSERT_EQ(tracks.Tracks.Count(), 2);
    EXPECT_EQ(tracks.Tracks.Item(1).Title, QStringLiteral("Звезда"));
    EXPECT_EQ(tracks.Tracks.Item(1).Artist, QStringLiteral("Кино"));

    const auto artists = Parse<TLastFMArtistSearchResponseParser>(QStringLiteral(
        R"({"results":{"opensearch:Query":{"startPage":2},"opensearch:totalResults":31,"artistmatches":{"artist":[{"name":"Cher","image":[]}]}}})"));
    EXPECT_EQ(artists.ResultCode, 0) << artists.ErrorMessage.toStdString();
    EXPECT_EQ(artists.TotalArtistsCount, 31) << "a number where the service sends text";
    EXPECT_EQ(artists.Page, 2);
    EXPECT_EQ(artists.Artists.Count(), 1);
}

TEST(LastFMParsers, ArtistInformationCarriesAPlainTextBiography)
{
    const QString hugeTail = QString(200000, u'x');
    const auto info = Parse<TLastFMArtistGetInfoResponseParser>(
        QStringLiteral(R"({"artist":{"name":"Кино","image":[{"#text":"http://i/k.png","size":"large"}],)"
                       R"("similar":{"artist":{"name":"Аквариум","image":[]}},)"
                       R"("bio":{"summary":"  <b>Кино</b> was a\nband &quot;from&quot; Leningrad &amp; more.\n\n)"
                       R"(It&#39;s &lt;legend&gt; <a href=\"x\">Read</a> )")
        + hugeTail + QStringLiteral(R"( "}}})"));
    ASSERT_EQ(info.ResultCode, 0) << info.ErrorMessage.toStdString();
    EXPECT_EQ(info.Name, QStringLiteral("Кино"));
    ASSERT_EQ(info.SimilarArtists.Count(), 1);
    EXPECT_EQ(info.SimilarArtists.Item(0).Name, QStringLiteral("Аквариум"));
    EXPECT_EQ(info.Bio, QStringLiteral("Кино was a band \"from\" Leningrad & more.\n\nIt's <legend> Read ") + hugeTail);
}

// Numbers where text is expected: whole ones as digits, the rest as Qt
// writes a double; none may be converted past qint64's range.
TEST(LastFMParsers, NumbersOfAnySizeBecomeText)
{
    const struct
    {
        const char *Number;
        QString Text;
    } cases[] = {
        {"31", QStringLiteral("31")},
        {"-7", QStringLiteral("-7")},
        {"2.5", QStringLiteral("2.5")},
        {"9007199254740992", QStringLiteral("9007199254740992")},
        {"-9223372036854775808", QStringLiteral("-9223372036854775808")},
        {"9223372036854775808", QStringLiteral("9.22337e+18")},
        {"1e19", QStringLiteral("1e+19")},
        {"-1e19", QStringLiteral("-1e+19")},
        {"1e300", QStringLiteral("1e+300")},
        {"-1.7976931348623157e308", QStringLiteral("-1.79769e+308")},
    };
    for (const auto &c : cases) {
        const QJsonObject object = LastFMJSON::ParseObject(QStringLiteral("{\"n\":%1}").arg(QLatin1String(c.Number)));
        EXPECT_EQ(LastFMJSON::Text(object, QStringLiteral("n")), c.Text) << c.Number;
    }
}

TEST(LastFMParsers, ErrorsAndMalformedAnswersGiveTheirCodes)
{
    const struct
    {
        const char *Name;
        QString Answer;
        int ResultCode;
        int APIErrorCode;
    } cases[] = {
        {"error document",
            QStringLiteral(R"({"error":6,"message":"The album you supplied could not be found","links":[]})"), 2, 6},
        {"error code as text", QStringLiteral(R"({"message":"Rate limit exceeded","error":"29"})"), 2, 29},
        // 262 would be 6 (not found) read modulo 256.
        {"error code past a byte", QStringLiteral(R"({"message":"Odd","error":262})"), 2, 0},
        {"HTML", QStringLiteral("<html><body>502 Bad Gateway</body></html>"), 1, 0},
        {"truncated", QStringLiteral(R"({"album":{"name":"Believe","artist":"Ch)"), 1, 0},
        {"array", QStringLiteral(R"([{"album":{}}])"), 1, 0},
        {"bare string", QStringLiteral(R"("album")"), 1, 0},
        {"no payload", QStringLiteral(R"({"album":"Believe"})"), 1, 0},
        {"missing name", QStringLiteral(R"({"album":{"artist":"Cher","image":[],"tracks":""}})"), 1, 0},
        {"image not a list", QStringLiteral(R"({"album":{"name":"B","artist":"Cher","image":"x","tracks":""}})"), 1, 0},
        {"no tracks member", QStringLiteral(R"({"album":{"name":"B","artist":"Cher","image":[]}})"), 1, 0},
    };
    for (const auto &c : cases) {
        const auto result = Parse<TLastFMAlbumGetInfoResponseParser>(c.Answer);
        EXPECT_EQ(result.ResultCode, c.ResultCode) << c.Name;
        EXPECT_EQ(result.APIErrorCode, c.APIErrorCode) << c.Name;
        EXPECT_FALSE((c.ResultCode == 2 ? result.APIErrorMessage : result.ErrorMessage).isEmpty()) << c.Name;
    }

    // A guarded member that is there but no object gives an empty list.
    const auto album = Parse<TLastFMAlbumGetInfoResponseParser>(
        QStringLiteral(R"({"album":{"name":"Believe","artist":"Cher","image":[],"tracks":"\n "}})"));
    EXPECT_EQ(album.ResultCode, 0) << album.ErrorMessage.toStdString();
    EXPECT_EQ(album.Tracks.Count(), 0);
    EXPECT_EQ(album.Title, QStringLiteral("Believe"));
}

TEST(LastFMManager, ANewerRequestOfTheSameOperationIsTheOnlyOneDelivered)
{
    TTestHTTPServer server;
    server.Routes().Get("/2.0/", [](const httplib::Request &Request, httplib::Response &Response) {
        Response.set_content(R"({"album":{"name":")" + Request.get_param_value("album")
                + R"(","artist":"Cher","image":[],"tracks":{"track":{"name":"Believe","artist":{"name":"Cher"}}}}})",
            "application/json");
    });
    server.Start();
    TLastFMHost host(server);
    TThreadedObjectsManager threads;
    TLastFMAPIRequestManager manager;
    const auto operation = static_cast<std::uint32_t>(GetInstance<TLastFMOperationIDGenerator>()->GetID());
    QStringList delivered;
    for (const char *album : {"Older", "Newer"}) {
        manager.Add(operation,
            std::make_unique<TAPIRequestData>(InvokerClass<TLastFMAlbumGetInfoRequestInvoker>(),
                TLastFMAPIRequestFactory::ConstructAlbumGetInfoRequest(
                    Key, QStringLiteral("Cher"), QString::fromLatin1(album), false),
                nullptr, [&delivered](TObject *Sender) {
                    const auto *result = static_cast<TLastFMAlbumGetInfoRequestInvoker *>(Sender)->GetAPIResult();
                    delivered << (result ? result->Title + u'/' + result->Tracks.Item(0).Title
                                         : QStringLiteral("failed"));
                }));
    }
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !delivered.isEmpty(); }));
    EXPECT_FALSE(TestEnvironment::WaitFor([&] { return delivered.size() > 1; }, std::chrono::milliseconds(700)));
    EXPECT_EQ(delivered, QStringList {QStringLiteral("Newer/Believe")});
    manager.StopThread();
}

TEST(LastFMArtistImage, TheLargePictureIsFetchedAndEveryFailureLeavesNoStream)
{
    const std::string png("\x89PNG\r\n\x1a\nnot really", 18);
    const struct
    {
        const char *Name;
        std::string Answer;
        int ResultCode;
    } cases[] = {
        {"large picture",
            R"({"artist":{"name":"Cher","image":[{"#text":"IMAGE/small.png","size":"small"},{"#text":"IMAGE/large.png","size":"large"}]}})",
            0},
        {"no large picture", R"({"artist":{"name":"Cher","image":[{"#text":"IMAGE/small.png","size":"small"}]}})", 2},
        {"picture missing", R"({"artist":{"name":"Cher","image":[{"#text":"IMAGE/gone.png","size":"large"}]}})", 2},
        {"error document", R"({"error":6,"message":"The artist you supplied could not be found"})", 2},
        {"HTML", "<html>busy</html>", 2},
    };
    for (const auto &c : cases) {
        TTestHTTPServer server;
        server.Routes().Get("/2.0/", [&server, &c](const httplib::Request &, httplib::Response &Response) {
            std::string answer = c.Answer;
            for (std::size_t at; (at = answer.find("IMAGE")) != std::string::npos;)
                answer.replace(at, 5, server.URL(QStringLiteral("/img")).toStdString());
            Response.set_content(answer, "application/json");
        });
        server.Answer("/img/large.png", 200, png, {}, "image/png");
        server.Answer("/img/small.png", 200, "small", {}, "image/png");
        server.Start();
        TLastFMHost host(server);

        TLastFMArtistRandomImageGetter getter(QStringLiteral("Simon & Garfunkel"));
        getter.Start(true);
        EXPECT_EQ(getter.ResultCode(), c.ResultCode) << c.Name << ": " << getter.ErrorMessage().toStdString();
        if (c.ResultCode == 0) {
            ASSERT_NE(getter.ImageDataStream(), nullptr) << c.Name;
            EXPECT_EQ(getter.ImageDataStream()->toStdString(), png);
        } else {
            EXPECT_EQ(getter.ImageDataStream(), nullptr) << c.Name;
            EXPECT_FALSE(getter.ErrorMessage().isEmpty() && std::string(c.Name) != "no large picture") << c.Name;
        }
        const auto requests = server.Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_NE(requests.front().Target.find("artist=Simon%20%26%20Garfunkel&"), std::string::npos)
            << requests.front().Target;
    }
}
