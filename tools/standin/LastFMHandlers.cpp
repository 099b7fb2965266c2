#include "standin/LastFMHandlers.h"

#include <atomic>

#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace Standin {
namespace {

struct TAlbum
{
    QString Artist;
    QString Title;
    QStringList Tracks;
};

// The artists and albums, built once from the catalogue's plain text.
struct TLastFMData
{
    QStringList Artists;
    QMap<QString, QList<TAlbum>> Albums; // by artist, lower case

    explicit TLastFMData(const TCatalogue &Catalogue)
    {
        QMap<QString, QStringList> titles;
        for (const TTrack &track : Catalogue.Tracks()) {
            const QString artist = TCatalogue::PlainText(track.Artist);
            if (!titles.contains(artist.toLower()))
                Artists << artist;
            titles[artist.toLower()] << TCatalogue::PlainText(track.Title);
        }
        Artists << u"Nobody Known"_s;
        for (const QString &artist : Artists) {
            const QStringList known = titles.value(artist.toLower());
            // The first album has a single track: the service then sends it without its array.
            Albums[artist.toLower()] = {{artist, artist + u" Single"_s, known.mid(0, 1)},
                {artist, artist + u" Best"_s, known.mid(1, 4) << u"Missing Song"_s}};
        }
    }

    QString Find(const QString &Artist) const
    {
        for (const QString &artist : Artists)
            if (artist.compare(Artist, Qt::CaseInsensitive) == 0)
                return artist;
        return {};
    }
};

QString CoverName(const QString &Title)
{
    return QString::fromLatin1(QCryptographicHash::hash(Title.toUtf8(), QCryptographicHash::Md5).toHex().left(12));
}

// Small, medium and extralarge pictures; the "large" one only when asked, as
// some artists have none.
QJsonArray Images(const QString &Origin, const QString &Title, bool WithLarge)
{
    QJsonArray images;
    for (const QString &size : {u"small"_s, u"medium"_s, u"large"_s, u"extralarge"_s})
        if (WithLarge || size != u"large")
            images.append(
                QJsonObject {{u"#text"_s, Origin + u"/covers/"_s + CoverName(Title) + u".png"_s}, {u"size"_s, size}});
    return images;
}

// One item as a lone object, several as an array: the service's way.
QJsonValue List(const QJsonArray &Items)
{
    return Items.size() == 1 ? Items.first() : QJsonValue(Items);
}

QJsonObject Track(const QString &Artist, const QString &Title)
{
    return {{u"name"_s, Title}, {u"duration"_s, u"180"_s}, {u"artist"_s, QJsonObject {{u"name"_s, Artist}}}};
}

QJsonObject AlbumItem(const TAlbum &Album, const QString &Origin)
{
    return {{u"name"_s, Album.Title}, {u"artist"_s, QJsonObject {{u"name"_s, Album.Artist}}},
        {u"image"_s, Images(Origin, Album.Title, true)}};
}

QJsonObject Error(int Code, const QString &Message)
{
    return {{u"error"_s, Code}, {u"message"_s, Message}, {u"links"_s, QJsonArray()}};
}

QJsonObject Search(const QString &Subject, const QJsonArray &Matches, qsizetype Total)
{
    return {{u"results"_s,
        QJsonObject {{u"opensearch:Query"_s, QJsonObject {{u"startPage"_s, u"1"_s}}},
            {u"opensearch:totalResults"_s, QString::number(Total)},
            {Subject + u"matches"_s,
                Matches.isEmpty() ? QJsonValue(u"\n"_s) : QJsonValue(QJsonObject {{Subject, List(Matches)}})}}}};
}

QJsonObject Answer(const TLastFMData &Data, const QString &Origin, const httplib::Request &Request)
{
    const auto param = [&Request](const char *Name) { return QString::fromStdString(Request.get_param_value(Name)); };
    const QString method = param("method");
    // As the service: at most "limit" items (when one is given), the total counting them all.
    const auto limited = [limit = param("limit").toInt()](const QJsonArray &Items) {
        QJsonArray kept;
        for (const QJsonValue &item : Items)
            if (limit <= 0 || kept.size() < limit)
                kept.append(item);
        return kept;
    };
    const QString artist = Data.Find(param("artist"));
    if (method == u"artist.search" || method == u"album.search") {
        const bool artists = method == u"artist.search";
        const QString query = param(artists ? "artist" : "album");
        QJsonArray matches;
        for (const QString &name : Data.Artists) {
            if (artists && name.contains(query, Qt::CaseInsensitive))
                matches.append(QJsonObject {{u"name"_s, name}, {u"image"_s, Images(Origin, name, true)}});
            if (!artists)
                for (const TAlbum &album : Data.Albums[name.toLower()])
                    if (album.Title.contains(query, Qt::CaseInsensitive))
                        matches.append(AlbumItem(album, Origin));
        }
        return Search(artists ? u"artist"_s : u"album"_s, limited(matches), matches.size());
    }
    if (artist.isEmpty())
        return Error(6, u"The artist you supplied could not be found"_s);
    const QList<TAlbum> &albums = Data.Albums[artist.toLower()];
    if (method == u"artist.getInfo") {
        const qsizetype index = Data.Artists.indexOf(artist);
        QJsonArray similar;
        for (qsizetype i = 1; i <= 2; ++i) {
            const QString other = Data.Artists[(index + i) % Data.Artists.size()];
            similar.append(QJsonObject {{u"name"_s, other}, {u"image"_s, Images(Origin, other, true)}});
        }
        // Every third artist lacks the "large" picture.
        return {{u"artist"_s,
            QJsonObject {{u"name"_s, artist}, {u"image"_s, Images(Origin, artist, index % 3 != 2)},
                {u"similar"_s, QJsonObject {{u"artist"_s, similar}}},
                {u"bio"_s,
                    QJsonObject {{u"summary"_s,
                        u"  <b>"_s + artist
                            + u"</b> plays\n&quot;music&quot; on "
                              u"the stand-in. <a href=\"x\">Read more</a> "_s}}}}}};
    }
    if (method == u"artist.getTopAlbums") {
        QJsonArray items;
        for (const TAlbum &album : albums)
            items.append(AlbumItem(album, Origin));
        return {{u"topalbums"_s,
            QJsonObject {{u"album"_s, List(limited(items))},
                {u"@attr"_s, QJsonObject {{u"artist"_s, artist}, {u"total"_s, QString::number(items.size())}}}}}};
    }
    if (method == u"artist.getTopTracks") {
        // The "Best" album's tracks lead, so that the one the site lacks is among the first five.
        QJsonArray items;
        for (auto album = albums.rbegin(); album != albums.rend(); ++album)
            for (const QString &title : album->Tracks)
                items.append(Track(artist, title));
        return {{u"toptracks"_s,
            QJsonObject {{u"track"_s, List(limited(items))}, {u"total"_s, QString::number(items.size())}}}};
    }
    if (method == u"album.getInfo") {
        for (const TAlbum &album : albums) {
            if (album.Title.compare(param("album"), Qt::CaseInsensitive) != 0)
                continue;
            QJsonArray tracks;
            for (const QString &title : album.Tracks)
                tracks.append(Track(artist, title));
            return {{u"album"_s,
                QJsonObject {{u"name"_s, album.Title}, {u"artist"_s, artist},
                    {u"image"_s, Images(Origin, album.Title, true)},
                    {u"tracks"_s, QJsonObject {{u"track"_s, List(tracks)}}}}}};
        }
        return Error(6, u"Album not found"_s);
    }
    return Error(3, u"Invalid Method - No method with that name in this package"_s);
}

QByteArray CoverPng(const QString &Name)
{
    // A plain square in a colour of its own, so that pictures can be told apart.
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(int(qHash(Name) % 360), 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

} // namespace

void AddLastFMHandlers(httplib::Server &Server, const TCatalogue &Catalogue, const QString &Origin)
{
    auto data = std::make_shared<const TLastFMData>(Catalogue);
    auto down = std::make_shared<std::atomic<bool>>(false);
    Server.Post("/standin/down", [down](const httplib::Request &, httplib::Response &) { *down = true; });
    Server.Post("/standin/up", [down](const httplib::Request &, httplib::Response &) { *down = false; });
    Server.Get("/2.0/", [data, down, &Origin](const httplib::Request &Request, httplib::Response &Response) {
        if (*down) {
            Response.status = 503;
            Response.set_content("Service Unavailable", "text/plain");
            return;
        }
        Response.set_content(QJsonDocument(Answer(*data, Origin, Request)).toJson(QJsonDocument::Compact).toStdString(),
            "application/json; charset=utf-8");
    });
    Server.Get(R"(/covers/([0-9a-f]+)\.png)", [](const httplib::Request &Request, httplib::Response &Response) {
        const QByteArray png = CoverPng(QString::fromStdString(Request.matches[1]));
        Response.set_content(png.toStdString(), "image/png");
    });
}

} // namespace Standin
