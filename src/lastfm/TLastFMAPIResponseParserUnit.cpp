#include "lastfm/TLastFMAPIResponseParserUnit.h"

#include "app/helpers/TextUtilsUnit.h"
#include "foundation/BaseTypesUnit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace LastFMJSON {

QJsonObject ParseObject(const QString &Text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(Text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        throw Exception(QStringLiteral("The answer is not JSON: ") + error.errorString());
    if (!document.isObject())
        throw Exception(QStringLiteral("The answer is not a JSON object"));
    return document.object();
}

QJsonObject Payload(const QJsonObject &Answer)
{
    // The service wraps every answer in one object named after its subject.
    for (auto member = Answer.begin(); member != Answer.end(); ++member)
        if (member.value().isObject())
            return member.value().toObject();
    throw Exception(QStringLiteral("The answer holds no object"));
}

namespace {

QJsonValue Member(const QJsonObject &Object, const QString &Key)
{
    const auto found = Object.constFind(Key);
    if (found == Object.constEnd())
        throw Exception(QStringLiteral("The member \"%1\" is missing").arg(Key));
    return found.value();
}

QString ValueText(const QJsonValue &Value, const QString &Key)
{
    switch (Value.type()) {
    case QJsonValue::String:
        return Value.toString();
    case QJsonValue::Double: {
        const double number = Value.toDouble();
        // Whole numbers print without an exponent; only those inside qint64's
        // range may be converted to it.
        const bool wholeInRange = number >= -0x1p63 && number < 0x1p63 && number == std::trunc(number);
        return wholeInRange ? QString::number(qint64(number)) : QString::number(number);
    }
    case QJsonValue::Bool:
        return Value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Null:
        return {};
    default:
        throw Exception(QStringLiteral("The member \"%1\" holds no text").arg(Key));
    }
}

// A member's text as a decimal integer; 0 when it is none.
int IntegerOf(const QJsonObject &Object, const QString &Key)
{
    bool ok = false;
    const int value = Text(Object, Key).trimmed().toInt(&ok);
    return ok ? value : 0;
}

// "total" from "@attr" when the payload has it, else from the payload itself.
int TotalOf(const QJsonObject &Payload)
{
    return Payload.contains(QStringLiteral("@attr"))
        ? IntegerOf(Object(Payload, QStringLiteral("@attr")), QStringLiteral("total"))
        : IntegerOf(Payload, QStringLiteral("total"));
}

QJsonObject AsObject(const QJsonValue &Value)
{
    if (!Value.isObject())
        throw Exception(QStringLiteral("An item is not an object"));
    return Value.toObject();
}

// The list under Key of the object under Guard; an empty list when Guard
// holds no object.
template<class TList> TList GuardedList(const QJsonObject &Payload, const QString &Guard, const QString &Key)
{
    const QJsonValue guard = Member(Payload, Guard);
    return guard.isObject() ? TList(Member(guard.toObject(), Key)) : TList();
}

} // namespace

QString Text(const QJsonObject &Object, const QString &Key)
{
    return ValueText(Member(Object, Key), Key);
}

QJsonObject Object(const QJsonObject &Object, const QString &Key)
{
    const QJsonValue value = Member(Object, Key);
    if (!value.isObject())
        throw Exception(QStringLiteral("The member \"%1\" is not an object").arg(Key));
    return value.toObject();
}

} // namespace LastFMJSON

using namespace LastFMJSON;

TLastFMTrackRecord::TLastFMTrackRecord(const QJsonObject &JSONObject) :
      Artist(Text(Object(JSONObject, QStringLiteral("artist")), QStringLiteral("name"))),
      Title(Text(JSONObject, QStringLiteral("name")))
{
}

TLastFMImageRecord::TLastFMImageRecord(const QJsonObject &JSONObject) :
      Size(Text(JSONObject, QStringLiteral("size"))), URL(Text(JSONObject, QStringLiteral("#text")))
{
}

TLastFMImagesRecord::TLastFMImagesRecord(const QJsonValue &JSONArray)
{
    if (!JSONArray.isArray())
        throw Exception(QStringLiteral("The images are not a list"));
    for (const QJsonValue &image : JSONArray.toArray())
        FImages.emplace_back(AsObject(image));
}

TLastFMAlbumRecord::TLastFMAlbumRecord(const QJsonObject &JSONObject) :
      Title(Text(JSONObject, QStringLiteral("name"))), CoverImages(Member(JSONObject, QStringLiteral("image")))
{
    const QJsonValue artist = JSONObject.value(QStringLiteral("artist"));
    Artist = artist.isObject() ? Text(artist.toObject(), QStringLiteral("name"))
                               : Text(JSONObject, QStringLiteral("artist"));
}

TLastFMArtistRecord::TLastFMArtistRecord(const QJsonObject &JSONObject) :
      Name(Text(JSONObject, QStringLiteral("name"))), Images(Member(JSONObject, QStringLiteral("image")))
{
}

template<class TItem> TLastFMListRecord<TItem>::TLastFMListRecord(const QJsonValue &JSONValue)
{
    if (JSONValue.isArray()) {
        for (const QJsonValue &item : JSONValue.toArray())
            FItems.emplace_back(AsObject(item));
    } else {
        FItems.emplace_back(AsObject(JSONValue));
    }
}

template struct TLastFMListRecord<TLastFMTrackRecord>;
template struct TLastFMListRecord<TLastFMAlbumRecord>;
template struct TLastFMListRecord<TLastFMArtistRecord>;

std::unique_ptr<TCloneable> TLastFMAPIResponseParserResult::Clone() const
{
    return std::make_unique<TLastFMAPIResponseParserResult>(*this);
}

std::unique_ptr<TCloneable> TLastFMAlbumGetInfoResponseParserResult::Clone() const
{
    return std::make_unique<TLastFMAlbumGetInfoResponseParserResult>(*this);
}

std::unique_ptr<TCloneable> TLastFMArtistGetTopAlbumsResponseParserResult::Clone() const
{
    return std::make_unique<TLastFMArtistGetTopAlbumsResponseParserResult>(*this);
}

std::unique_ptr<TCloneable> TLastFMArtistGetInfoResponseParserResult::Clone() const
{
    return std::make_unique<TLastFMArtistGetInfoResponseParserResult>(*this);
}

std::unique_ptr<TCloneable> TLastFMArtistGetTopTracksResponseParserResult::Clone() const
{
    return std::make_unique<TLastFMArtistGetTopTracksResponseParserResult>(*this);
}

std::unique_ptr<TCloneable> TLastFMAlbumSearchResponseParserResult::Clone() const
{
    return std::make_unique<TLastFMAlbumSearchResponseParserResult>(*this);
}

std::unique_ptr<TCloneable> TLastFMArtistSearchResponseParserResult::Clone() const
{
    return std::make_unique<TLastFMArtistSearchResponseParserResult>(*this);
}

std::unique_ptr<TAPIResponseParserResult> TLastFMAPIResponseParser::CreateResult() const
{
    return std::make_unique<TLastFMAPIResponseParserResult>();
}

void TLastFMAPIResponseParser::Execute()
{
    TAPIResponseParserResult &result = Result();
    try {
        const QJsonObject answer = ParseObject(JSONString());
        if (answer.contains(QStringLiteral("error"))) {
            result.ResultCode = 2;
            result.APIErrorMessage = Text(answer, QStringLiteral("message"));
            // A code past a byte is unknown (0), never read modulo 256 as another one.
            const int code = Text(answer, QStringLiteral("error")).toInt();
            result.APIErrorCode = code > 0 && code <= 255 ? static_cast<std::uint8_t>(code) : 0;
            return;
        }
        ParseResponse(Payload(answer));
    } catch (const Exception &error) {
        result.ResultCode = prParseFailed;
        result.ErrorMessage = error.Message();
    }
}

void TLastFMAlbumGetInfoResponseParser::ParseResponse(const QJsonObject &Payload)
{
    auto &result = GetResult();
    result.Artist = Text(Payload, QStringLiteral("artist"));
    result.Title = Text(Payload, QStringLiteral("name"));
    result.CoverImages = TLastFMImagesRecord(Member(Payload, QStringLiteral("image")));
    result.Tracks = GuardedList<TLastFMTracksRecord>(Payload, QStringLiteral("tracks"), QStringLiteral("track"));
}

void TLastFMArtistGetTopAlbumsResponseParser::ParseResponse(const QJsonObject &Payload)
{
    auto &result = GetResult();
    result.TotalAlbumsCount = TotalOf(Payload);
    if (result.TotalAlbumsCount > 0)
        result.Albums = TLastFMAlbumsRecord(Member(Payload, QStringLiteral("album")));
}

void TLastFMArtistGetInfoResponseParser::ParseResponse(const QJsonObject &Payload)
{
    auto &result = GetResult();
    result.Name = Text(Payload, QStringLiteral("name"));
    result.Images = TLastFMImagesRecord(Member(Payload, QStringLiteral("image")));
    result.SimilarArtists
        = GuardedList<TLastFMArtistsRecord>(Payload, QStringLiteral("similar"), QStringLiteral("artist"));
    result.Bio = StripHTMLTags(Text(Object(Payload, QStringLiteral("bio")), QStringLiteral("summary")).trimmed());
}

void TLastFMArtistGetTopTracksResponseParser::ParseResponse(const QJsonObject &Payload)
{
    auto &result = GetResult();
    result.TotalTracksCount = TotalOf(Payload);
    if (result.TotalTracksCount > 0)
        result.Tracks = TLastFMTracksRecord(Member(Payload, QStringLiteral("track")));
}

void TLastFMAlbumSearchResponseParser::ParseResponse(const QJsonObject &Payload)
{
    auto &result = GetResult();
    result.TotalAlbumsCount = IntegerOf(Payload, QStringLiteral("opensearch:totalResults"));
    result.Page = IntegerOf(Object(Payload, QStringLiteral("opensearch:Query")), QStringLiteral("startPage"));
    result.Albums = GuardedList<TLastFMAlbumsRecord>(Payload, QStringLiteral("albummatches"), QStringLiteral("album"));
}

void TLastFMArtistSearchResponseParser::ParseResponse(const QJsonObject &Payload)
{
    auto &result = GetResult();
    result.TotalArtistsCount = IntegerOf(Payload, QStringLiteral("opensearch:totalResults"));
    result.Page = IntegerOf(Object(Payload, QStringLiteral("opensearch:Query")), QStringLiteral("startPage"));
    result.Artists
        = GuardedList<TLastFMArtistsRecord>(Payload, QStringLiteral("artistmatches"), QStringLiteral("artist"));
}
