#pragma once

#include "requests/TAPIRequestFactoryUnit.h"

#include <QString>

#include <memory>

// The program's key for the Last.fm web service.
inline constexpr QLatin1String LastFMAPIKey("5b7e0a94c2f6d1e8a3b9c07f4e6d2a15");

// The Last.fm endpoint ("/2.0/" of the Last.fm host).
QString GetLastFMEndpointURL();

// A Last.fm call: the method travels in the query, as its first parameter.
class TLastFMAPIRequest : public TAPIRequest
{
public:
    using TAPIRequest::TAPIRequest;
    std::unique_ptr<TCloneable> Clone() const override;
    QString ToURL() const override;
};

// One request per Last.fm method, owned by the caller; "format"="json" comes
// right after "method". A Boolean Autocorrect is sent as "-1" or "0".
class TLastFMAPIRequestFactory : public TAPIRequestFactory
{
public:
    static std::unique_ptr<TLastFMAPIRequest> ConstructAlbumGetInfoRequest(
        const QString &APIKey, const QString &Artist, const QString &Album, bool Autocorrect);
    static std::unique_ptr<TLastFMAPIRequest> ConstructAlbumSearchRequest(
        const QString &APIKey, const QString &Album, int Count, int Page);
    static std::unique_ptr<TLastFMAPIRequest> ConstructArtistGetInfoRequest(
        const QString &APIKey, const QString &Artist, bool Autocorrect, const QString &Lang);
    static std::unique_ptr<TLastFMAPIRequest> ConstructArtistGetTopAlbumsRequest(
        const QString &APIKey, const QString &Artist, bool Autocorrect, int Count);
    static std::unique_ptr<TLastFMAPIRequest> ConstructArtistGetTopTracksRequest(
        const QString &APIKey, const QString &Artist, bool Autocorrect, int Count);
    static std::unique_ptr<TLastFMAPIRequest> ConstructArtistSearchRequest(
        const QString &APIKey, const QString &Artist, int Count, int Page);
    // The artist-information URL as text, for the artist picture: "method",
    // "api_key", "artist", "autocorrect", "format", every value percent-encoded.
    static QString ConstructArtistGetInfoRequestDepr(const QString &APIKey, const QString &Artist, int Autocorrect);
};
