#pragma once

#include "foundation/BaseTypesUnit.h"
#include "foundation/TEventListUnit.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QTimer;
class TAudioPlaylist;
class TCustomPlaylistItem;
class TPlaybackOrder;
class TVKAudioTrackPlayer;

enum class TAudioPlayerState { psStopped, psPlaying, psPaused, psConnecting };

// What a track player reports.
enum class TTrackPlayerResult : std::uint8_t {
    trOpened = 0, // the end notification is attached; the stream is handed over
    trFailed = 1, // no stream
    trAborted = 2, // aborted; no stream
};

using TDownloadProgressEvent = std::function<void(TObject *Sender, std::uint8_t ProgressPercent)>;

// What changed in the player, for those who follow it besides the window.
enum class TAudioPlayerChange {
    pcTrack, // another track connects or starts
    pcState, // stopped, paused, resumed or a connection failed
    pcVolume, // the volume or the mute flag
    pcSeek, // the position jumped (the ticks of playback are no change)
};
using TAudioPlayerChangeEvent = std::function<void(TObject *Sender, TAudioPlayerChange Change)>;

class TAudioPlayerChangeEventList : public TEventList<TAudioPlayerChangeEvent>
{
public:
    void InvokeEvents(TObject *Sender, TAudioPlayerChange Change) { Invoke(Sender, Change); }
};

// The playback engine: plays one track at a time from its own copy of the
// playlist being played, and reports what the interface shows through its
// events. Everything here runs on the interface thread.
class TAudioPlayer : public TObject
{
public:
    TAudioPlayer();
    ~TAudioPlayer() override;
    TAudioPlayer(const TAudioPlayer &) = delete;
    TAudioPlayer &operator=(const TAudioPlayer &) = delete;

    void Play(int Index);
    void PlayFirst();
    void PlayURL(const QString &URL);
    void PlayLocalFile(const QString &FilePath);
    void Pause();
    void Resume();
    void Stop();
    void Next();
    void Previous();
    // Copies Value's items when Value holds other contents (another tag).
    void SetPlaylist(const TAudioPlaylist *Value);
    // Copies Value's items when Value is the list being played (same tag).
    void UpdatePlaylist(const TAudioPlaylist *Value);
    // The requested track has no stream to play (its URL look-up failed, or
    // the site gave none): raises OnTrackNotAvailable, and the track is no
    // longer requested. What plays goes on.
    void RequestedTrackNotAvailable();

    std::uint32_t Channel() const { return FChannel; }
    TAudioPlayerState State() const { return FState; }
    TAudioPlaylist *Playlist() const { return FPlaylist.get(); }
    int CurrentPlaylistIndex() const;
    const TCustomPlaylistItem *CurrentPlaylistItem() const { return FCurrentPlaylistItem.get(); }
    // The item the user last asked for, until it starts or playback stops.
    const TCustomPlaylistItem *RequestedPlaylistItem() const { return FRequestedPlaylistItem.get(); }
    int PlayingPosition() const { return FPlayingPosition; }
    // Seeks, in seconds; only while playing or paused.
    void SetPlayingPosition(int Value);
    float Volume() const { return FVolume; }
    void SetVolume(float Value);
    bool MuteFlag() const { return FMuteFlag; }
    void SetMuteFlag(bool Value);
    TPlaybackOrder *PlaybackOrder() const { return FPlaybackOrder.get(); }

    TNotifyEvent OnStartPlayingURL;
    TNotifyEvent OnStartPlayingLocalFile;
    TNotifyEvent OnStop;
    TNotifyEvent OnPlayingPositionChange;
    TNotifyEvent OnPause;
    TNotifyEvent OnResume;
    TNotifyEvent OnConnectionStart;
    TNotifyEvent OnConnectionError;
    // RequestedPlaylistItem names the track during the event.
    TNotifyEvent OnTrackNotAvailable;
    TDownloadProgressEvent OnDownloadProgress;
    // Raised after the event above that tells the same change.
    TAudioPlayerChangeEventList OnChange;

private:
    friend void DownloadProcCallBack(const void *Buffer, std::uint32_t Len, std::uint32_t User);
    friend void SyncEndCallBack(std::uint32_t Handle, std::uint32_t Channel, std::uint32_t Data, std::uint32_t User);

    void StartChannel();
    // Gives up every connection under way; their results change nothing.
    void AbortConnections();
    void FreeChannel(bool Notify);
    void ConnectionStarted(TObject *Sender);
    void ConnectionFinished(TObject *Sender);
    void PollPosition();
    void StreamEnded(std::uint32_t EndedChannel, std::int64_t Position, std::int64_t Length);
    void PlayNext(bool IsNext, bool IsManual);
    void CopyPlaylist(const TAudioPlaylist *Value);
    // Recomputes the download percentage; true when it changed.
    bool UpdateBufferedPercent();
    void Raise(const TNotifyEvent &Event);
    void Raise(const TNotifyEvent &Event, TAudioPlayerChange Change);

    std::uint32_t FChannel = 0;
    // FChannel plays a download, whose breaking off is a connection error.
    bool FChannelIsURL = false;
    std::unique_ptr<TAudioPlaylist> FPlaylist;
    // The URL track player started last (by ID); reports of others are stale.
    std::atomic<std::uint32_t> FLastCreatedVKAudioTrackPlayerID {0};
    // URL track players whose result has not come yet.
    std::map<std::uint32_t, TVKAudioTrackPlayer *> FPendingTrackPlayers;
    TAudioPlayerState FState = TAudioPlayerState::psStopped;
    std::unique_ptr<TCustomPlaylistItem> FRequestedPlaylistItem;
    std::unique_ptr<TCustomPlaylistItem> FCurrentPlaylistItem;
    float FVolume = 0;
    bool FMuteFlag = false;
    std::unique_ptr<TPlaybackOrder> FPlaybackOrder;
    std::unique_ptr<QTimer> FPlayingTimer;
    int FPlayingPosition = 0;
    // Written by the download thread, read by the interface.
    std::atomic<std::int64_t> FFileSize {0};
    std::atomic<std::int64_t> FBufferedSize {0};
    std::atomic<std::uint8_t> FBufferedPercent {0};
};

// The one player of the program, created right after the threaded-objects
// manager and freed before it.
extern TAudioPlayer *AudioPlayer;

// The audio library's callbacks, passed to it by the track players. They work
// on the global player.
void DownloadProcCallBack(const void *Buffer, std::uint32_t Len, std::uint32_t User);
void SyncEndCallBack(std::uint32_t Handle, std::uint32_t Channel, std::uint32_t Data, std::uint32_t User);
