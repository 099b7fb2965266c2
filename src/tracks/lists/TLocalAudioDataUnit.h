#pragma once

#include "foundation/BaseTypesUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "tracks/records/QelmTypesUnit.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class TSavedTracksDataSet;
class TVKEmulationManager;

// A download in progress.
struct TLoadingTrackRecord
{
    int AID = 0;
    int OwnerID = 0;
    QString Artist;
    QString Title;
    int Duration = 0;
    QString LyricsID;
    QString AlbumID;
    QString FileName; // the target path
    // The downloader is the threaded-objects manager's, which may free it
    // at any time: it is reached through this ID only.
    std::uint32_t DownloaderID = 0;
    std::uint8_t DownloadProgressPercent = 0;
};

enum TLocalAudioDataSourceType { adsLoading, adsSaved };

// A row as shown. Index names its source: the downloader's ID for a
// download, the table row's "AutoIncID" for a saved track, so that a row
// removed elsewhere never shifts what another row points at.
struct TLocalAudioDataSourceRecord
{
    TLocalAudioDataSourceType SourceType = adsSaved;
    qint64 Index = 0;
};

// How a saved track's file goes. There is no default: a file is deleted for
// good only when the caller says so, after asking the user.
enum TFileRemoval : int { frMoveToTrash, frDeletePermanently };
// drNoTrash: the file could not be moved to the trash; nothing was removed.
enum TDeleteResult { drDone, drNoTrash };

using TLocalTrackEvent = std::function<void(TObject *Sender, int AID, int OwnerID)>;
using TLocalTrackFailedEvent = std::function<void(TObject *Sender, int AID, int OwnerID, const QString &Message)>;

// The Downloads tab: the downloads in progress on top (newest first), then
// the saved tracks whose files exist, newest first. Downloads go into the
// current music folder and, once whole, into the table. Everything runs on
// the interface thread.
//
// The partial files of running downloads are listed in a file of their own,
// so that the next start removes those a killed program left, and only those.
class TLocalAudioData : public TObject
{
public:
    TLocalAudioData(TVKEmulationManager &AVKEmulationManager, TSavedTracksDataSet &ASavedTracks);
    // Aborts the downloads still running: nothing could record them.
    ~TLocalAudioData() override;
    TLocalAudioData(const TLocalAudioData &) = delete;
    TLocalAudioData &operator=(const TLocalAudioData &) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    bool IsSavedTrack(int Index) const;
    // Raise an error when asked of the other kind of row, or of a row whose
    // table row or download is gone.
    TSavedTrackRecord getSavedTrack(int Index) const;
    const TLoadingTrackRecord &getLoadingTrack(int Index) const;
    int GetPlaylistIndexByItemIndex(int Index) const;
    TCustomPlaylistItem *getPlaylistItem(int PlaylistIndex) const { return FPlaylist.getItem(PlaylistIndex); }
    TAudioPlaylist &Playlist() { return FPlaylist; }

    // Looks the URL up first when the item has none; a look-up that fails or
    // finds no stream (a blocked track) raises OnDownloadFailed with
    // "EM_TrackNotFoundVK".
    void DownloadTrack(const TVKAudioPlaylistItem &Track);
    // Cancels a download (whatever Removal says), or removes a saved track's
    // file as Removal says and then its row. A file that cannot go to the
    // trash gives drNoTrash and the rows stay. Raises the file system's
    // message when the file cannot be deleted for good (the row stays), and
    // the table's when the row cannot; either way the rows are as they were
    // and OnChanged is not raised.
    [[nodiscard]] TDeleteResult DeleteTrack(int Index, TFileRemoval Removal);
    // The first row, downloading or saved, of that track; -1 if none.
    int FindTrackByAID(int AID, int OwnerID) const;
    // The first saved row whose stored "FileName" is exactly FileName; -1 if none.
    int FindSavedTrackByFileName(const QString &FileName) const;

    TAudioDataChangedEvent OnChanged;
    TDataItemChangedEvent OnItemChanged;
    TLocalTrackEvent OnItemDownloadPercentChangedEvent;
    TLocalTrackEvent OnDownloadStart;
    // The music folder's drive (Shell::PathDrive) is not there.
    TNotifyEvent OnDownloadNoLogicalDriveError;
    // Any other failure but a cancel, with its message (or a localization
    // key): nothing was kept.
    TLocalTrackFailedEvent OnDownloadFailed;

private:
    void DoDownloadTrack(const TVKAudioPlaylistItem &Track);
    void HTTPDownloaderStartEvent(TObject *Sender);
    void HTTPDownloaderDownloadProgressEvent(TObject *Sender, std::uint8_t ProgressPercent);
    void HTTPDownloaderResultEvent(TObject *Sender);
    // Records a finished download in the table and gives its row's
    // identity; none (and OnDownloadFailed) when it cannot.
    std::optional<qint64> SaveDownload(const TLoadingTrackRecord &Download);
    // Raises OnDownloadNoLogicalDriveError when Path's drive is not there.
    bool ReportMissingDrive(const QString &Path);
    std::vector<TLoadingTrackRecord>::iterator FindDownload(std::uint32_t DownloaderID);
    int RowOfDownload(std::uint32_t DownloaderID) const;
    void RebuildPlaylist();
    void WriteDownloadsInProgress() const;
    static void RemoveLeftPartialFiles();

    TVKEmulationManager &FVKEmulationManager;
    TSavedTracksDataSet &FSavedTracks;
    std::vector<TLoadingTrackRecord> FLoadingTracks;
    std::vector<TLocalAudioDataSourceRecord> FItems;
    TAudioPlaylist FPlaylist;
    // URL look-ups still queued, each under an identifier of its own.
    std::set<std::uint32_t> FURLOperationIDs;
    // Lets a downloader's late callback find this object gone.
    std::shared_ptr<TLocalAudioData *> FSelf;
};
