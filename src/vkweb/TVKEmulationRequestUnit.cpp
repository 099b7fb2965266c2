#include "vkweb/TVKEmulationRequestUnit.h"

#include "playback/TAudioPlaylistUnit.h"
#include "tracks/QelmTypesUnit.h"

TVKEmulationRequest::TVKEmulationRequest(const TVKEmulationManager *Manager, TVKEmulationRequestKind AKind,
                                         const TURIParams &Params)
    : FKind(AKind), FSession(Manager ? Manager->Session() : TVKEmulationSession{})
{
    for (const TURIParam &param : Params)
        setParam(param.Name, param.Value);
}

qsizetype TVKEmulationRequest::IndexOfParam(const QString &Name) const
{
    for (qsizetype i = 0; i < FParamsList.size(); ++i) {
        const QString &line = FParamsList[i];
        if (line.size() > Name.size() && line.at(Name.size()) == u'='
            && QStringView(line).left(Name.size()).compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TVKEmulationRequest::getParam(const QString &Name) const
{
    const qsizetype index = IndexOfParam(Name);
    return index < 0 ? QString() : FParamsList[index].mid(Name.size() + 1);
}

void TVKEmulationRequest::setParam(const QString &Name, const QString &Value)
{
    const qsizetype index = IndexOfParam(Name);
    if (Value.isEmpty()) {
        if (index >= 0)
            FParamsList.removeAt(index);
    } else if (index >= 0) {
        FParamsList[index] = Name + u'=' + Value;
    } else {
        FParamsList.append(Name + u'=' + Value);
    }
}

QString TVKEmulationRequest::ToString() const
{
    static const char *const Words[] = {"search", "get", "geturl", "add", "delete"};
    return QLatin1String(Words[int(FKind)]) + QStringLiteral(", params = ") + FParamsList.join(u'&');
}

TVKEmulationTrackRequest::TVKEmulationTrackRequest(const TVKEmulationManager *Manager, TVKEmulationRequestKind AKind,
                                                   std::unique_ptr<TVKAudioPlaylistItem> ATrack)
    : TVKEmulationRequest(Manager, AKind, {URIParam(QStringLiteral("ids"), GetVKAudioFullID(ATrack->OwnerID, ATrack->AID))}),
      FTrack(std::move(ATrack))
{
}

TVKEmulationTrackRequest::~TVKEmulationTrackRequest() = default;

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructAudioSearchRequest(
    const TVKEmulationManager *Manager, const QString &SearchQuery, int Offset, int Count)
{
    return std::make_unique<TVKEmulationRequest>(
        Manager, TVKEmulationRequestKind::verkAudioSearch,
        TURIParams{URIParam(QStringLiteral("search_q"), SearchQuery),
                   URIParam(QStringLiteral("offset"), QString::number(Offset)),
                   URIParam(QStringLiteral("count"), QString::number(Count))});
}

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructAudioGetRequest(
    const TVKEmulationManager *Manager, int OwnerID, int AlbumID)
{
    return std::make_unique<TVKEmulationRequest>(Manager, TVKEmulationRequestKind::verkAudioGet,
                                                 TURIParams{URIParam(QStringLiteral("owner_id"), QString::number(OwnerID)),
                                                            URIParam(QStringLiteral("album_id"), QString::number(AlbumID))});
}

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructAudioURLGetRequest(
    const TVKEmulationManager *Manager, std::unique_ptr<TVKAudioPlaylistItem> Track)
{
    return std::make_unique<TVKEmulationTrackRequest>(Manager, TVKEmulationRequestKind::verkAudioGetURL,
                                                      std::move(Track));
}

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructMyMusicAddRequest(
    const TVKEmulationManager *Manager, std::unique_ptr<TVKAudioPlaylistItem> Track)
{
    return std::make_unique<TVKEmulationTrackRequest>(Manager, TVKEmulationRequestKind::verkMyMusicAdd,
                                                      std::move(Track));
}

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructMyMusicDeleteRequest(
    const TVKEmulationManager *Manager, int OwnerID, int AID, const QString &Hashes)
{
    return std::make_unique<TVKEmulationRequest>(Manager, TVKEmulationRequestKind::verkMyMusicDelete,
                                                 TURIParams{URIParam(QStringLiteral("owner_id"), QString::number(OwnerID)),
                                                            URIParam(QStringLiteral("aid"), QString::number(AID)),
                                                            URIParam(QStringLiteral("hashes"), Hashes)});
}
