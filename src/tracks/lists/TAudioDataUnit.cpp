#include "tracks/lists/TAudioDataUnit.h"

#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "tracks/records/QelmTypesUnit.h"

#include <QRandomGenerator>

#include <stdexcept>

TCustomAudioTrackViewData::TCustomAudioTrackViewData(const TCloneable &Source)
{
    if (auto *track = dynamic_cast<const TCustomAudioTrackViewData *>(&Source)) {
        Artist = track->Artist;
        Title = track->Title;
        Duration = track->Duration;
    }
}

TCustomVKAudioTrackViewData::TCustomVKAudioTrackViewData(const TCloneable &Source) : TPlayableAudioTrackViewData(Source)
{
    if (auto *track = dynamic_cast<const TCustomVKAudioTrackViewData *>(&Source)) {
        AID = track->AID;
        OwnerID = track->OwnerID;
        LyricsID = track->LyricsID;
        AlbumID = track->AlbumID;
    }
}

TVKAudioTrackViewData::TVKAudioTrackViewData(const TVKAudioRecord &VKAudioRecord)
{
    Artist = VKAudioRecord.Artist;
    Title = VKAudioRecord.Title;
    Duration = VKAudioRecord.Duration;
    AID = VKAudioRecord.AID;
    OwnerID = VKAudioRecord.OwnerID;
    LyricsID = VKAudioRecord.LyricsID;
    AlbumID = VKAudioRecord.AlbumID;
    URL = VKAudioRecord.URL;
    Hashes = VKAudioRecord.Hashes;
}

TVKAudioTrackViewData::TVKAudioTrackViewData(const TCloneable &Source) : TCustomVKAudioTrackViewData(Source)
{
    if (auto *track = dynamic_cast<const TVKAudioTrackViewData *>(&Source)) {
        URL = track->URL;
        Hashes = track->Hashes;
        AddTrackAnimationID = track->AddTrackAnimationID;
    }
}

std::unique_ptr<TVKAudioTrackViewData> TVKAudioTrackViewData::CreateFromPlaylistItem(
    const TVKAudioPlaylistItem &PlaylistItem)
{
    TVKAudioRecord record;
    record.Artist = PlaylistItem.Artist;
    record.Title = PlaylistItem.Title;
    record.Duration = PlaylistItem.Duration;
    record.AID = PlaylistItem.AID;
    record.OwnerID = PlaylistItem.OwnerID;
    record.LyricsID = PlaylistItem.LyricsID;
    record.AlbumID = PlaylistItem.AlbumID;
    record.URL = PlaylistItem.URL;
    record.Hashes = PlaylistItem.Hashes;
    return std::make_unique<TVKAudioTrackViewData>(record);
}

std::unique_ptr<TCloneable> TVKAudioTrackViewData::Clone() const
{
    return std::make_unique<TVKAudioTrackViewData>(static_cast<const TCloneable &>(*this));
}

std::unique_ptr<TCustomPlaylistItem> TVKAudioTrackViewData::ToPlaylistItem() const
{
    TVKAudioRecord record;
    record.Artist = Artist;
    record.Title = Title;
    record.Duration = Duration;
    record.AID = AID;
    record.OwnerID = OwnerID;
    record.AlbumID = AlbumID;
    record.LyricsID = LyricsID;
    record.URL = URL;
    record.Hashes = Hashes;
    return std::make_unique<TVKAudioPlaylistItem>(record);
}

TCompositeAudioDataItemViewData::TCompositeAudioDataItemViewData(const TCloneable &Source) :
      TCustomAudioTrackViewData(Source)
{
    if (auto *item = dynamic_cast<const TCompositeAudioDataItemViewData *>(&Source)) {
        State = item->State;
        AlbumName = item->AlbumName;
        RequestOperationID = item->RequestOperationID;
        LoadingAnimationID = item->LoadingAnimationID;
    }
}

std::unique_ptr<TCloneable> TCompositeAudioDataItemViewData::Clone() const
{
    return std::make_unique<TCompositeAudioDataItemViewData>(static_cast<const TCloneable &>(*this));
}

TCompositeTracksLookupData TCompositeTracksLookupData::CreateFromLastFMTracksRecord(
    const TLastFMTracksRecord &ARecord, const QString &AAlbumTitle)
{
    TCompositeTracksLookupData lookup;
    for (const TLastFMTrackRecord &track : ARecord.FItems)
        lookup.FTracks.append({track.Artist, AAlbumTitle, track.Title});
    return lookup;
}

TAudioData::TAudioData() : FPlaylist(std::make_unique<TVKAudioPlaylist>())
{
    NewPlaylistTag();
    // The player keeps its own copy of the list it plays: an update of this
    // list reaches it here (the player ignores the playlists of other lists).
    FPlaylist->OnChanged = [this](TObject *, bool) {
        if (AudioPlayer)
            AudioPlayer->UpdatePlaylist(FPlaylist.get());
    };
}

TAudioData::~TAudioData() = default;

TCustomAudioTrackViewData *TAudioData::getTrack(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw std::out_of_range("List index out of bounds");
    return FTracks[static_cast<std::size_t>(Index)].get();
}

void TAudioData::Clear()
{
    BeginChange();
    ClearTracks();
    EndChange(false);
}

int TAudioData::TrackIndexToPlaylistIndex(int TrackIndex) const
{
    // Between the begin and the end of a change the table may lag the rows.
    if (TrackIndex < 0 || TrackIndex >= static_cast<int>(FIndexesCorrespondenceTable.size()))
        return -1;
    return FIndexesCorrespondenceTable[static_cast<std::size_t>(TrackIndex)].PlaylistIndex;
}

TCustomPlaylistItem *TAudioData::GetPlaylistItemByTrackIndex(int TrackIndex) const
{
    const int index = TrackIndexToPlaylistIndex(TrackIndex);
    return index < 0 || index >= FPlaylist->Count() ? nullptr : FPlaylist->getItem(index);
}

void TAudioData::BeginChange()
{
    FIsChanging = true;
}

void TAudioData::EndChange(bool IsCurrentDataUpdated)
{
    if (!FIsChanging)
        return;
    RebuildPlaylist(IsCurrentDataUpdated);
    // Cleared first, so that a handler may start the next change.
    FIsChanging = false;
    if (OnChanged)
        OnChanged(this, IsCurrentDataUpdated);
}

void TAudioData::ItemChanged(int Index)
{
    if (OnItemChanged)
        OnItemChanged(this, Index);
}

void TAudioData::AddTrack(std::unique_ptr<TCustomAudioTrackViewData> Track)
{
    FTracks.push_back(std::move(Track));
}

void TAudioData::InsertTrack(int Index, std::unique_ptr<TCustomAudioTrackViewData> Track)
{
    FTracks.insert(FTracks.begin() + Index, std::move(Track));
}

void TAudioData::DeleteTrack(int Index)
{
    FTracks.erase(FTracks.begin() + Index);
}

void TAudioData::ReplaceTrack(int Index, std::unique_ptr<TCustomAudioTrackViewData> Track)
{
    FTracks[static_cast<std::size_t>(Index)] = std::move(Track);
}

void TAudioData::ClearTracks()
{
    FTracks.clear();
}

void TAudioData::RebuildPlaylist(bool IsCurrentDataUpdated)
{
    FPlaylist->Changing();
    if (!IsCurrentDataUpdated)
        NewPlaylistTag();
    FPlaylist->Clear();
    FIndexesCorrespondenceTable.clear();
    for (int i = 0; i < Count(); ++i) {
        const TCustomAudioTrackViewData &track = *FTracks[static_cast<std::size_t>(i)];
        auto *playable = dynamic_cast<const TPlayableAudioTrackViewData *>(&track);
        int playlistIndex = -1;
        if (playable && IsPlayableTrack(track)) {
            FPlaylist->Add(playable->ToPlaylistItem());
            playlistIndex = FPlaylist->Count() - 1;
        }
        FIndexesCorrespondenceTable.push_back({i, playlistIndex});
    }
    FPlaylist->Changed();
}

void TAudioData::NewPlaylistTag()
{
    // A replaced list must never keep its tag, or the player would take the
    // new rows for an update of the old ones.
    const std::uint32_t previous = FPlaylist->Tag;
    do
        FPlaylist->Tag = QRandomGenerator::global()->bounded(2147483647u);
    while (FPlaylist->Tag == previous);
}
