#pragma once

#include "requests/TAPIResponseParserUnit.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <vector>

// The values of Last.fm answers. Built from JSON nodes; a missing member or
// one of the wrong type raises an Exception, which the parser turns into
// result code 1.

struct TLastFMTrackRecord
{
    TLastFMTrackRecord() = default;
    explicit TLastFMTrackRecord(const QJsonObject &JSONObject);
    QString Artist;
    QString Title;
};

struct TLastFMImageRecord
{
    TLastFMImageRecord() = default;
    explicit TLastFMImageRecord(const QJsonObject &JSONObject);
    QString Size; // the service's size name, "large" say
    QString URL;
};

struct TLastFMImagesRecord
{
    TLastFMImagesRecord() = default;
    // Every element must be an object.
    explicit TLastFMImagesRecord(const QJsonValue &JSONArray);
    int Count() const { return static_cast<int>(FImages.size()); }
    const TLastFMImageRecord &Item(int Index) const { return FImages.at(std::size_t(Index)); }
    std::vector<TLastFMImageRecord> FImages;
};

struct TLastFMAlbumRecord
{
    TLastFMAlbumRecord() = default;
    explicit TLastFMAlbumRecord(const QJsonObject &JSONObject);
    QString Artist;
    QString Title;
    TLastFMImagesRecord CoverImages;
};

struct TLastFMArtistRecord
{
    TLastFMArtistRecord() = default;
    explicit TLastFMArtistRecord(const QJsonObject &JSONObject);
    QString Name;
    TLastFMImagesRecord Images;
};

// A list from an array of objects, or from a lone object (the service sends
// one item without its array).
template<class TItem> struct TLastFMListRecord
{
    TLastFMListRecord() = default;
    explicit TLastFMListRecord(const QJsonValue &JSONValue);
    int Count() const { return static_cast<int>(FItems.size()); }
    const TItem &Item(int Index) const { return FItems.at(std::size_t(Index)); }
    void Delete(int Index) { FItems.erase(FItems.begin() + Index); }
    std::vector<TItem> FItems;
};

using TLastFMTracksRecord = TLastFMListRecord<TLastFMTrackRecord>;
using TLastFMAlbumsRecord = TLastFMListRecord<TLastFMAlbumRecord>;
using TLastFMArtistsRecord = TLastFMListRecord<TLastFMArtistRecord>;

// Results: ResultCode 0 on success, 1 for an answer that could not be read,
// 2 for the service's error document (APIErrorCode and APIErrorMessage; 6
// means "not found").
class TLastFMAPIResponseParserResult : public TAPIResponseParserResult
{
public:
    using TAPIResponseParserResult::TAPIResponseParserResult;
    std::unique_ptr<TCloneable> Clone() const override;
};

class TLastFMAlbumGetInfoResponseParserResult : public TLastFMAPIResponseParserResult
{
public:
    std::unique_ptr<TCloneable> Clone() const override;
    QString Artist;
    QString Title;
    QDateTime ReleaseDate; // the service's answer does not carry it
    TLastFMImagesRecord CoverImages;
    TLastFMTracksRecord Tracks;
};

class TLastFMArtistGetTopAlbumsResponseParserResult : public TLastFMAPIResponseParserResult
{
public:
    std::unique_ptr<TCloneable> Clone() const override;
    int TotalAlbumsCount = 0;
    TLastFMAlbumsRecord Albums;
};

class TLastFMArtistGetInfoResponseParserResult : public TLastFMAPIResponseParserResult
{
public:
    std::unique_ptr<TCloneable> Clone() const override;
    QString Name;
    TLastFMImagesRecord Images;
    TLastFMArtistsRecord SimilarArtists;
    QString Bio; // plain text
};

class TLastFMArtistGetTopTracksResponseParserResult : public TLastFMAPIResponseParserResult
{
public:
    std::unique_ptr<TCloneable> Clone() const override;
    int TotalTracksCount = 0;
    TLastFMTracksRecord Tracks;
};

class TLastFMAlbumSearchResponseParserResult : public TLastFMAPIResponseParserResult
{
public:
    std::unique_ptr<TCloneable> Clone() const override;
    int TotalAlbumsCount = 0;
    int Page = 0;
    TLastFMAlbumsRecord Albums;
};

class TLastFMArtistSearchResponseParserResult : public TLastFMAPIResponseParserResult
{
public:
    std::unique_ptr<TCloneable> Clone() const override;
    int TotalArtistsCount = 0;
    int Page = 0;
    TLastFMArtistsRecord Artists;
};

// The common part: an error document gives code 2; otherwise the answer's
// payload, the object the service wraps it in, goes to ParseResponse. A body
// that is not a JSON object gives code 1.
class TLastFMAPIResponseParser : public TAPIResponseParser
{
public:
    using TAPIResponseParser::TAPIResponseParser;

protected:
    void Execute() override;
    std::unique_ptr<TAPIResponseParserResult> CreateResult() const override;
    virtual void ParseResponse(const QJsonObject &Payload) { (void)Payload; }
};

// A method's parser with its own result class.
template<class TResult> class TLastFMMethodResponseParser : public TLastFMAPIResponseParser
{
public:
    using TLastFMAPIResponseParser::TLastFMAPIResponseParser;
    TResult &GetResult() { return static_cast<TResult &>(Result()); }

protected:
    std::unique_ptr<TAPIResponseParserResult> CreateResult() const override { return std::make_unique<TResult>(); }
};

class TLastFMAlbumGetInfoResponseParser : public TLastFMMethodResponseParser<TLastFMAlbumGetInfoResponseParserResult>
{
public:
    using TLastFMMethodResponseParser::TLastFMMethodResponseParser;

protected:
    void ParseResponse(const QJsonObject &Payload) override;
};

class TLastFMArtistGetTopAlbumsResponseParser
      : public TLastFMMethodResponseParser<TLastFMArtistGetTopAlbumsResponseParserResult>
{
public:
    using TLastFMMethodResponseParser::TLastFMMethodResponseParser;

protected:
    void ParseResponse(const QJsonObject &Payload) override;
};

class TLastFMArtistGetInfoResponseParser : public TLastFMMethodResponseParser<TLastFMArtistGetInfoResponseParserResult>
{
public:
    using TLastFMMethodResponseParser::TLastFMMethodResponseParser;

protected:
    void ParseResponse(const QJsonObject &Payload) override;
};

class TLastFMArtistGetTopTracksResponseParser
      : public TLastFMMethodResponseParser<TLastFMArtistGetTopTracksResponseParserResult>
{
public:
    using TLastFMMethodResponseParser::TLastFMMethodResponseParser;

protected:
    void ParseResponse(const QJsonObject &Payload) override;
};

class TLastFMAlbumSearchResponseParser : public TLastFMMethodResponseParser<TLastFMAlbumSearchResponseParserResult>
{
public:
    using TLastFMMethodResponseParser::TLastFMMethodResponseParser;

protected:
    void ParseResponse(const QJsonObject &Payload) override;
};

class TLastFMArtistSearchResponseParser : public TLastFMMethodResponseParser<TLastFMArtistSearchResponseParserResult>
{
public:
    using TLastFMMethodResponseParser::TLastFMMethodResponseParser;

protected:
    void ParseResponse(const QJsonObject &Payload) override;
};

namespace LastFMJSON {

// The answer as a JSON object; raises an Exception for anything else.
QJsonObject ParseObject(const QString &Text);
// The payload of an answer that is no error document: the first member whose
// value is an object. Raises when there is none.
QJsonObject Payload(const QJsonObject &Answer);
// A member's text (a string's content, a number's digits); raises when the
// member is missing or holds an object or an array.
QString Text(const QJsonObject &Object, const QString &Key);
// A member that must be there and be an object.
QJsonObject Object(const QJsonObject &Object, const QString &Key);

} // namespace LastFMJSON
