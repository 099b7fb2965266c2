#include "standin/Catalogue.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QStringList>

#include <array>

using namespace Qt::StringLiterals;

namespace Standin {

namespace {

const std::array<int, 4> Owners = {-2001, 3001, 3002, 3003};

const QStringList Artists = {
    u"Северные Огни"_s,
    u"Полярная Станция"_s,
    u"Белый Шум"_s,
    u"Ночной Экспресс"_s,
    u"Стеклянный Город"_s,
    u"Зимняя Почта"_s,
    u"Кварц"_s,
    u"Маяк"_s,
    u"Тихий Океан"_s,
    u"Гранит"_s,
    u"Радиоволна"_s,
    u"Сад Камней"_s,
    u"Бумажный Змей"_s,
    u"Лунный Свет"_s,
    u"Тёплый Ламповый"_s,
    u"Медный Всадник"_s,
    u"Январь"_s,
    u"Открытка"_s,
    u"Пятый Этаж"_s,
    u"Синий Трамвай"_s,
    u"Nordic Lights"_s,
    u"Glass Harbor"_s,
    u"The Quiet Hours"_s,
    u"Tom &amp; Jerry Band"_s,
};

const QStringList Titles = {
    u"Утро"_s,
    u"Ночной город"_s,
    u"Дорога домой"_s,
    u"Зимний вокзал"_s,
    u"Северный ветер"_s,
    u"Последний трамвай"_s,
    u"Белые ночи"_s,
    u"Осенний блюз"_s,
    u"Летний дождь"_s,
    u"Ветер перемен"_s,
    u"Город огней"_s,
    u"Тишина"_s,
    u"Песня о море"_s,
};

// Titles that carry the references and stray ampersands real pages have.
const QStringList SpecialTitles = {
    u"Rock & Roll; Live"_s,
    u"Тишина&nbsp;(Remix)"_s,
    u"&quot;Ёлка&quot; — версия 2"_s,
    u"Don&#39;t Stop"_s,
    u"&lt;Интро&gt;"_s,
    u"&#128512; Улыбка"_s,
    u"Сказка &#x41;BC"_s,
    u"Live &amp; Unplugged"_s,
    u"Q&A; часть 1"_s,
};

QString Token(const TTrack &Track, const char *Kind)
{
    const QByteArray seed
        = QByteArray(Kind) + ':' + QByteArray::number(Track.OwnerID) + '_' + QByteArray::number(Track.AID);
    return QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Md5).toHex().left(18));
}

} // namespace

QString TrackHashes(const TTrack &Track)
{
    return QStringList {Token(Track, "add"), Token(Track, "delete"), Token(Track, "edit"), Token(Track, "url")}.join(
        u'/');
}

TCatalogue::TCatalogue(const std::vector<TToneFile> &Tones)
{
    std::array<int, Owners.size()> nextAID {};
    auto add = [&](const QString &Artist, const QString &Title) {
        const std::size_t n = FTracks.size();
        const std::size_t owner = n % Owners.size();
        const TToneFile &tone = Tones[n % Tones.size()];
        FTracks.push_back({++nextAID[owner], Owners[owner], Artist, Title, tone.Seconds, tone.Name, n % 41 == 40});
    };
    for (int i = 0; i < SpecialTitles.size(); ++i)
        add(Artists[i % Artists.size()], SpecialTitles[i]);
    for (const QString &artist : Artists)
        for (const QString &title : Titles)
            add(artist, title);
}

const TTrack *TCatalogue::Find(int OwnerID, int AID) const
{
    for (const TTrack &track : FTracks)
        if (track.OwnerID == OwnerID && track.AID == AID)
            return &track;
    return nullptr;
}

std::vector<TTrack> TCatalogue::OwnedBy(int OwnerID) const
{
    std::vector<TTrack> tracks;
    for (const TTrack &track : FTracks)
        if (track.OwnerID == OwnerID)
            tracks.push_back(track);
    return tracks;
}

std::vector<TTrack> TCatalogue::Search(const QString &Query) const
{
    const QString query = Query.simplified();
    std::vector<TTrack> found;
    // "Artist - Title", as the Last.fm lists ask, finds the track too.
    for (const TTrack &track : FTracks) {
        const QString artist = PlainText(track.Artist);
        const QString title = PlainText(track.Title);
        if ((artist + u' ' + title).contains(query, Qt::CaseInsensitive)
            || (artist + u" - "_s + title).contains(query, Qt::CaseInsensitive))
            found.push_back(track);
    }
    return found;
}

QString TCatalogue::PlainText(const QString &Html)
{
    thread_local const QRegularExpression reference(u"&(#x[0-9a-fA-F]+|#[0-9]+|amp|quot|lt|gt|nbsp);"_s);
    QString plain;
    qsizetype last = 0;
    for (auto it = reference.globalMatch(Html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        plain += QStringView(Html).mid(last, match.capturedStart() - last);
        const QString name = match.captured(1);
        if (name.startsWith(u"#x"))
            plain += QString::fromUcs4(std::array {char32_t(name.mid(2).toUInt(nullptr, 16))}.data(), 1);
        else if (name.startsWith(u'#'))
            plain += QString::fromUcs4(std::array {char32_t(name.mid(1).toUInt())}.data(), 1);
        else
            plain += name == u"amp" ? u"&"_s
                : name == u"quot"   ? u"\""_s
                : name == u"lt"     ? u"<"_s
                : name == u"gt"     ? u">"_s
                                    : u" "_s;
        last = match.capturedEnd();
    }
    return plain + Html.mid(last);
}

} // namespace Standin
