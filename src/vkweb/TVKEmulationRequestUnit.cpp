#include "vkweb/TVKEmulationRequestUnit.h"

#include "playback/TAudioPlaylistUnit.h"
#include "tracks/records/QelmTypesUnit.h"

TVKEmulationRequest::TVKEmulationRequest(
    const TVKEmulationManager *Manager, TVKEmulationRequestKind AKind, const TURIParams &Params) :
      FKind(AKind),
      FParams(Params), FSession(Manager ? Manager->Session() : TVKEmulationSession {})
{
}

QString TVKEmulationRequest::ToString() const
{
    static const char *const Words[] = {"search", "get", "geturl", "add", "delete"};
    return QLatin1String(Words[int(FKind)]) + QStringLiteral(", params = ") + FParams.Lines().join(u'&');
}

TVKEmulationTrackRequest::TVKEmulationTrackRequest(
    const TVKEmulationManager *Manager, TVKEmulationRequestKind AKind, std::unique_ptr<TVKAudioPlaylistItem> ATrack) :
      TVKEmulationRequest(
          Manager, AKind, {URIParam(QStringLiteral("ids"), GetVKAudioFullID(ATrack->OwnerID, ATrack->AID))}),
      FTrack(std::move(ATrack))
{
}

TVKEmulationTrackRequest::~TVKEmulationTrackRequest() = default;

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructAudioSearchRequest(
    const TVKEmulationManager *Manager, const QString &SearchQuery, int Offset, int Count)
{
    return std::make_unique<TVKEmulationRequest>(Manager, TVKEmulationRequestKind::verkAudioSearch,
        TURIParams {URIParam(QStringLiteral("search_q"), SearchQuery),
            URIParam(QStringLiteral("offset"), QString::number(Offset)),
            URIParam(QStringLiteral("count"), QString::number(Count))});
}

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructAudioGetRequest(
    const TVKEmulationManager *Manager, int OwnerID, int AlbumID)
{
    return std::make_unique<TVKEmulationRequest>(Manager, TVKEmulationRequestKind::verkAudioGet,
        TURIParams {URIParam(QStringLiteral("owner_id"), QString::number(OwnerID)),
            URIParam(QStringLiteral("album_id"), QString::number(AlbumID))});
}

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructAudioURLGetRequest(
    const TVKEmulationManager *Manager, std::unique_ptr<TVKAudioPlaylistItem> Track)
{
    return std::make_unique<TVKEmulationTrackRequest>(
        Manager, TVKEmulationRequestKind::verkAudioGetURL, std::move(Track));
}

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructMyMusicAddRequest(
    const TVKEmulationManager *Manager, std::unique_ptr<TVKAudioPlaylistItem> Track)
{
    return std::make_unique<TVKEmulationTrackRequest>(
        Manager, TVKEmulationRequestKind::verkMyMusicAdd, std::move(Track));
}

std::unique_ptr<TVKEmulationRequest> TVKEmulationRequestFactory::ConstructMyMusicDeleteRequest(
    const TVKEmulationManager *Manager, int OwnerID, int AID, const QString &Hashes)
{
    return std::make_unique<TVKEmulationRequest>(Manager, TVKEmulationRequestKind::verkMyMusicDelete,
        TURIParams {URIParam(QStringLiteral("owner_id"), QString::number(OwnerID)),
            URIParam(QStringLiteral("aid"), QString::number(AID)), URIParam(QStringLiteral("hashes"), Hashes)});
}
