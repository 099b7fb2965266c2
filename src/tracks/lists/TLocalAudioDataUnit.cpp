#include "tracks/lists/TLocalAudioDataUnit.h"

#include "app/helpers/FileUtilsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "platform/ShellUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "requests/THTTPFileDownloaderUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "tracks/lists/TSavedTracksDataSetUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"
#include "vkweb/TVKEmulationRequestTaskUnit.h"
#include "vkweb/TVKEmulationRequestUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>

namespace {

std::uint32_t NewPlaylistTag()
{
    return QRandomGenerator::global()->bounded(2147483647u);
}

} // namespace

TLocalAudioData::TLocalAudioData(TVKEmulationManager &AVKEmulationManager, TSavedTracksDataSet &ASavedTracks) :
      FVKEmulationManager(AVKEmulationManager), FSavedTracks(ASavedTracks),
      FSelf(std::make_shared<TLocalAudioData *>(this))
{
    RemoveLeftPartialFiles();
    for (const TSavedTrackRow &row : FSavedTracks.Rows())
        if (QFileInfo::exists(ResolveSavedFileName(row.Record.FilePath)))
            FItems.push_back({adsSaved, row.AutoIncID});
    FPlaylist.Tag = NewPlaylistTag();
    RebuildPlaylist();
}

TLocalAudioData::~TLocalAudioData()
{
    *FSelf = nullptr;
    for (const std::uint32_t operationID : FURLOperationIDs)
        FVKEmulationManager.RequestManager().Delete(operationID);
    // At shut-down the manager may have freed them already.
    for (const TLoadingTrackRecord &download : FLoadingTracks)
        TThreadedObjectsManager::Abort(download.DownloaderID);
}

bool TLocalAudioData::IsSavedTrack(int Index) const
{
    return FItems.at(std::size_t(Index)).SourceType == adsSaved;
}

TSavedTrackRecord TLocalAudioData::getSavedTrack(int Index) const
{
    const TLocalAudioDataSourceRecord &item = FItems.at(std::size_t(Index));
    if (item.SourceType != adsSaved)
        throw Exception(QStringLiteral("Trying to get saved track data out of loading track"));
    const TSavedTrackRow *row = FSavedTracks.FindRow(item.Index);
    if (!row)
        throw Exception(QStringLiteral("Saved track not found"));
    TSavedTrackRecord record = row->Record;
    record.FilePath = ResolveSavedFileName(record.FilePath);
    return record;
}

const TLoadingTrackRecord &TLocalAudioData::getLoadingTrack(int Index) const
{
    const TLocalAudioDataSourceRecord &item = FItems.at(std::size_t(Index));
    if (item.SourceType != adsLoading)
        throw Exception(QStringLiteral("Trying to get loading track data out of saved track"));
    const auto download = const_cast<TLocalAudioData *>(this)->FindDownload(std::uint32_t(item.Index));
    if (download == FLoadingTracks.end())
        throw Exception(QStringLiteral("Download not found"));
    return *download;
}

int TLocalAudioData::GetPlaylistIndexByItemIndex(int Index) const
{
    if (FItems.at(std::size_t(Index)).SourceType != adsSaved)
        throw Exception(QStringLiteral("Trying to get playlist item index of loading track"));
    // The saved rows above it: the playlist holds them in row order.
    return static_cast<int>(std::count_if(
        FItems.begin(), FItems.begin() + Index, [](const auto &item) { return item.SourceType == adsSaved; }));
}

void TLocalAudioData::DownloadTrack(const TVKAudioPlaylistItem &Track)
{
    if (!Track.URL.isEmpty()) {
        DoDownloadTrack(Track);
        return;
    }
    // Each look-up has an identifier of its own: one for playback, or another
    // download's, must not replace it.
    const auto operationID = static_cast<std::uint32_t>(GetInstance<TVKEmulationOperationIDGenerator>()->GetID());
    FURLOperationIDs.insert(operationID);
    auto request = TVKEmulationRequestFactory::ConstructAudioURLGetRequest(
        &FVKEmulationManager, std::make_unique<TVKAudioPlaylistItem>(static_cast<const TCloneable &>(Track)));
    FVKEmulationManager.RequestManager().Add(operationID,
        std::make_unique<TVKEmulationRequestData>(std::move(request), nullptr, [this, operationID](TObject *Sender) {
            FURLOperationIDs.erase(operationID);
            const auto &task = SenderAs<TVKEmulationAudioURLGetterRequestTask>(Sender);
            TVKAudioPlaylistItem track(static_cast<const TCloneable &>(task.GetRequest().Track()));
            if (task.GetResult()->ResultCode != 0 || task.GetResult()->AudioURLs.size() != 1) {
                if (OnDownloadFailed)
                    OnDownloadFailed(this, track.AID, track.OwnerID, QStringLiteral("EM_TrackNotFoundVK"));
                return;
            }
            track.URL = task.GetResult()->AudioURLs.front();
            DoDownloadTrack(track);
        }));
}

void TLocalAudioData::DoDownloadTrack(const TVKAudioPlaylistItem &Track)
{
    QString folder = GetInstance<TQelmSettings>()->CurrentMusicFolderPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    // The downloader would make the missing folders, even the drive's own
    // where the user may (root may anywhere): an unplugged drive is reported.
    if (ReportMissingDrive(folder))
        return;
    // The downloader reserves the name (it may take the next free one).
    auto *downloader = new THTTPFileDownloader(
        Track.URL, MakeUniqueFilePath(folder + DownloadFileName(Track.Artist, Track.Title, Track.URL)));
    FLoadingTracks.push_back({Track.AID, Track.OwnerID, Track.Artist, Track.Title, Track.Duration, Track.LyricsID,
        Track.AlbumID, downloader->FilePath(), downloader->ID(), 0});
    FItems.insert(FItems.begin(), {adsLoading, downloader->ID()});
    WriteDownloadsInProgress();
    if (OnChanged)
        OnChanged(this, false);

    const std::weak_ptr<TLocalAudioData *> self = FSelf;
    downloader->SetOnDownloadProgress([self](TObject *Sender, std::uint8_t Percent) {
        if (const auto owner = self.lock(); owner && *owner)
            (*owner)->HTTPDownloaderDownloadProgressEvent(Sender, Percent);
    });
    downloader->SetStartCallback([self](TObject *Sender) {
        if (const auto owner = self.lock(); owner && *owner)
            (*owner)->HTTPDownloaderStartEvent(Sender);
    });
    const std::uint32_t id = downloader->ID();
    const bool started = downloader->Start([self](TObject *Sender) {
        if (const auto owner = self.lock(); owner && *owner)
            (*owner)->HTTPDownloaderResultEvent(Sender);
    });
    if (!started) {
        // Refused at shut-down: the downloader is gone already, and the row
        // announced above goes again.
        if (const auto download = FindDownload(id); download != FLoadingTracks.end())
            FLoadingTracks.erase(download);
        if (const int row = RowOfDownload(id); row >= 0)
            FItems.erase(FItems.begin() + row);
        WriteDownloadsInProgress();
        if (OnChanged)
            OnChanged(this, false);
    }
}

std::vector<TLoadingTrackRecord>::iterator TLocalAudioData::FindDownload(std::uint32_t DownloaderID)
{
    return std::find_if(FLoadingTracks.begin(), FLoadingTracks.end(),
        [DownloaderID](const auto &download) { return download.DownloaderID == DownloaderID; });
}

int TLocalAudioData::RowOfDownload(std::uint32_t DownloaderID) const
{
    const auto found = std::find_if(FItems.begin(), FItems.end(),
        [DownloaderID](const auto &item) { return item.SourceType == adsLoading && item.Index == DownloaderID; });
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

void TLocalAudioData::HTTPDownloaderStartEvent(TObject *Sender)
{
    const auto download = FindDownload(SenderAs<THTTPFileDownloader>(Sender).ID());
    if (download != FLoadingTracks.end() && OnDownloadStart)
        OnDownloadStart(this, download->AID, download->OwnerID);
}

void TLocalAudioData::HTTPDownloaderDownloadProgressEvent(TObject *Sender, std::uint8_t ProgressPercent)
{
    const std::uint32_t id = SenderAs<THTTPFileDownloader>(Sender).ID();
    const auto download = FindDownload(id);
    if (download == FLoadingTracks.end())
        return;
    download->DownloadProgressPercent = ProgressPercent;
    if (OnItemChanged)
        OnItemChanged(this, RowOfDownload(id));
    if (OnItemDownloadPercentChangedEvent)
        OnItemDownloadPercentChangedEvent(this, download->AID, download->OwnerID);
}

void TLocalAudioData::HTTPDownloaderResultEvent(TObject *Sender)
{
    const auto &downloader = SenderAs<THTTPFileDownloader>(Sender);
    const auto download = FindDownload(downloader.ID());
    const int row = RowOfDownload(downloader.ID());
    if (download == FLoadingTracks.end() || row < 0)
        return;
    TLoadingTrackRecord finished = *download;
    // The downloader may have moved to another free name at the end.
    finished.FileName = downloader.FilePath();
    FLoadingTracks.erase(download);

    const TFileDownloadResult &result = downloader.Result();
    const std::optional<qint64> savedRow = result.ResultCode == fdOK ? SaveDownload(finished) : std::nullopt;
    const bool saved = savedRow.has_value();
    if (saved) {
        FItems[std::size_t(row)] = {adsSaved, *savedRow};
    } else {
        FItems.erase(FItems.begin() + row);
        const bool noDrive = result.ResultCode == fdFileNotCreated && ReportMissingDrive(finished.FileName);
        if (!noDrive && result.ResultCode != fdOK && result.ResultCode != fdAborted && OnDownloadFailed)
            OnDownloadFailed(this, finished.AID, finished.OwnerID, result.ErrorMessage);
    }
    WriteDownloadsInProgress();
    RebuildPlaylist();
    if (AudioPlayer)
        AudioPlayer->UpdatePlaylist(&FPlaylist);
    if (!saved && OnChanged)
        OnChanged(this, true);
    else if (saved && OnItemChanged)
        OnItemChanged(this, row);
}

bool TLocalAudioData::ReportMissingDrive(const QString &Path)
{
    if (Shell::DriveExists(Shell::PathDrive(QFileInfo(Path).absoluteFilePath())))
        return false;
    if (OnDownloadNoLogicalDriveError)
        OnDownloadNoLogicalDriveError(this);
    return true;
}

std::optional<qint64> TLocalAudioData::SaveDownload(const TLoadingTrackRecord &Download)
{
    try {
        return FSavedTracks.Insert({Download.AID, Download.OwnerID, Download.Artist, Download.Title, Download.Duration,
            Download.LyricsID, Download.AlbumID, Download.FileName});
    } catch (const Exception &error) {
        // The file stays where it is: the user still has the track.
        if (OnDownloadFailed)
            OnDownloadFailed(this, Download.AID, Download.OwnerID, error.Message());
        return std::nullopt;
    }
}

TDeleteResult TLocalAudioData::DeleteTrack(int Index, TFileRemoval Removal)
{
    const TLocalAudioDataSourceRecord item = FItems.at(std::size_t(Index));
    if (item.SourceType == adsLoading) {
        // The result step removes the row; the downloader removes its file.
        TThreadedObjectsManager::Abort(getLoadingTrack(Index).DownloaderID);
        return drDone;
    }
    // The file first: one that cannot be removed keeps its row, and nothing
    // has changed that the views would have to hear of. A file already gone
    // is what was asked for.
    QFile file(getSavedTrack(Index).FilePath);
    if (file.exists()) {
        if (Removal == frMoveToTrash) {
            if (!Shell::MoveToTrash(file.fileName()))
                return drNoTrash;
        } else if (!file.remove()) {
            throw Exception(file.errorString());
        }
    }
    FSavedTracks.Delete(item.Index);
    FItems.erase(FItems.begin() + Index);
    RebuildPlaylist();
    if (AudioPlayer)
        AudioPlayer->UpdatePlaylist(&FPlaylist);
    if (OnChanged)
        OnChanged(this, true);
    return drDone;
}

int TLocalAudioData::FindTrackByAID(int AID, int OwnerID) const
{
    for (int i = 0; i < Count(); ++i) {
        const TLocalAudioDataSourceRecord &item = FItems[std::size_t(i)];
        if (item.SourceType == adsLoading) {
            const TLoadingTrackRecord &download = getLoadingTrack(i);
            if (download.AID == AID && download.OwnerID == OwnerID)
                return i;
        } else if (const TSavedTrackRow *row = FSavedTracks.FindRow(item.Index);
                   row && row->Record.AID == AID && row->Record.OwnerID == OwnerID) {
            return i;
        }
    }
    return -1;
}

int TLocalAudioData::FindSavedTrackByFileName(const QString &FileName) const
{
    for (int i = 0; i < Count(); ++i) {
        const TLocalAudioDataSourceRecord &item = FItems[std::size_t(i)];
        if (item.SourceType != adsSaved)
            continue;
        if (const TSavedTrackRow *row = FSavedTracks.FindRow(item.Index); row && row->Record.FilePath == FileName)
            return i;
    }
    return -1;
}

void TLocalAudioData::RebuildPlaylist()
{
    FPlaylist.Changing();
    FPlaylist.Clear();
    for (int i = 0; i < Count(); ++i)
        if (IsSavedTrack(i))
            FPlaylist.Add(std::make_unique<TLocalVKAudioPlaylistItem>(getSavedTrack(i)));
    FPlaylist.Changed();
}

void TLocalAudioData::WriteDownloadsInProgress() const
{
    QStringList partialFiles;
    for (const TLoadingTrackRecord &download : FLoadingTracks)
        partialFiles << PartialFilePath(download.FileName);
    QDir().mkpath(GetProgramDataFolderPath());
    QSaveFile file(GetDownloadsInProgressPath());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(partialFiles.join(u'\n').toUtf8());
        file.commit();
    }
}

void TLocalAudioData::RemoveLeftPartialFiles()
{
    QFile list(GetDownloadsInProgressPath());
    if (!list.open(QIODevice::ReadOnly))
        return;
    // Only partial files this program listed: never another file of the folder.
    for (const QString &path : QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts))
        if (path.endsWith(PartialFilePath(QString())) && QFileInfo(path).isFile())
            QFile::remove(path);
    list.close();
    list.remove();
}
