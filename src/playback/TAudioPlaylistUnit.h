#pragma once

#include "foundation/TCloneableUnit.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TAudioPlaylist;
class TVKAudioPlaylistItem;
struct TVKAudioRecord;
struct TSavedTrackRecord;

// A playable entry of a playlist. Clones copy the fields of the classes they
// share with their source and never the owner.
class TCustomPlaylistItem : public TCloneable
{
public:
    TCustomPlaylistItem() = default;
    explicit TCustomPlaylistItem(const TCloneable &Source);

    virtual bool EqualsTo(const TCustomPlaylistItem *Value) const;
    // Plays the item through the audio player; only items of the player's own
    // playlist may play.
    void Play();
    TAudioPlaylist *Owner() const { return FOwner; }

    QString Title;
    QString Artist;
    int Duration = 0;

protected:
    friend class TAudioPlaylist;
    virtual void DoPlay() = 0;

private:
    TAudioPlaylist *FOwner = nullptr;
};

class TCustomVKAudioPlaylistItem : public TCustomPlaylistItem
{
public:
    TCustomVKAudioPlaylistItem() = default;
    explicit TCustomVKAudioPlaylistItem(const TCloneable &Source);
    bool EqualsTo(const TCustomPlaylistItem *Value) const override;

    int AID = 0;
    int OwnerID = 0;
    QString LyricsID;
    QString AlbumID;
};

// Asks the VK web client for a track's stream URL; the client answers
// through TVKAudioPlaylistItem::URLReceived. Until a client is installed,
// a track without a URL does not play.
using TAudioURLRequester = std::function<void(const TVKAudioPlaylistItem &Track, TAudioPlaylist *Owner)>;

// A VK track, played from its stream URL.
class TVKAudioPlaylistItem : public TCustomVKAudioPlaylistItem
{
public:
    explicit TVKAudioPlaylistItem(const TVKAudioRecord &VKAudioRecord);
    explicit TVKAudioPlaylistItem(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;

    static void SetURLRequester(TAudioURLRequester Requester);
    // The answer to a URL request for Track, made for the playlist Owner. A
    // failure, or an answer without exactly one URL, is reported to the
    // player when Track is still the one requested.
    static void URLReceived(
        TAudioPlaylist *Owner, const TVKAudioPlaylistItem &Track, int ResultCode, const QStringList &URLs);

    QString URL;
    QString Hashes;

protected:
    void DoPlay() override;
};

// A saved track, played from its file.
class TLocalVKAudioPlaylistItem : public TCustomVKAudioPlaylistItem
{
public:
    explicit TLocalVKAudioPlaylistItem(const TSavedTrackRecord &SavedTrackRecord);
    explicit TLocalVKAudioPlaylistItem(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;
    bool EqualsTo(const TCustomPlaylistItem *Value) const override;

    QString FilePath;

protected:
    void DoPlay() override;
};

using TAudioDataChangedEvent = std::function<void(TObject *Sender, bool IsCurrentDataUpdated)>;
// One row of a track list changed.
using TDataItemChangedEvent = std::function<void(TObject *Sender, int Index)>;

// An ordered list of items that it owns. Tag names the contents: a new tag
// means other contents, the same tag updated contents.
class TAudioPlaylist : public TObject
{
public:
    TAudioPlaylist() = default;
    ~TAudioPlaylist() override;
    TAudioPlaylist(const TAudioPlaylist &) = delete;
    TAudioPlaylist &operator=(const TAudioPlaylist &) = delete;

    // Raises std::out_of_range outside 0..Count-1.
    TCustomPlaylistItem *getItem(int Index) const;
    void Add(std::unique_ptr<TCustomPlaylistItem> PlaylistItem);
    void Clear();
    int Count() const { return static_cast<int>(FList.size()); }
    void Changing();
    void Changed();
    int FindPlaylistItem(const TCustomPlaylistItem *AItem) const;

    // Raised when a change announced by Changing ends.
    TAudioDataChangedEvent OnChanged;
    std::uint32_t Tag = 0;

private:
    std::vector<std::unique_ptr<TCustomPlaylistItem>> FList;
    bool FIsChanging = false;
    std::uint32_t FTagBeforeChanging = 0;
};

// The playlist of a VK track list.
class TVKAudioPlaylist : public TAudioPlaylist
{
public:
    void Add(std::unique_ptr<TVKAudioPlaylistItem> PlaylistItem) { TAudioPlaylist::Add(std::move(PlaylistItem)); }
    TVKAudioPlaylistItem *getItem(int Index) const;
};
