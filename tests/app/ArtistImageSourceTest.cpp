// The window's artist-picture source: the toolkit's picture view fed by
// Last.fm over loopback.
#include "app/shell/TLastFMArtistImageSourceUnit.h"

#include "foundation/TThreadedObjectsManagerUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"
#include "ui/StyledControlsUnit.h"
#include "ui/UiTestSupport.h"

#include <QWidget>

namespace {

class LastFMArtistImageSourceTest : public TStyledTest
{
};

TEST_F(LastFMArtistImageSourceTest, TheArtistPictureComesFromLastFM)
{
    const QByteArray red = TestEnvironment::PngPicture(Qt::red);
    TTestHTTPServer server;
    server.Routes().Get("/2.0/", [&server](const httplib::Request &Request, httplib::Response &Response) {
        if (Request.get_param_value("artist") == "Cher")
            Response.set_content(R"({"artist":{"name":"Cher","image":[{"#text":")"
                    + server.URL(QStringLiteral("/cher.png")).toStdString() + R"(","size":"large"}]}})",
                "application/json");
        else
            Response.set_content(
                R"({"error":6,"message":"The artist you supplied could not be found"})", "application/json");
    });
    server.Answer("/cher.png", 200, red.toStdString(), {}, "image/png");
    server.Start();
    const QByteArray saved = qgetenv("MARVANE_LASTFM_URL");
    qputenv("MARVANE_LASTFM_URL", server.URL(QString()).toUtf8());
    TThreadedObjectsManager threads;

    QWidget form;
    auto *picture = new QWidget(&form);
    SetStyleLookup(picture, QStringLiteral("artistimagestyle"));
    picture->resize(64, 64);
    TLastFMArtistImageSource source;
    TArtistImageWrapper wrapper(&form, picture, source);
    wrapper.SetArtist(QStringLiteral("Cher"));
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !wrapper.IsDefaultBitmapSet(); }));
    EXPECT_EQ(wrapper.ImageAnimation()->StopBitmap.toImage().pixelColor(2, 2), QColor(Qt::red));

    wrapper.SetArtist(QStringLiteral("Nobody"));
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return wrapper.IsDefaultBitmapSet(); }));
    qputenv("MARVANE_LASTFM_URL", saved);
}

} // namespace
