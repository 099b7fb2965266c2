#include "lastfm/TLastFMAPIRequestFactoryUnit.h"

#include "app/helpers/RemoteHostsUnit.h"

namespace {

QString FlagText(bool Value)
{
    return Value ? QStringLiteral("-1") : QStringLiteral("0");
}

std::unique_ptr<TLastFMAPIRequest> MakeRequest(const QString &Method, const QString &APIKey, TURIParams Params)
{
    Params.insert(Params.begin(),
        {URIParam(QStringLiteral("format"), QStringLiteral("json")), URIParam(QStringLiteral("api_key"), APIKey)});
    return std::make_unique<TLastFMAPIRequest>(GetLastFMEndpointURL(), Method, Params);
}

// An artist's top albums or tracks.
std::unique_ptr<TLastFMAPIRequest> ArtistTopRequest(
    const QString &Method, const QString &APIKey, const QString &Artist, bool Autocorrect, int Count)
{
    return MakeRequest(Method, APIKey,
        {URIParam(QStringLiteral("artist"), Artist), URIParam(QStringLiteral("autocorrect"), FlagText(Autocorrect)),
            URIParam(QStringLiteral("limit"), QString::number(Count))});
}

// A search of Subject ("album", "artist") for Query.
std::unique_ptr<TLastFMAPIRequest> SearchRequest(
    const QString &Subject, const QString &APIKey, const QString &Query, int Count, int Page)
{
    return MakeRequest(Subject + QStringLiteral(".search"), APIKey,
        {URIParam(Subject, Query), URIParam(QStringLiteral("limit"), QString::number(Count)),
            URIParam(QStringLiteral("page"), QString::number(Page))});
}

} // namespace

QString GetLastFMEndpointURL()
{
    return GetLastFMURL() + QStringLiteral("/2.0/");
}

std::unique_ptr<TCloneable> TLastFMAPIRequest::Clone() const
{
    return std::make_unique<TLastFMAPIRequest>(*this);
}

QString TLastFMAPIRequest::ToURL() const
{
    QStringList params = ParamsList();
    params.removeIf(
        [](const QString &Line) { return Line.section(u'=', 0, 0).compare(u"method", Qt::CaseInsensitive) == 0; });
    params.prepend(QStringLiteral("method=") + APIMethodName());
    return ComposeURL(APIURL(), params);
}

std::unique_ptr<TLastFMAPIRequest> TLastFMAPIRequestFactory::ConstructAlbumGetInfoRequest(
    const QString &APIKey, const QString &Artist, const QString &Album, bool Autocorrect)
{
    return MakeRequest(QStringLiteral("album.getInfo"), APIKey,
        {URIParam(QStringLiteral("artist"), Artist), URIParam(QStringLiteral("album"), Album),
            URIParam(QStringLiteral("autocorrect"), FlagText(Autocorrect))});
}

std::unique_ptr<TLastFMAPIRequest> TLastFMAPIRequestFactory::ConstructAlbumSearchRequest(
    const QString &APIKey, const QString &Album, int Count, int Page)
{
    return SearchRequest(QStringLiteral("album"), APIKey, Album, Count, Page);
}

std::unique_ptr<TLastFMAPIRequest> TLastFMAPIRequestFactory::ConstructArtistGetInfoRequest(
    const QString &APIKey, const QString &Artist, bool Autocorrect, const QString &Lang)
{
    return MakeRequest(QStringLiteral("artist.getInfo"), APIKey,
        {URIParam(QStringLiteral("artist"), Artist), URIParam(QStringLiteral("autocorrect"), FlagText(Autocorrect)),
            URIParam(QStringLiteral("lang"), Lang)});
}

std::unique_ptr<TLastFMAPIRequest> TLastFMAPIRequestFactory::ConstructArtistGetTopAlbumsRequest(
    const QString &APIKey, const QString &Artist, bool Autocorrect, int Count)
{
    return ArtistTopRequest(QStringLiteral("artist.getTopAlbums"), APIKey, Artist, Autocorrect, Count);
}

std::unique_ptr<TLastFMAPIRequest> TLastFMAPIRequestFactory::ConstructArtistGetTopTracksRequest(
    const QString &APIKey, const QString &Artist, bool Autocorrect, int Count)
{
    return ArtistTopRequest(QStringLiteral("artist.getTopTracks"), APIKey, Artist, Autocorrect, Count);
}

std::unique_ptr<TLastFMAPIRequest> TLastFMAPIRequestFactory::ConstructArtistSearchRequest(
    const QString &APIKey, const QString &Artist, int Count, int Page)
{
    return SearchRequest(QStringLiteral("artist"), APIKey, Artist, Count, Page);
}

QString TLastFMAPIRequestFactory::ConstructArtistGetInfoRequestDepr(
    const QString &APIKey, const QString &Artist, int Autocorrect)
{
    // Every value is encoded: a name such as "Simon & Garfunkel" must stay
    // one value, and a name from any uploader must not add parameters.
    TURIParamList params;
    params.Set(QStringLiteral("method"), QStringLiteral("artist.getInfo"));
    params.Set(QStringLiteral("api_key"), APIKey);
    params.Set(QStringLiteral("artist"), Artist);
    params.Set(QStringLiteral("autocorrect"), QString::number(Autocorrect));
    params.Set(QStringLiteral("format"), QStringLiteral("json"));
    return TAPIRequest::ComposeURL(GetLastFMEndpointURL(), params.Lines());
}
