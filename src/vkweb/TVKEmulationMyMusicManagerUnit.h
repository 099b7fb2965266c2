#pragma once

#include "foundation/BaseTypesUnit.h"
#include "foundation/TEventListUnit.h"

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class TCustomVKAudioPlaylistItem;
class TVKAudioPlaylistItem;
class TVKEmulationManager;

// A track copied into My Music: AddedTrack is the request's copy of the
// source track (valid during the call only); AID and OwnerId name the copy,
// and Hashes are the copy's own, which removing it takes.
using TVKTrackAddedToMyMusicEvent = std::function<void(
    TObject *Sender, const TVKAudioPlaylistItem &AddedTrack, int AID, int OwnerId, const QString &Hashes)>;
using TIDEvent = std::function<void(TObject *Sender, int ID)>;

class TVKTrackAddedToMyMusicEventsList : public TEventList<TVKTrackAddedToMyMusicEvent>
{
public:
    void InvokeEvents(
        TObject *Sender, const TVKAudioPlaylistItem &AddedTrack, int AID, int OwnerId, const QString &Hashes)
    {
        Invoke(Sender, AddedTrack, AID, OwnerId, Hashes);
    }
};

class TIDEventsList : public TEventList<TIDEvent>
{
public:
    void InvokeEvents(TObject *Sender, int ID) { Invoke(Sender, ID); }
};

// Adds tracks to the signed-in user's list and removes them through the
// request queue, remembering for this run which tracks are being added, were
// added or are being removed. A track is named by owner and AID together: an
// AID is unique only within its owner. Lives on the interface thread.
class TVKEmulationMyMusicManager : public TObject
{
public:
    explicit TVKEmulationMyMusicManager(TVKEmulationManager &AEmulationManager);

    void AddToMyMusic(const TVKAudioPlaylistItem &Track);
    void DeleteFromMyMusic(const TVKAudioPlaylistItem &Track);
    // Tracks without an owner are the user's own and count as added.
    bool IsTrackAddedToMyMusic(const TCustomVKAudioPlaylistItem &Track) const;
    // Forgets the run's additions and removals; the handlers stay.
    void Reset();

    TVKTrackAddedToMyMusicEventsList &OnTrackAddedEventsList() { return FOnTrackAddedEventsList; }
    // Called with the removed track's AID.
    TIDEventsList &OnTrackDeletedEventsList() { return FOnTrackDeletedEventsList; }

private:
    // Owner and AID.
    using TTrackKey = QPair<int, int>;

    void DoTrackAdded(TObject *Sender);
    void DoTrackDeleted(TObject *Sender);

    TVKEmulationManager &FEmulationManager;
    QList<TTrackKey> FAddedToMyMusicAIDsList;
    QList<TTrackKey> FAddingToMyMusicAIDsList;
    QList<TTrackKey> FDeletingFromMyMusicAIDsList;
    TVKTrackAddedToMyMusicEventsList FOnTrackAddedEventsList;
    TIDEventsList FOnTrackDeletedEventsList;
};
