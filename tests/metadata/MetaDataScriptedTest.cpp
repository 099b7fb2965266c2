// The metadata blocks against a Last.fm host the test scripts: malformed and
// refused answers, the album filter of related albums, and pictures that
// arrive after their subject has changed.
#include "metadata/pages/TAlbumDataUnit.h"
#include "metadata/pages/TArtistDataUnit.h"

#include "metadata/MetaDataTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace {

using TStates = std::vector<int>;

class ScriptedMetaData : public ::testing::Test
{
protected:
    ScriptedMetaData()
    {
        FServer.Routes().Get("/2.0/", [this](const httplib::Request &Request, httplib::Response &Response) {
            std::lock_guard guard(FLock);
            const auto [status, body] = FAnswer(Request.get_param_value("method"));
            Response.status = status;
            Response.set_content(body, "application/json");
        });
        FServer.Routes().Get("/red.png", [this](const httplib::Request &, httplib::Response &Response) {
            Response.set_content(FRed.toStdString(), "image/png");
        });
        FServer.Routes().Get("/blue.png", [this](const httplib::Request &, httplib::Response &Response) {
            Response.set_content(FBlue.toStdString(), "image/png");
        });
        // Red too, once the test opens the gate.
        FServer.Routes().Get("/slow.png", [this](const httplib::Request &, httplib::Response &Response) {
            const std::shared_ptr<TGate> gate = SlowGate();
            ++FSlowRequests;
            gate->Wait();
            Response.set_content(FRed.toStdString(), "image/png");
        });
        FServer.Start();
        FLastFMHost = std::make_unique<TScopedEnvironment>("MARVANE_LASTFM_URL", FServer.URL(QString()));
        // Track look-ups of matched lists go here too, and fail: nothing leaves the machine.
        FVKHost = std::make_unique<TScopedEnvironment>("MARVANE_VK_WEB_URL", FServer.URL(QString()));
    }
    ~ScriptedMetaData() override { SlowGate()->Open(); }

    // The gate the slow picture waits at; a new one closes it again.
    std::shared_ptr<TGate> SlowGate(bool New = false)
    {
        std::lock_guard guard(FLock);
        if (New)
            FSlowGate = std::make_shared<TGate>();
        return FSlowGate;
    }

    // What the host answers to a method; error 6 for anything not scripted.
    void Script(std::function<std::pair<int, std::string>(const std::string &Method)> Answer)
    {
        std::lock_guard guard(FLock);
        FAnswer = std::move(Answer);
    }
    std::string Picture(const char *Name) const { return FServer.URL(QString::fromLatin1(Name)).toStdString(); }
    // The images member of an answer, with a "large" picture at Name.
    std::string Images(const char *Name) const
    {
        return R"([{"#text":"","size":"small"},{"#text":")" + Picture(Name) + R"(","size":"large"}])";
    }
    static TLastFMImagesRecord ImagesRecord(const QString &LargeURL)
    {
        TLastFMImagesRecord images;
        for (const auto &[size, url] :
            {std::pair(QStringLiteral("medium"), QStringLiteral("x")), std::pair(QStringLiteral("large"), LargeURL)}) {
            images.FImages.emplace_back();
            images.FImages.back().Size = size;
            images.FImages.back().URL = url;
        }
        return images;
    }

    const QByteArray FRed = TestEnvironment::PngPicture(Qt::red);
    const QByteArray FBlue = TestEnvironment::PngPicture(Qt::blue);
    std::atomic<int> FSlowRequests {0};
    TTestHTTPServer FServer;
    std::unique_ptr<TScopedEnvironment> FLastFMHost;
    std::unique_ptr<TScopedEnvironment> FVKHost;
    TMetaDataEnvironment FEnvironment;

private:
    std::mutex FLock;
    std::shared_ptr<TGate> FSlowGate = std::make_shared<TGate>();
    std::function<std::pair<int, std::string>(const std::string &Method)> FAnswer
        = [](const std::string &) { return std::pair<int, std::string>(200, R"({"error":6,"message":"not found"})"); };
};

} // namespace

TEST_F(ScriptedMetaData, ArtistAnswersOfEveryShapeEndInTheirStates)
{
    const std::string hugeBio = std::string(200000, 'x');
    const struct
    {
        const char *Name;
        int Status;
        std::string Body;
        int PageState;
        int SimilarState;
        int ImageState;
    } cases[] = {
        {"HTML instead of JSON", 200, "<html><body>502 Bad Gateway</body></html>", mdsServiceError, mdsServiceError,
            mdsCleared},
        {"a JSON array", 200, "[1,2]", mdsServiceError, mdsServiceError, mdsCleared},
        {"members missing", 200, R"({"artist":{"name":"A"}})", mdsServiceError, mdsServiceError, mdsCleared},
        {"another service error", 200, R"({"error":10,"message":"Invalid API key"})", mdsServiceError, mdsServiceError,
            mdsCleared},
        {"not found, the code as text", 200, R"({"message":"The artist you supplied could not be found","error":"6"})",
            mdsNotFound, mdsServiceError, mdsCleared},
        {"a server error", 503, "Service Unavailable", mdsRequestFailed, mdsRequestFailed, mdsCleared},
        {"a huge biography, one similar artist as a lone object", 200,
            R"({"artist":{"name":"A","image":)" + Images("/red.png")
                + R"(,"similar":{"artist":{"name":"B","image":[]}},"bio":{"summary":"<p>)" + hugeBio + R"(</p>"}}})",
            mdsLoaded, mdsLoaded, mdsLoaded},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Script([&](const std::string &Method) {
            return Method == "artist.getInfo" ? std::pair(c.Status, c.Body)
                                              : std::pair(200, std::string(R"({"error":6,"message":"none"})"));
        });
        TArtistData artist(FEnvironment.VK(), FEnvironment.LastFM());
        artist.SetArtist(QStringLiteral("A"));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return artist.State() != mdsLoading; }));
        EXPECT_EQ(artist.State(), c.PageState);
        EXPECT_EQ(artist.SimilarArtistsData().State(), c.SimilarState);
        EXPECT_TRUE(WaitForState(artist.ImageData(), c.ImageState)) << int(artist.ImageData().State());
        if (c.PageState == mdsLoaded) {
            EXPECT_EQ(artist.Bio(), QString::fromStdString(hugeBio));
            ASSERT_EQ(artist.SimilarArtistsData().ActiveItemsCount(), 1);
            EXPECT_EQ(artist.SimilarArtistsData().getItem(0).Name, QStringLiteral("B"));
            EXPECT_EQ(artist.SimilarArtistsData().getItem(0).ImageData.State(), mdsNoImage);
            EXPECT_EQ(artist.ImageData().CoverImageStream(), FRed);
        } else {
            EXPECT_EQ(artist.SimilarArtistsData().ActiveItemsCount(), 0);
        }
        TListsEnvironment::TasksHandled();
    }
}

// Both searches: error 6 is a refused query and empties the list.
TEST_F(ScriptedMetaData, ASearchRefusedByTheServiceIsAnInvalidQuery)
{
    TSearchArtistsData artists(30, FEnvironment.LastFM());
    TSearchAlbumsData albums(30, FEnvironment.LastFM());
    const struct
    {
        const char *Name;
        TImageMetaDataBlockList &List;
        std::function<void(const QString &Query)> SetQuery;
        std::string Found;
    } cases[] = {
        {"artists", artists, [&](const QString &Query) { artists.SetQuery(Query); },
            R"({"results":{"opensearch:Query":{"startPage":"1"},"opensearch:totalResults":"3","artistmatches":{"artist":[)"
            R"({"name":"A","image":)"
                + Images("/red.png") + R"(},{"name":"B","image":[]},{"name":"C","image":[]}]}}})"},
        {"albums", albums, [&](const QString &Query) { albums.SetQuery(Query); },
            R"({"results":{"opensearch:Query":{"startPage":1},"opensearch:totalResults":3,"albummatches":{"album":[)"
            R"({"name":"A","artist":"X","image":)"
                + Images("/red.png")
                + R"(},)"
                  R"({"name":"B","artist":"X","image":[]},{"name":"C","artist":"X","image":[]}]}}})"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Script([&](const std::string &) { return std::pair(200, c.Found); });
        c.SetQuery(QStringLiteral("good"));
        ASSERT_TRUE(WaitForState(c.List, mdsLoaded));
        EXPECT_EQ(c.List.ActiveItemsCount(), 3);
        ASSERT_TRUE(WaitForState(c.List.getItem(0).ImageData, mdsLoaded));

        Script([](const std::string &) { return std::pair(200, std::string(R"({"error":6,"message":"Bad query"})")); });
        c.SetQuery(QStringLiteral("bad"));
        ASSERT_TRUE(WaitForState(c.List, mdsInvalidQuery));
        EXPECT_EQ(c.List.ActiveItemsCount(), 0);
        EXPECT_EQ(c.List.Count(), 3);
        EXPECT_EQ(c.List.getItem(0).ImageData.State(), mdsHidden);

        Script([](const std::string &) { return std::pair(200, std::string(R"({"error":8,"message":"Backend"})")); });
        c.SetQuery(QStringLiteral("again"));
        EXPECT_TRUE(WaitForState(c.List, mdsServiceError));
    }
}

TEST_F(ScriptedMetaData, RelatedAlbumsLeaveOutOnlyTheAlbumItself)
{
    const auto album
        = [](const std::string &Title) { return R"({"name":")" + Title + R"(","artist":{"name":"X"},"image":[]})"; };
    const struct
    {
        const char *Name;
        std::string Albums;
        int Remaining;
        int State;
    } cases[] = {
        {"the album among six",
            "[" + album("One") + "," + album("Two") + "," + album("Blue") + "," + album("Three") + "," + album("Four")
                + "," + album("Five") + "]",
            5, mdsLoaded},
        {"only its title in other letter case", "[" + album("One") + "," + album("BLUE") + "," + album("Two") + "]", 3,
            mdsLoaded},
        {"only the album itself", album("Blue"), 0, mdsEmptyResult},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Script([&](const std::string &Method) {
            if (Method == "album.getInfo")
                return std::pair(200, std::string(R"({"album":{"name":"Blue","artist":"X","image":[],"tracks":""}})"));
            return std::pair(200, R"({"topalbums":{"album":)" + c.Albums + R"(,"@attr":{"total":"6"}}})");
        });
        TAlbumData data(FEnvironment.VK(), FEnvironment.LastFM());
        data.SetAlbum(QStringLiteral("X"), QStringLiteral("Blue"));
        ASSERT_TRUE(WaitForState(data.RelatedAlbumsData(), c.State));
        EXPECT_EQ(data.RelatedAlbumsData().ActiveItemsCount(), c.Remaining);
        for (int i = 0; i < c.Remaining; ++i)
            EXPECT_NE(data.RelatedAlbumsData().getItem(i).Title, QStringLiteral("Blue"));
    }
    // One more than shown is asked for, as the album itself is left out.
    bool askedSix = false;
    for (const TRecordedRequest &request : FServer.Requests())
        askedSix |= request.Target.find("artist.getTopAlbums") != std::string::npos
            && request.Target.find("limit=6") != std::string::npos;
    EXPECT_TRUE(askedSix);
}

// A picture still downloading when its slot changes subject is dropped, and
// its download aborted, whatever the slot shows next.
TEST_F(ScriptedMetaData, APictureOfAnEarlierSubjectIsNeverShown)
{
    const QString slow = FServer.URL(QStringLiteral("/slow.png"));
    const struct
    {
        const char *Name;
        std::function<void(TCoverImageData &Image)> Change;
        int State;
        QByteArray Stream;
    } cases[] = {
        {"another picture",
            [&](TCoverImageData &Image) {
                Image.SetLastFMImagesData(ImagesRecord(FServer.URL(QStringLiteral("/blue.png"))));
            },
            mdsLoaded, FBlue},
        {"no large picture", [](TCoverImageData &Image) { Image.SetLastFMImagesData(ImagesRecord(QString())); },
            mdsNoImage, {}},
        {"the page failed", [](TCoverImageData &Image) { Image.Clear(); }, mdsCleared, {}},
        {"hidden", [](TCoverImageData &Image) { Image.Hide(); }, mdsHidden, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        const std::shared_ptr<TGate> gate = SlowGate(true);
        const int served = FSlowRequests;
        TCoverImageData image;
        image.SetLastFMImagesData(ImagesRecord(slow));
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return FSlowRequests > served; }));
        c.Change(image);
        ASSERT_TRUE(WaitForState(image, c.State));
        gate->Open();
        ASSERT_TRUE(TListsEnvironment::TasksHandled());
        EXPECT_EQ(image.State(), c.State);
        EXPECT_EQ(image.CoverImageStream(), c.Stream);
    }

    // A block that goes with its download running hears nothing more.
    const std::shared_ptr<TGate> gate = SlowGate(true);
    {
        TCoverImageData image;
        image.SetLastFMImagesData(ImagesRecord(slow));
    }
    gate->Open();
    EXPECT_TRUE(TListsEnvironment::TasksHandled());
}

// A failed download: the slot says so, and a new one loads again.
TEST_F(ScriptedMetaData, APictureThatCannotBeDownloadedFails)
{
    TCoverImageData image;
    TStateLog log(image);
    image.SetLastFMImagesData(ImagesRecord(FServer.URL(QStringLiteral("/missing.png"))));
    ASSERT_TRUE(WaitForState(image, mdsRequestFailed));
    image.SetLastFMImagesData(ImagesRecord(FServer.URL(QStringLiteral("/red.png"))));
    ASSERT_TRUE(WaitForState(image, mdsLoaded));
    EXPECT_EQ(log.States, (TStates {mdsLoading, mdsRequestFailed, mdsLoading, mdsLoaded}));
    EXPECT_EQ(image.CoverImageStream(), FRed);
}

TEST_F(ScriptedMetaData, AnAlbumThatFailsEndsEveryBlockOfItsPage)
{
    const struct
    {
        const char *Name;
        int Status;
        std::string Body;
        int PageState;
        int TracksState;
    } cases[] = {
        {"a server error", 500, "Internal Server Error", mdsRequestFailed, mdsRequestFailed},
        {"another service error", 200, R"({"error":29,"message":"Rate limit exceeded"})", mdsServiceError,
            mdsServiceError},
        {"not found", 200, R"({"error":6,"message":"Album not found"})", mdsNotFound, mdsServiceError},
        {"an album without its name", 200, R"({"album":{"artist":"X","image":[],"tracks":""}})", mdsServiceError,
            mdsServiceError},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Script([&](const std::string &) { return std::pair(c.Status, c.Body); });
        TAlbumData album(FEnvironment.VK(), FEnvironment.LastFM());
        album.SetAlbum(QStringLiteral("X"), QStringLiteral("Blue"));
        ASSERT_TRUE(WaitForState(album, c.PageState));
        EXPECT_EQ(album.CoverImageData().State(), mdsCleared);
        EXPECT_EQ(album.RelatedAlbumsData().State(), mdsCleared);
        EXPECT_EQ(album.AlbumTracksData().State(), c.TracksState);
    }
}

// Nothing answers: each block of a page and a search says so.
TEST_F(ScriptedMetaData, AnUnreachableServiceFailsEveryBlock)
{
    TScopedEnvironment nowhere("MARVANE_LASTFM_URL", QStringLiteral("http://127.0.0.1:1"));
    TArtistData artist(FEnvironment.VK(), FEnvironment.LastFM());
    TSearchAlbumsData search(30, FEnvironment.LastFM());
    artist.SetArtist(QStringLiteral("X"));
    search.SetQuery(QStringLiteral("X"));
    for (TMetaDataBlock *block : std::initializer_list<TMetaDataBlock *> {
             &artist, &artist.SimilarArtistsData(), &artist.TopAlbumsData(), &artist.TopTracksData(), &search})
        EXPECT_TRUE(WaitForState(*block, mdsRequestFailed)) << int(block->State());
    EXPECT_EQ(artist.ImageData().State(), mdsCleared);
}

// After a network blip or a refusal, asking for the same artist, album or
// query again asks the service again; a subject that loaded is not asked twice.
TEST_F(ScriptedMetaData, AFailedBlockIsAskedAgainForTheSameSubjectAndALoadedOneIsNot)
{
    const std::map<std::string, std::string> answers = {
        {"artist.getInfo",
            R"({"artist":{"name":"A","image":[],"similar":{"artist":{"name":"B","image":[]}},"bio":{"summary":"Bio"}}})"},
        {"artist.getTopAlbums",
            R"({"topalbums":{"album":[{"name":"Red","artist":{"name":"A"},"image":[]}],"@attr":{"total":"1"}}})"},
        {"artist.getTopTracks", R"({"toptracks":{"total":"1","track":[{"name":"Song","artist":{"name":"A"}}]}})"},
        {"album.getInfo", R"({"album":{"name":"Blue","artist":"X","image":[],"tracks":""}})"},
        {"artist.search",
            R"({"results":{"opensearch:Query":{"startPage":"1"},"opensearch:totalResults":"1","artistmatches":{"artist":[)"
            R"({"name":"A","image":[]}]}}})"},
        {"album.search",
            R"({"results":{"opensearch:Query":{"startPage":1},"opensearch:totalResults":1,"albummatches":{"album":[)"
            R"({"name":"Blue","artist":"X","image":[]}]}}})"},
    };
    const auto served = [this] { return FServer.Requests().size(); };
    const struct
    {
        const char *Name;
        int Status;
        std::string Body;
        int State;
    } cases[] = {
        {"a server error", 503, "Service Unavailable", mdsRequestFailed},
        {"a refusal of the service", 200, R"({"error":8,"message":"Backend"})", mdsServiceError},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        Script([&](const std::string &) { return std::pair(c.Status, c.Body); });
        TArtistData artist(FEnvironment.VK(), FEnvironment.LastFM());
        TAlbumData album(FEnvironment.VK(), FEnvironment.LastFM());
        TSearchArtistsData artists(30, FEnvironment.LastFM());
        TSearchAlbumsData albums(30, FEnvironment.LastFM());
        const auto askAll = [&] {
            artist.SetArtist(QStringLiteral("A"));
            album.SetAlbum(QStringLiteral("X"), QStringLiteral("Blue"));
            artists.SetQuery(QStringLiteral("A"));
            albums.SetQuery(QStringLiteral("Blue"));
        };
        const std::initializer_list<TMetaDataBlock *> blocks
            = {&artist, &artist.TopAlbumsData(), &artist.TopTracksData(), &album, &artists, &albums};
        askAll();
        for (TMetaDataBlock *block : blocks)
            EXPECT_TRUE(WaitForState(*block, c.State)) << int(block->State());

        Script([&](const std::string &Method) {
            const auto answer = answers.find(Method);
            return answer == answers.end() ? std::pair(200, std::string(R"({"error":6,"message":"none"})"))
                                           : std::pair(200, answer->second);
        });
        askAll();
        for (TMetaDataBlock *block : blocks)
            EXPECT_TRUE(WaitForState(*block, mdsLoaded)) << int(block->State());
        EXPECT_TRUE(WaitForState(album.RelatedAlbumsData(), mdsLoaded));
        EXPECT_EQ(artist.Bio(), QStringLiteral("Bio"));

        const std::size_t asked = served();
        askAll();
        TestEnvironment::WaitFor([] { return false; }, std::chrono::milliseconds(300));
        EXPECT_EQ(served(), asked);
        TListsEnvironment::TasksHandled();
    }
}
