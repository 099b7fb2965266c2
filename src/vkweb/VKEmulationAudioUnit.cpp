#include "vkweb/VKEmulationAudioUnit.h"

#include "app/helpers/RemoteHostsUnit.h"
#include "app/helpers/TextUtilsUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "vkweb/TJSONReaderUnit.h"
#include "vkweb/VKEmulationUtilsUnit.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString ObjectPattern = QStringLiteral("<!json>({.*?})<!>");
const QString ArrayPattern = QStringLiteral("<!json>(\\[.*?\\])<!>");
const QString AddedTrackPattern = QStringLiteral("<!json>(\\[.*?\"\\])");

QString PostAudio(TCookieManager &CookieManager, const QString &Body)
{
    QByteArray answer;
    SendVKRequest(GetVKWebURL() + QStringLiteral("/al_audio.php"), Body, CookieManager, answer);
    return DecodeWindows1251(answer);
}

QString ExtractObject(const QString &Answer)
{
    const QString json = ExtractRegExGroup(Answer, ObjectPattern);
    if (json.isEmpty())
        throw Exception(QStringLiteral("The answer holds no audio list"));
    return json;
}

// The endpoint frames its answers as "<!--VERSION<!>MODULES<!>...<!>...<!>CODE<!>PAYLOAD"; code 0 is success.
bool IsSuccessFrame(const QString &Answer)
{
    const QString text = Answer.trimmed();
    if (!text.startsWith(u"<!--"))
        return false;
    const QStringList fields = text.split(QStringLiteral("<!>"));
    return fields.size() > 5 && fields.at(4) == u"0";
}

// The site's tokens come as "add/delete/..."; either slash separates them.
QStringList SplitHashes(const QString &Hashes)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    return Hashes.split(separators);
}

// A decimal integer in 32 bits: an optional minus and digits only.
std::optional<int> DecimalText(QStringView Text)
{
    const bool negative = Text.startsWith(u'-');
    const QStringView digits = negative ? Text.mid(1) : Text;
    if (digits.isEmpty() || digits.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

// A number, or a string holding a decimal integer.
int ReadDecimal(TJSONReader &Reader)
{
    std::optional<int> number;
    if (Reader.Peek() == TJSONReader::TKind::Number)
        number = DecimalText(Reader.ReadNumber());
    else if (Reader.Peek() == TJSONReader::TKind::String)
        number = DecimalText(Reader.ReadString());
    if (!number)
        throw Exception(QStringLiteral("A track field is not a decimal number"));
    return *number;
}

QString ReadText(TJSONReader &Reader)
{
    if (Reader.Peek() != TJSONReader::TKind::String)
        throw Exception(QStringLiteral("A track field is not a string"));
    return Reader.ReadString();
}

// Any JSON number; a fraction is cut off.
int ReadDuration(TJSONReader &Reader)
{
    if (Reader.Peek() != TJSONReader::TKind::Number)
        throw Exception(QStringLiteral("A track's duration is not a number"));
    const QStringView text = Reader.ReadNumber();
    if (const std::optional<int> seconds = DecimalText(text))
        return *seconds;
    const double seconds = std::trunc(text.toDouble());
    if (!(seconds >= std::numeric_limits<int>::min() && seconds <= std::numeric_limits<int>::max()))
        throw Exception(QStringLiteral("A track's duration is out of range"));
    return int(seconds);
}

// The site's track array, read by position.
TVKAudioRecord ReadAudioRecord(TJSONReader &Reader)
{
    TVKAudioRecord record;
    qsizetype length = 0;
    Reader.ReadArray([&](qsizetype Position) {
        switch (Position) {
        case 0:
            record.AID = ReadDecimal(Reader);
            break;
        case 1:
            record.OwnerID = ReadDecimal(Reader);
            break;
        case 3:
            record.Title = UnEntity(ReadText(Reader));
            break;
        case 4:
            record.Artist = UnEntity(ReadText(Reader));
            break;
        case 5:
            record.Duration = ReadDuration(Reader);
            break;
        case 13:
            record.Hashes = ReadText(Reader);
            break;
        default:
            Reader.SkipValue();
        }
        length = Position + 1;
    });
    if (length < 14)
        throw Exception(QStringLiteral("The track array is too short"));
    return record;
}

} // namespace

QString LoadSearchSection(TCookieManager &CookieManager, const QString &SearchQuery, int OwnerID, int Offset)
{
    // A fresh album number on every call, as the site's own page sends.
    const quint32 album = QRandomGenerator::global()->bounded(999999999u) + 11u;
    const QString body = EncodeURLParams({QStringLiteral("act=a_load_section"), QStringLiteral("al=1"),
        QStringLiteral("album_id=-%1").arg(album), QStringLiteral("claim=0"), QStringLiteral("offset=%1").arg(Offset),
        QStringLiteral("owner_id=%1").arg(OwnerID), QStringLiteral("search_history=0"),
        QStringLiteral("search_lyrics=0"), QStringLiteral("search_performer=0"),
        QStringLiteral("search_q=") + SearchQuery, QStringLiteral("search_sort=0"), QStringLiteral("type=search")});
    return ExtractObject(PostAudio(CookieManager, body));
}

QString LoadAudioList(TCookieManager &CookieManager, int OwnerID, int AlbumID)
{
    const QString body = EncodeURLParams(
        {QStringLiteral("act=load_silent"), QStringLiteral("al=1"), QStringLiteral("album_id=%1").arg(AlbumID),
            QStringLiteral("band=false"), QStringLiteral("owner_id=%1").arg(OwnerID)});
    return ExtractObject(PostAudio(CookieManager, body));
}

QStringList ReloadAudioURLs(TCookieManager &CookieManager, const QString &IDs)
{
    const QString body
        = EncodeURLParams({QStringLiteral("act=reload_audio"), QStringLiteral("al=1"), QStringLiteral("ids=") + IDs});
    const QString json = ExtractRegExGroup(PostAudio(CookieManager, body), ArrayPattern);
    TJSONReader reader(json);
    QStringList urls;
    reader.ReadArray([&](qsizetype) {
        std::optional<QString> url;
        reader.ReadArray([&](qsizetype Position) {
            if (Position != 2)
                reader.SkipValue();
            else if (reader.Peek() == TJSONReader::TKind::Number)
                url = reader.ReadNumber().toString();
            else
                url = ReadText(reader);
        });
        if (!url)
            throw Exception(QStringLiteral("A track of the answer has no URL"));
        urls.append(*url);
    });
    reader.End();
    return urls;
}

TVKAudioRecord AddAudio(TCookieManager &CookieManager, int OwnerID, int AID, const QString &Hashes)
{
    const QString body = EncodeURLParams({QStringLiteral("act=add"), QStringLiteral("aid=%1").arg(AID),
        QStringLiteral("al=1"), QStringLiteral("from=search"), QStringLiteral("gid=0"),
        QStringLiteral("hash=") + SplitHashes(Hashes).first(), QStringLiteral("oid=%1").arg(OwnerID)});
    return ParseAudioRecord(ExtractRegExGroup(PostAudio(CookieManager, body), AddedTrackPattern));
}

void DeleteAudio(TCookieManager &CookieManager, int OwnerID, int AID, const QString &Hashes)
{
    const QStringList hashes = SplitHashes(Hashes);
    if (hashes.size() < 2)
        throw Exception(QStringLiteral("The track has no removal token"));
    const QString body = EncodeURLParams({QStringLiteral("act=delete_audio"), QStringLiteral("aid=%1").arg(AID),
        QStringLiteral("al=1"), QStringLiteral("hash=") + hashes.at(1), QStringLiteral("oid=%1").arg(OwnerID),
        QStringLiteral("restore=1")});
    // A login page after the session ran out, an error page, or the
    // endpoint's own error frame (a stale token) is no removal.
    if (!IsSuccessFrame(PostAudio(CookieManager, body)))
        throw Exception(QStringLiteral("The site did not confirm the removal"));
}

QList<TVKAudioRecord> ParseAudioList(const QString &Text)
{
    TJSONReader reader(Text);
    if (reader.Peek() != TJSONReader::TKind::Object)
        throw Exception(QStringLiteral("The audio list is not a JSON object"));
    std::optional<QList<TVKAudioRecord>> records;
    reader.ReadObject([&](const QString &Name) {
        if (Name != u"list") {
            reader.SkipValue();
            return;
        }
        if (reader.Peek() != TJSONReader::TKind::Array)
            throw Exception(QStringLiteral("The audio list's tracks are not an array"));
        records.emplace();
        reader.ReadArray([&](qsizetype) { records->append(ReadAudioRecord(reader)); });
    });
    reader.End();
    if (!records)
        throw Exception(QStringLiteral("The audio list has no tracks array"));
    return *records;
}

TVKAudioRecord ParseAudioRecord(const QString &Text)
{
    TJSONReader reader(Text);
    const TVKAudioRecord record = ReadAudioRecord(reader);
    reader.End();
    return record;
}
