#pragma once

#include "foundation/TCloneableUnit.h"
#include "playback/TAudioPlaylistUnit.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct TLastFMTrackRecord;
struct TVKAudioRecord;
template<class TItem> struct TLastFMListRecord;
using TLastFMTracksRecord = TLastFMListRecord<TLastFMTrackRecord>;

// A row of a track list as the list box shows it. Clones copy the fields of
// the classes they share with their source.
class TCustomAudioTrackViewData : public TCloneable
{
public:
    TCustomAudioTrackViewData() = default;
    explicit TCustomAudioTrackViewData(const TCloneable &Source);

    QString Artist;
    QString Title;
    int Duration = 0; // seconds
};

// A row that can go into the list's playlist.
class TPlayableAudioTrackViewData : public TCustomAudioTrackViewData
{
public:
    using TCustomAudioTrackViewData::TCustomAudioTrackViewData;
    virtual std::unique_ptr<TCustomPlaylistItem> ToPlaylistItem() const = 0;
};

class TCustomVKAudioTrackViewData : public TPlayableAudioTrackViewData
{
public:
    TCustomVKAudioTrackViewData() = default;
    explicit TCustomVKAudioTrackViewData(const TCloneable &Source);

    int AID = 0;
    int OwnerID = 0;
    QString LyricsID;
    QString AlbumID;
};

// A VK track.
class TVKAudioTrackViewData : public TCustomVKAudioTrackViewData
{
public:
    explicit TVKAudioTrackViewData(const TVKAudioRecord &VKAudioRecord);
    explicit TVKAudioTrackViewData(const TCloneable &Source);
    static std::unique_ptr<TVKAudioTrackViewData> CreateFromPlaylistItem(const TVKAudioPlaylistItem &PlaylistItem);

    std::unique_ptr<TCloneable> Clone() const override;
    std::unique_ptr<TCustomPlaylistItem> ToPlaylistItem() const override;

    QString URL;
    QString Hashes;
    // The running add-to-My-Music animation of this row; 0 for none.
    int AddTrackAnimationID = 0;
};

enum class TCompositeAudioDataItemState { cdiPending, cdiSearching, cdiNotFound, cdiError };

// A track of a Last.fm list not (yet) matched to a VK track.
class TCompositeAudioDataItemViewData : public TCustomAudioTrackViewData
{
public:
    TCompositeAudioDataItemViewData() = default;
    explicit TCompositeAudioDataItemViewData(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;

    TCompositeAudioDataItemState State = TCompositeAudioDataItemState::cdiPending;
    QString AlbumName;
    // The look-up's operation on the web client's queue.
    std::uint32_t RequestOperationID = 0;
    // The row's loading animation while it is looked up; 0 for none.
    int LoadingAnimationID = 0;
};

struct TCompositeTrackLookupData
{
    QString Artist;
    QString AlbumName;
    QString Title;
};

struct TCompositeTracksLookupData
{
    // One entry per Last.fm track, in order, each with the album's title.
    static TCompositeTracksLookupData CreateFromLastFMTracksRecord(
        const TLastFMTracksRecord &ARecord, const QString &AAlbumTitle);

    QList<TCompositeTrackLookupData> FTracks;
};

struct TIndexesCorrespondenceRecord
{
    int TrackIndex = 0;
    int PlaylistIndex = -1; // -1: the row is not in the playlist
};

// "Requested" is what the newest request asked for, "actual" what the rows show.
struct TIntDataParam
{
    int ActualValue = 0;
    int RequestedValue = 0;
};

struct TStringDataParam
{
    QString ActualValue;
    QString RequestedValue;
};

// The rows of a track list with a playlist of its playable rows. Changes are
// bracketed by BeginChange and EndChange; the end rebuilds the playlist,
// hands it to the audio player when it is the list being played, and raises
// OnChanged. Lives on the interface thread.
class TAudioData : public TObject
{
public:
    TAudioData();
    ~TAudioData() override;
    TAudioData(const TAudioData &) = delete;
    TAudioData &operator=(const TAudioData &) = delete;

    int Count() const { return static_cast<int>(FTracks.size()); }
    // Raises std::out_of_range outside 0..Count-1.
    TCustomAudioTrackViewData *getTrack(int Index) const;
    void Clear();
    // -1 for a row that is not in the playlist or does not exist.
    int TrackIndexToPlaylistIndex(int TrackIndex) const;
    TCustomPlaylistItem *GetPlaylistItemByTrackIndex(int TrackIndex) const;
    TAudioPlaylist *Playlist() const { return FPlaylist.get(); }

    // IsCurrentDataUpdated: the same list was updated (false: another list replaced it).
    TAudioDataChangedEvent OnChanged;
    TDataItemChangedEvent OnItemChanged;

protected:
    virtual bool IsPlayableTrack(const TCustomAudioTrackViewData &Track) const = 0;

    void BeginChange();
    void EndChange(bool IsCurrentDataUpdated);
    void ItemChanged(int Index);
    void AddTrack(std::unique_ptr<TCustomAudioTrackViewData> Track);
    void InsertTrack(int Index, std::unique_ptr<TCustomAudioTrackViewData> Track);
    void DeleteTrack(int Index);
    void ReplaceTrack(int Index, std::unique_ptr<TCustomAudioTrackViewData> Track);
    void ClearTracks();

private:
    void RebuildPlaylist(bool IsCurrentDataUpdated);
    void NewPlaylistTag();

    bool FIsChanging = false;
    std::vector<TIndexesCorrespondenceRecord> FIndexesCorrespondenceTable;
    std::vector<std::unique_ptr<TCustomAudioTrackViewData>> FTracks;
    std::unique_ptr<TAudioPlaylist> FPlaylist;
};
