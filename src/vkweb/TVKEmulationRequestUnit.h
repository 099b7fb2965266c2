#pragma once

#include "foundation/BaseTypesUnit.h"
#include "requests/TAPIRequestFactoryUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include <QString>
#include <QStringList>

#include <memory>

class TVKAudioPlaylistItem;

enum class TVKEmulationRequestKind {
    verkAudioSearch,
    verkAudioGet,
    verkAudioGetURL,
    verkMyMusicAdd,
    verkMyMusicDelete
};

// One audio operation of the web client, queued on the request manager. It
// takes the session (jar and signed-in user) of the moment it is made, so a
// logout meanwhile cannot mix two sessions.
class TVKEmulationRequest : public TObject
{
public:
    // Parameters with an empty value are left out. Manager may be null: then
    // the request has no session and its task fails.
    TVKEmulationRequest(const TVKEmulationManager *Manager, TVKEmulationRequestKind AKind, const TURIParams &Params);

    TVKEmulationRequestKind Kind() const { return FKind; }
    const TVKEmulationSession &Session() const { return FSession; }
    // "name=value" lines in insertion order.
    const QStringList &ParamsList() const { return FParams.Lines(); }
    // Names are compared without regard to case; an empty Value removes.
    QString getParam(const QString &Name) const { return FParams.Get(Name); }
    void setParam(const QString &Name, const QString &Value) { FParams.Set(Name, Value); }
    // "search, params = a=1&b=2"
    QString ToString() const;

private:
    TVKEmulationRequestKind FKind;
    TURIParamList FParams;
    TVKEmulationSession FSession;
};

// A request about one track, which it owns; its parameter "ids" names the
// track to the site.
class TVKEmulationTrackRequest : public TVKEmulationRequest
{
public:
    TVKEmulationTrackRequest(const TVKEmulationManager *Manager, TVKEmulationRequestKind AKind,
        std::unique_ptr<TVKAudioPlaylistItem> ATrack);
    ~TVKEmulationTrackRequest() override;

    const TVKAudioPlaylistItem &Track() const { return *FTrack; }

private:
    std::unique_ptr<TVKAudioPlaylistItem> FTrack;
};

// Each function returns a new request owned by the caller; the track
// functions take the track (callers pass a clone).
class TVKEmulationRequestFactory
{
public:
    static std::unique_ptr<TVKEmulationRequest> ConstructAudioSearchRequest(
        const TVKEmulationManager *Manager, const QString &SearchQuery, int Offset, int Count);
    static std::unique_ptr<TVKEmulationRequest> ConstructAudioGetRequest(
        const TVKEmulationManager *Manager, int OwnerID, int AlbumID);
    static std::unique_ptr<TVKEmulationRequest> ConstructAudioURLGetRequest(
        const TVKEmulationManager *Manager, std::unique_ptr<TVKAudioPlaylistItem> Track);
    static std::unique_ptr<TVKEmulationRequest> ConstructMyMusicAddRequest(
        const TVKEmulationManager *Manager, std::unique_ptr<TVKAudioPlaylistItem> Track);
    static std::unique_ptr<TVKEmulationRequest> ConstructMyMusicDeleteRequest(
        const TVKEmulationManager *Manager, int OwnerID, int AID, const QString &Hashes);
};
