#pragma once

#include "tracks/lists/TAudioDataUnit.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class TVKAudioPlaylistItem;
class TVKEmulationManager;
class TVKEmulationRequest;

// How a list shows its animations: the windows connect the animation toolkit
// here. Left empty, nothing runs and every identifier is 0.
struct TAudioDataAnimations
{
    // Each returns the new animation's identifier.
    std::function<int()> StartAddTrackAnimation;
    std::function<int()> StartLoadingAnimation;
    std::function<void(int AnimationID)> StopAnimation;
};

// A list of VK tracks over the web client, which must outlive it. Rows of
// exactly TVKAudioTrackViewData are played; a track is named by owner and
// AID together, an AID being unique only within its owner.
class TCustomVKAudioData : public TAudioData
{
public:
    explicit TCustomVKAudioData(TVKEmulationManager &AVKEmulationManager);
    ~TCustomVKAudioData() override;

    TVKAudioPlaylist *Playlist() const { return static_cast<TVKAudioPlaylist *>(TAudioData::Playlist()); }
    // Nothing for a row that is not played.
    void AddToMyMusic(int Index);
    bool IsTrackAddedToMyMusic(int Index) const;

    TAudioDataAnimations Animations;

protected:
    bool IsPlayableTrack(const TCustomAudioTrackViewData &Track) const override;
    virtual void TrackAddedToMyMusic(
        TObject *Sender, const TVKAudioPlaylistItem &AddedTrack, int AID, int OwnerId, const QString &Hashes);

    // The first row of exactly TVKAudioTrackViewData that matches, or -1.
    int IndexOfVKTrack(const std::function<bool(const TVKAudioTrackViewData &Track)> &Matches) const;
    TVKAudioPlaylistItem *VKPlaylistItem(int Index) const;
    int StartAnimation(const std::function<int()> &Start) const { return Start ? Start() : 0; }
    void StopAnimation(int &AnimationID) const;

    TVKEmulationManager &FVKEmulationManager;

private:
    // The list's handler in the web client's event list, removed with the list.
    std::uint64_t FTrackAddedHandler;
};

// A list loaded page by page through the web client's queue, all under one
// operation identifier, so a newer load replaces an older one still waiting
// (and a list that goes takes its load along). A failed load is tried again
// up to five times, silently; after the last OnLoadFailed is raised, and
// Retry asks once more. The site decides the size of a page, whatever the
// list asks for: a page starts where the rows shown end.
class TVKAudioData : public TCustomVKAudioData
{
public:
    TVKAudioData(TVKEmulationManager &AVKEmulationManager, int Count);
    ~TVKAudioData() override;

    void NextPage();
    // Loads every page shown again, one after another, and replaces the rows
    // once all are in.
    void Refresh();
    void Reset();
    // Asks again for what the failed load asked for.
    void Retry();

    TNotifyEvent OnLoadFailed;
    // -1 when no row has that URL (an empty URL matches none).
    int FindTrackByURL(const QString &AURL) const;
    int IndexByAID(int OwnerID, int AID) const;

protected:
    virtual std::unique_ptr<TVKEmulationRequest> CreateRequest() = 0;
    // Whether a finished request belongs to the list now shown.
    virtual bool IsCurrentDataUpdated(const TVKEmulationRequest &Request) const = 0;
    virtual void UpdateActualValues(const TVKEmulationRequest &Request);
    virtual void ResetValues();
    virtual void DoNextPage();
    virtual void DoRefresh();
    virtual void RequestResult(TObject *Task);

    // A new load, which takes the place of one under way (a refresh too).
    void Load();
    // A refresh past its first page: its pages make one result.
    bool IsRefreshGoingOn() const;
    // Asks for the requested values.
    void SendRequest(bool ResetRepeatCounter);

    int FRepeatCounter = 0;
    int FCount;
    TIntDataParam FOffset;
    std::uint32_t FOperationID;

private:
    struct TRefresh
    {
        int Rows; // shown when the refresh began
        QList<TVKAudioRecord> Records; // gathered so far
    };
    std::optional<TRefresh> FRefresh;
};

// The signed-in user's own list, which arrives whole.
class TVKUserAudioData : public TVKAudioData
{
public:
    TVKUserAudioData(TVKEmulationManager &AVKEmulationManager, int Count);
    ~TVKUserAudioData() override;

    // A sign-in: the owner's list loaded afresh, even for the owner shown before.
    void LoadOwner(int Value);
    void DeleteFromMyMusic(int Index);

protected:
    std::unique_ptr<TVKEmulationRequest> CreateRequest() override;
    bool IsCurrentDataUpdated(const TVKEmulationRequest &Request) const override;
    void UpdateActualValues(const TVKEmulationRequest &Request) override;
    void ResetValues() override;
    void DoNextPage() override;
    void DoRefresh() override;
    void TrackAddedToMyMusic(
        TObject *Sender, const TVKAudioPlaylistItem &AddedTrack, int AID, int OwnerId, const QString &Hashes) override;

private:
    void TrackDeletedFromMyMusic(int ID);

    TIntDataParam FOwnerID;
    int FAlbumID = -2;
    std::uint64_t FTrackDeletedHandler;
};

// VK search results for one search string.
class TVKSearchAudioData : public TVKAudioData
{
public:
    TVKSearchAudioData(TVKEmulationManager &AVKEmulationManager, int Count);

    void SetSearchString(const QString &Value);

    // Every successful search result but the first of the web client's life
    // (the automatic one after sign-in), whichever search list got it.
    TNotifyEvent OnSearchResult;

protected:
    std::unique_ptr<TVKEmulationRequest> CreateRequest() override;
    bool IsCurrentDataUpdated(const TVKEmulationRequest &Request) const override;
    void UpdateActualValues(const TVKEmulationRequest &Request) override;
    void ResetValues() override;
    void RequestResult(TObject *Task) override;

private:
    TStringDataParam FSearchString;
};

// A Last.fm track list matched against VK: each row is looked up by a VK
// search of its own and replaced by the track found.
class TVKCompositeAudioData : public TCustomVKAudioData
{
public:
    explicit TVKCompositeAudioData(TVKEmulationManager &AVKEmulationManager);
    ~TVKCompositeAudioData() override;

    void SetTracks(const TCompositeTracksLookupData &Tracks);

protected:
    virtual void SearchRequestResult(TObject *Task, std::uint32_t OperationID);

private:
    void StartSearches();
    // Stops the look-ups of the rows still waiting for one.
    void CancelSearches();
};
