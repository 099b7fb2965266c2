#include "standin/AudioHandlers.h"

#include "standin/SiteState.h"
#include "standin/SiteText.h"
#include "standin/WebHandlers.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Standin {

namespace {

constexpr int SearchPageSize = 50;
const QString Modules = u"audio.css,audio.js"_s;

// The site's track array. The JSON stays on one line and every string ends
// with the hashes, so the answer to "add" closes with a quote and a bracket.
QJsonArray Record(const TTrack &Track, const QString &URL, bool IDsAsText)
{
    const QJsonValue aid = IDsAsText ? QJsonValue(QString::number(Track.AID)) : QJsonValue(Track.AID);
    const QJsonValue owner = IDsAsText ? QJsonValue(QString::number(Track.OwnerID)) : QJsonValue(Track.OwnerID);
    return {aid, owner, URL, Track.Title, Track.Artist, Track.Duration, 0, 0, u""_s, 0, 2, u""_s, u""_s,
        TrackHashes(Track)};
}

QString Json(const QJsonArray &Array)
{
    return QString::fromUtf8(QJsonDocument(Array).toJson(QJsonDocument::Compact));
}

QString Json(const QJsonObject &Object)
{
    return QString::fromUtf8(QJsonDocument(Object).toJson(QJsonDocument::Compact));
}

QString JsonFrame(const QString &Json)
{
    return Frame(Modules, 0, u"<!json>"_s + Json + u"<!>"_s);
}

QString ErrorFrame(const QString &Message)
{
    return Frame(Modules, 8, Message);
}

QJsonArray Records(const std::vector<TTrack> &Tracks)
{
    QJsonArray list;
    for (const TTrack &track : Tracks)
        list.append(Record(track, {}, false));
    return list;
}

QString Search(const TSiteState &State, const TFields &Form)
{
    if (Field(Form, u"type"_s) != u"search")
        return ErrorFrame(u"Неизвестный раздел"_s);
    const std::vector<TTrack> found = State.Catalogue().Search(Field(Form, u"search_q"_s));
    const int total = int(found.size());
    const int offset = std::clamp(Field(Form, u"offset"_s).toInt(), 0, total);
    const int count = std::min(SearchPageSize, total - offset);
    const QJsonObject page {{u"type"_s, u"search"_s},
        {u"list"_s, Records({found.begin() + offset, found.begin() + offset + count})}, {u"offset"_s, offset},
        {u"nextOffset"_s, offset + count}, {u"hasMore"_s, offset + count < total}, {u"totalCount"_s, total}};
    return JsonFrame(Json(page));
}

QString UserList(const TSiteState &State, const TFields &Form)
{
    bool ok = false;
    const int owner = Field(Form, u"owner_id"_s).toInt(&ok);
    if (!ok)
        return ErrorFrame(u"Список недоступен"_s);
    const std::vector<TTrack> tracks = State.AccountOf(owner) ? State.MyMusic(owner) : State.Catalogue().OwnedBy(owner);
    const QJsonObject list {{u"type"_s, u"playlist"_s}, {u"ownerId"_s, owner},
        {u"id"_s, Field(Form, u"album_id"_s).toInt()}, {u"list"_s, Records(tracks)},
        {u"totalCount"_s, int(tracks.size())}, {u"hasMore"_s, false}};
    return JsonFrame(Json(list));
}

std::optional<TTrack> TrackOf(const TSiteState &State, const QString &OwnerAID)
{
    const qsizetype underscore = OwnerAID.lastIndexOf(u'_');
    bool ownerOk = false, aidOk = false;
    const int owner = OwnerAID.left(underscore).toInt(&ownerOk);
    const int aid = OwnerAID.mid(underscore + 1).toInt(&aidOk);
    return underscore > 0 && ownerOk && aidOk ? State.FindTrack(owner, aid) : std::nullopt;
}

QString URLs(const TSiteState &State, const TOrigins &Origins, const TFields &Form)
{
    QJsonArray records;
    for (const QString &id : Field(Form, u"ids"_s).split(u',', Qt::SkipEmptyParts))
        if (const std::optional<TTrack> track = TrackOf(State, id.trimmed())) {
            const QString url = track->Blocked
                ? QString()
                : u"%1/audio/%2?extra=%3_%4"_s.arg(Origins.Web, track->ToneFile).arg(track->OwnerID).arg(track->AID);
            records.append(Record(*track, url, false));
        }
    return JsonFrame(Json(records));
}

QString Add(TSiteState &State, int User, const TFields &Form)
{
    const std::optional<TTrack> track = TrackOf(State, Field(Form, u"oid"_s) + u'_' + Field(Form, u"aid"_s));
    if (!track || Field(Form, u"hash"_s) != AddHash(*track))
        return ErrorFrame(u"Ошибка доступа"_s);
    if (track->OwnerID == User)
        return ErrorFrame(u"Аудиозапись уже в вашем списке"_s);
    return JsonFrame(Json(Record(State.AddCopy(User, *track), {}, true)));
}

QString Delete(TSiteState &State, int User, const TFields &Form)
{
    const std::optional<TTrack> track = TrackOf(State, Field(Form, u"oid"_s) + u'_' + Field(Form, u"aid"_s));
    if (!track || track->OwnerID != User || Field(Form, u"hash"_s) != DeleteHash(*track)
        || !State.Delete(User, track->AID))
        return ErrorFrame(u"Ошибка доступа"_s);
    return JsonFrame(u"{\"deleted\":true}"_s);
}

} // namespace

void AddAudioHandlers(httplib::Server &Server, TSiteState &State, const TOrigins &Origins)
{
    Server.Post("/al_audio.php", [&State, &Origins](const httplib::Request &Request, httplib::Response &Response) {
        const int user = SignedInUser(State, Request);
        if (user == 0) {
            // An expired session: the site sends the browser to its login page.
            Response.set_redirect("/login?to=al_audio.php");
            return;
        }
        const TFields form = ParseForm(Request.body);
        const QString act = Field(form, u"act"_s);
        QString answer;
        if (act == u"a_load_section")
            answer = Search(State, form);
        else if (act == u"load_silent")
            answer = UserList(State, form);
        else if (act == u"reload_audio")
            answer = URLs(State, Origins, form);
        else if (act == u"add")
            answer = Add(State, user, form);
        else if (act == u"delete_audio")
            answer = Delete(State, user, form);
        else
            answer = ErrorFrame(u"Неизвестное действие"_s);
        Response.set_content(ToWindows1251(answer), HtmlType);
    });
}

} // namespace Standin
