#include "playback/TAudioPlaylistUnit.h"

#include "playback/TAudioPlayerUnit.h"
#include "tracks/records/QelmTypesUnit.h"

#include <stdexcept>

namespace {
TAudioURLRequester GURLRequester;
}

TCustomPlaylistItem::TCustomPlaylistItem(const TCloneable &Source)
{
    if (auto *item = dynamic_cast<const TCustomPlaylistItem *>(&Source)) {
        Title = item->Title;
        Artist = item->Artist;
        Duration = item->Duration;
    }
}

bool TCustomPlaylistItem::EqualsTo(const TCustomPlaylistItem *Value) const
{
    return Value && Value->Artist == Artist && Value->Title == Title && Value->Duration == Duration;
}

void TCustomPlaylistItem::Play()
{
    if (!AudioPlayer || FOwner != AudioPlayer->Playlist())
        throw Exception(QStringLiteral("You can play item only of audioplayer playlist"));
    DoPlay();
}

TCustomVKAudioPlaylistItem::TCustomVKAudioPlaylistItem(const TCloneable &Source) : TCustomPlaylistItem(Source)
{
    if (auto *item = dynamic_cast<const TCustomVKAudioPlaylistItem *>(&Source)) {
        AID = item->AID;
        OwnerID = item->OwnerID;
        LyricsID = item->LyricsID;
        AlbumID = item->AlbumID;
    }
}

bool TCustomVKAudioPlaylistItem::EqualsTo(const TCustomPlaylistItem *Value) const
{
    auto *item = dynamic_cast<const TCustomVKAudioPlaylistItem *>(Value);
    return item && TCustomPlaylistItem::EqualsTo(Value) && item->AID == AID && item->OwnerID == OwnerID
        && item->AlbumID == AlbumID && item->LyricsID == LyricsID;
}

TVKAudioPlaylistItem::TVKAudioPlaylistItem(const TVKAudioRecord &VKAudioRecord)
{
    Artist = VKAudioRecord.Artist;
    Title = VKAudioRecord.Title;
    Duration = VKAudioRecord.Duration;
    AID = VKAudioRecord.AID;
    OwnerID = VKAudioRecord.OwnerID;
    AlbumID = VKAudioRecord.AlbumID;
    LyricsID = VKAudioRecord.LyricsID;
    URL = VKAudioRecord.URL;
    Hashes = VKAudioRecord.Hashes;
}

TVKAudioPlaylistItem::TVKAudioPlaylistItem(const TCloneable &Source) : TCustomVKAudioPlaylistItem(Source)
{
    if (auto *item = dynamic_cast<const TVKAudioPlaylistItem *>(&Source)) {
        URL = item->URL;
        Hashes = item->Hashes;
    }
}

std::unique_ptr<TCloneable> TVKAudioPlaylistItem::Clone() const
{
    return std::make_unique<TVKAudioPlaylistItem>(static_cast<const TCloneable &>(*this));
}

void TVKAudioPlaylistItem::SetURLRequester(TAudioURLRequester Requester)
{
    GURLRequester = std::move(Requester);
}

void TVKAudioPlaylistItem::DoPlay()
{
    if (!URL.isEmpty()) {
        AudioPlayer->PlayURL(URL);
        return;
    }
    if (GURLRequester)
        GURLRequester(*this, Owner());
}

void TVKAudioPlaylistItem::URLReceived(
    TAudioPlaylist *Owner, const TVKAudioPlaylistItem &Track, int ResultCode, const QStringList &URLs)
{
    // Only the player's own copy of a playlist lives on; the one the request
    // was made for may be gone since.
    if (!Owner || !AudioPlayer || Owner != AudioPlayer->Playlist())
        return;
    // A late answer for a track the user has since left must not stop the one
    // now playing, nor be reported.
    const auto *requested = dynamic_cast<const TVKAudioPlaylistItem *>(AudioPlayer->RequestedPlaylistItem());
    const bool isRequested = requested && requested->OwnerID == Track.OwnerID && requested->AID == Track.AID;
    if (ResultCode != 0 || URLs.size() != 1) {
        if (isRequested)
            AudioPlayer->RequestedTrackNotAvailable();
        return;
    }
    const int index = Owner->FindPlaylistItem(&Track);
    if (index < 0)
        return;
    auto *item = dynamic_cast<TVKAudioPlaylistItem *>(Owner->getItem(index));
    if (!item)
        return;
    // Kept in the player's copy: playing the track again needs no request.
    item->URL = URLs.first();
    if (isRequested)
        item->DoPlay();
}

TLocalVKAudioPlaylistItem::TLocalVKAudioPlaylistItem(const TSavedTrackRecord &SavedTrackRecord)
{
    Artist = SavedTrackRecord.Artist;
    Title = SavedTrackRecord.Title;
    Duration = SavedTrackRecord.Duration;
    AID = SavedTrackRecord.AID;
    OwnerID = SavedTrackRecord.OwnerID;
    LyricsID = SavedTrackRecord.LyricsID;
    AlbumID = SavedTrackRecord.AlbumID;
    FilePath = SavedTrackRecord.FilePath;
}

TLocalVKAudioPlaylistItem::TLocalVKAudioPlaylistItem(const TCloneable &Source) : TCustomVKAudioPlaylistItem(Source)
{
    if (auto *item = dynamic_cast<const TLocalVKAudioPlaylistItem *>(&Source))
        FilePath = item->FilePath;
}

std::unique_ptr<TCloneable> TLocalVKAudioPlaylistItem::Clone() const
{
    return std::make_unique<TLocalVKAudioPlaylistItem>(static_cast<const TCloneable &>(*this));
}

bool TLocalVKAudioPlaylistItem::EqualsTo(const TCustomPlaylistItem *Value) const
{
    auto *item = dynamic_cast<const TLocalVKAudioPlaylistItem *>(Value);
    return item && TCustomVKAudioPlaylistItem::EqualsTo(Value) && item->FilePath == FilePath;
}

void TLocalVKAudioPlaylistItem::DoPlay()
{
    AudioPlayer->PlayLocalFile(FilePath);
}

TAudioPlaylist::~TAudioPlaylist() = default;

TCustomPlaylistItem *TAudioPlaylist::getItem(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw std::out_of_range("List index out of bounds");
    return FList[static_cast<std::size_t>(Index)].get();
}

void TAudioPlaylist::Add(std::unique_ptr<TCustomPlaylistItem> PlaylistItem)
{
    PlaylistItem->FOwner = this;
    FList.push_back(std::move(PlaylistItem));
}

void TAudioPlaylist::Clear()
{
    FList.clear();
}

void TAudioPlaylist::Changing()
{
    FIsChanging = true;
    FTagBeforeChanging = Tag;
}

void TAudioPlaylist::Changed()
{
    if (!FIsChanging)
        return;
    FIsChanging = false;
    if (OnChanged)
        OnChanged(this, Tag == FTagBeforeChanging);
}

int TAudioPlaylist::FindPlaylistItem(const TCustomPlaylistItem *AItem) const
{
    for (int i = 0; i < Count(); ++i) {
        if (FList[static_cast<std::size_t>(i)]->EqualsTo(AItem))
            return i;
    }
    return -1;
}

TVKAudioPlaylistItem *TVKAudioPlaylist::getItem(int Index) const
{
    return static_cast<TVKAudioPlaylistItem *>(TAudioPlaylist::getItem(Index));
}
