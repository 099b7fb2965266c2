#include "vkweb/VKEmulationAudioUnit.h"

#include "app/RemoteHostsUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "vkweb/VKEmulationUtilsUnit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

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

QJsonArray ParseArray(const QString &Text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(Text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        throw Exception(QStringLiteral("The answer holds no JSON array"));
    return document.array();
}

// The site's tokens come as "add/delete/..."; either slash separates them.
QStringList SplitHashes(const QString &Hashes)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    return Hashes.split(separators);
}

QJsonValue At(const QJsonArray &Array, qsizetype Position)
{
    if (Position >= Array.size())
        throw Exception(QStringLiteral("The track array is too short"));
    return Array.at(Position);
}

bool IsIntegral(double Value)
{
    return std::isfinite(Value) && std::trunc(Value) == Value && Value >= std::numeric_limits<int>::min()
        && Value <= std::numeric_limits<int>::max();
}

// A number, or a string holding a decimal integer.
int DecimalField(const QJsonValue &Value)
{
    if (Value.isDouble() && IsIntegral(Value.toDouble()))
        return int(Value.toDouble());
    if (Value.isString()) {
        bool ok = false;
        const int number = Value.toString().toInt(&ok, 10);
        if (ok)
            return number;
    }
    throw Exception(QStringLiteral("A track field is not a number"));
}

QString StringField(const QJsonValue &Value)
{
    if (!Value.isString())
        throw Exception(QStringLiteral("A track field is not a string"));
    return Value.toString();
}

struct TNamedReference
{
    const char *Name;
    char32_t First;
    char32_t Second;
};

const TNamedReference NamedReferences[] = {
#include "vkweb/HTMLEntities.inc"
};

constexpr qsizetype LongestReferenceName = 32;

bool IsASCIIAlphaNumeric(QChar C)
{
    const char16_t c = C.unicode();
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int HexDigit(QChar C)
{
    const char16_t c = C.unicode();
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void AppendCodePoint(QString &Result, char32_t Code)
{
    // A code HTML cannot carry becomes the replacement character, as a browser shows it.
    if (Code == 0 || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
        Code = 0xFFFD;
    const char32_t codes[] = {Code};
    Result.append(QString::fromUcs4(codes, 1));
}

// When a reference starts at Text[Start] (an "&"), appends its characters to
// Result and returns the position after its ";"; otherwise returns -1.
qsizetype DecodeReference(const QString &Text, qsizetype Start, QString &Result)
{
    qsizetype i = Start + 1;
    if (i < Text.size() && Text[i] == u'#') {
        ++i;
        const bool isHex = i < Text.size() && (Text[i] == u'x' || Text[i] == u'X');
        if (isHex)
            ++i;
        const int base = isHex ? 16 : 10;
        const qsizetype digitsStart = i;
        char32_t code = 0;
        for (; i < Text.size(); ++i) {
            const int digit = isHex ? HexDigit(Text[i]) : (Text[i].isDigit() && Text[i].unicode() < 0x80
                                                                ? Text[i].unicode() - '0'
                                                                : -1);
            if (digit < 0)
                break;
            code = std::min<char32_t>(code * base + char32_t(digit), 0x110000);
        }
        if (i == digitsStart || i >= Text.size() || Text[i] != u';')
            return -1;
        AppendCodePoint(Result, code);
        return i + 1;
    }
    while (i < Text.size() && i - Start - 1 < LongestReferenceName && IsASCIIAlphaNumeric(Text[i]))
        ++i;
    if (i == Start + 1 || i >= Text.size() || Text[i] != u';')
        return -1;
    char name[LongestReferenceName + 1];
    const qsizetype length = i - Start - 1;
    for (qsizetype k = 0; k < length; ++k)
        name[k] = char(Text[Start + 1 + k].unicode());
    const std::string_view key(name, std::size_t(length));
    const auto found = std::lower_bound(std::begin(NamedReferences), std::end(NamedReferences), key,
                                        [](const TNamedReference &Entry, std::string_view Key) {
                                            return std::string_view(Entry.Name) < Key;
                                        });
    if (found == std::end(NamedReferences) || std::string_view(found->Name) != key)
        return -1;
    AppendCodePoint(Result, found->First);
    if (found->Second != 0)
        AppendCodePoint(Result, found->Second);
    return i + 1;
}

} // namespace

QString LoadSearchSection(TCookieManager &CookieManager, const QString &SearchQuery, int OwnerID, int Offset)
{
    // A fresh album number on every call, as the site's own page sends.
    const quint32 album = QRandomGenerator::global()->bounded(999999999u) + 11u;
    const QString body = QStringLiteral("act=a_load_section&al=1&album_id=-") + QString::number(album)
        + QStringLiteral("&claim=0&offset=") + QString::number(Offset) + QStringLiteral("&owner_id=")
        + QString::number(OwnerID)
        + QStringLiteral("&search_history=0&search_lyrics=0&search_performer=0&search_q=")
        + EncodeFormValue(SearchQuery) + QStringLiteral("&search_sort=0&type=search");
    return ExtractObject(PostAudio(CookieManager, body));
}

QString LoadAudioList(TCookieManager &CookieManager, int OwnerID, int AlbumID)
{
    const QString body = QStringLiteral("act=load_silent&al=1&album_id=") + QString::number(AlbumID)
        + QStringLiteral("&band=false&owner_id=") + QString::number(OwnerID);
    return ExtractObject(PostAudio(CookieManager, body));
}

QStringList ReloadAudioURLs(TCookieManager &CookieManager, const QString &IDs)
{
    const QString body = QStringLiteral("act=reload_audio&al=1&ids=") + EncodeFormValue(IDs);
    const QJsonArray tracks = ParseArray(ExtractRegExGroup(PostAudio(CookieManager, body), ArrayPattern));
    QStringList urls;
    urls.reserve(tracks.size());
    for (const QJsonValue &track : tracks) {
        if (!track.isArray())
            throw Exception(QStringLiteral("A track of the answer is not an array"));
        const QJsonValue url = At(track.toArray(), 2);
        if (url.isDouble())
            urls.append(QString::number(url.toDouble(), 'g', 17));
        else
            urls.append(StringField(url));
    }
    return urls;
}

TVKAudioRecord AddAudio(TCookieManager &CookieManager, int OwnerID, int AID, const QString &Hashes)
{
    const QString body = QStringLiteral("act=add&aid=") + QString::number(AID)
        + QStringLiteral("&al=1&from=search&gid=0&hash=") + SplitHashes(Hashes).first() + QStringLiteral("&oid=")
        + QString::number(OwnerID);
    return ParseAudioRecord(ParseArray(ExtractRegExGroup(PostAudio(CookieManager, body), AddedTrackPattern)));
}

void DeleteAudio(TCookieManager &CookieManager, int OwnerID, int AID, const QString &Hashes)
{
    const QStringList hashes = SplitHashes(Hashes);
    if (hashes.size() < 2)
        throw Exception(QStringLiteral("The track has no removal token"));
    const QString body = QStringLiteral("act=delete_audio&aid=") + QString::number(AID) + QStringLiteral("&al=1&hash=")
        + hashes.at(1) + QStringLiteral("&oid=") + QString::number(OwnerID) + QStringLiteral("&restore=1");
    // A login page after the session ran out, or an error page, is no removal.
    if (!PostAudio(CookieManager, body).contains(QStringLiteral("<!>")))
        throw Exception(QStringLiteral("The site did not confirm the removal"));
}

QList<TVKAudioRecord> ParseAudioList(const QString &Text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(Text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw Exception(QStringLiteral("The audio list is not a JSON object"));
    const QJsonValue list = document.object().value(u"list");
    if (!list.isArray())
        throw Exception(QStringLiteral("The audio list has no tracks array"));
    const QJsonArray tracks = list.toArray();
    QList<TVKAudioRecord> records;
    records.reserve(tracks.size());
    for (const QJsonValue &track : tracks)
        records.append(ParseAudioRecord(track));
    return records;
}

TVKAudioRecord ParseAudioRecord(const QJsonValue &Value)
{
    if (!Value.isArray())
        throw Exception(QStringLiteral("A track is not an array"));
    const QJsonArray track = Value.toArray();
    TVKAudioRecord record;
    record.AID = DecimalField(At(track, 0));
    record.OwnerID = DecimalField(At(track, 1));
    record.Title = UnEntity(StringField(At(track, 3)));
    record.Artist = UnEntity(StringField(At(track, 4)));
    const QJsonValue duration = At(track, 5);
    if (!duration.isDouble() || !IsIntegral(std::trunc(duration.toDouble())))
        throw Exception(QStringLiteral("A track's duration is not a number"));
    record.Duration = int(duration.toDouble());
    record.Hashes = StringField(At(track, 13));
    return record;
}

QString UnEntity(const QString &Text)
{
    qsizetype ampersand = Text.indexOf(u'&');
    if (ampersand < 0)
        return Text;
    QString result;
    result.reserve(Text.size());
    qsizetype copied = 0;
    while (ampersand >= 0) {
        result.append(QStringView(Text).mid(copied, ampersand - copied));
        const qsizetype next = DecodeReference(Text, ampersand, result);
        if (next < 0) {
            result.append(u'&');
            copied = ampersand + 1;
        } else {
            copied = next;
        }
        ampersand = Text.indexOf(u'&', copied);
    }
    result.append(QStringView(Text).mid(copied));
    return result;
}
