#include "playback/TAudioPlayerUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "playback/AudioLibraryUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "playback/TLocalTrackPlayerUnit.h"
#include "playback/TPlaybackOrderUnit.h"
#include "playback/TVKAudioTrackPlayerUnit.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

TAudioPlayer *AudioPlayer = nullptr;

TAudioPlayer::TAudioPlayer() :
      FPlaylist(std::make_unique<TAudioPlaylist>()), FPlaybackOrder(std::make_unique<TPlaybackOrder>()),
      FPlayingTimer(std::make_unique<QTimer>())
{
    FPlayingTimer->setInterval(1000);
    QObject::connect(FPlayingTimer.get(), &QTimer::timeout, [this] { PollPosition(); });
}

TAudioPlayer::~TAudioPlayer()
{
    if (FState == TAudioPlayerState::psPlaying || FState == TAudioPlayerState::psPaused)
        Stop();
    // Every connection still open would report to this object: abort them and
    // wait for their results, which are no connection errors.
    AbortConnections();
    InterfaceThread::WaitUntil([this] { return FPendingTrackPlayers.empty(); });
    FreeChannel(false);
}

void TAudioPlayer::Raise(const TNotifyEvent &Event)
{
    if (Event)
        Event(this);
}

void TAudioPlayer::Raise(const TNotifyEvent &Event, TAudioPlayerChange Change)
{
    Raise(Event);
    OnChange.InvokeEvents(this, Change);
}

void TAudioPlayer::Play(int Index)
{
    TCustomPlaylistItem *item = FPlaylist->getItem(Index);
    FRequestedPlaylistItem = CloneOf(*item);
    item->Play();
}

void TAudioPlayer::PlayFirst()
{
    if (FPlaylist->Count() > 0)
        Play(0);
}

void TAudioPlayer::AbortConnections()
{
    FLastCreatedVKAudioTrackPlayerID = 0;
    for (auto &[id, trackPlayer] : FPendingTrackPlayers)
        trackPlayer->AbortConnection();
}

void TAudioPlayer::PlayURL(const QString &URL)
{
    if (FState != TAudioPlayerState::psStopped)
        FreeChannel(false);
    AbortConnections();
    auto *trackPlayer = new TVKAudioTrackPlayer(URL);
    trackPlayer->SetStartCallback([this](TObject *Sender) { ConnectionStarted(Sender); });
    // A connection still under way stops counting first, then the count restarts.
    FLastCreatedVKAudioTrackPlayerID = trackPlayer->ID();
    FFileSize = 0;
    FBufferedSize = 0;
    FBufferedPercent = 0;
    const auto id = trackPlayer->ID();
    FPendingTrackPlayers[id] = trackPlayer;
    // A start refused at shut-down has already freed the track player: the
    // player must not wait for it.
    if (!trackPlayer->Start([this](TObject *Sender) { ConnectionFinished(Sender); }))
        FPendingTrackPlayers.erase(id);
}

void TAudioPlayer::ConnectionStarted(TObject *Sender)
{
    if (static_cast<TVKAudioTrackPlayer *>(Sender)->ID() != FLastCreatedVKAudioTrackPlayerID)
        return;
    FState = TAudioPlayerState::psConnecting;
    FCurrentPlaylistItem = std::move(FRequestedPlaylistItem);
    Raise(OnConnectionStart, TAudioPlayerChange::pcTrack);
}

void TAudioPlayer::ConnectionFinished(TObject *Sender)
{
    auto *trackPlayer = static_cast<TVKAudioTrackPlayer *>(Sender);
    FPendingTrackPlayers.erase(trackPlayer->ID());
    if (trackPlayer->ID() != FLastCreatedVKAudioTrackPlayerID) {
        // The user has asked for something else meanwhile.
        if (trackPlayer->ResultCode() == TTrackPlayerResult::trOpened)
            AudioLibrary::StreamFree(trackPlayer->Channel());
        return;
    }
    if (trackPlayer->ResultCode() != TTrackPlayerResult::trOpened) {
        FState = TAudioPlayerState::psStopped;
        FCurrentPlaylistItem.reset();
        Raise(OnConnectionError, TAudioPlayerChange::pcState);
        return;
    }
    FChannel = trackPlayer->Channel();
    FChannelIsURL = true;
    FFileSize = trackPlayer->FileSize();
    StartChannel();
    Raise(OnStartPlayingURL, TAudioPlayerChange::pcTrack);
    // Blocks that came before the size was known were not reported yet.
    if (UpdateBufferedPercent() && OnDownloadProgress)
        OnDownloadProgress(this, FBufferedPercent);
}

void TAudioPlayer::RequestedTrackNotAvailable()
{
    Raise(OnTrackNotAvailable);
    FRequestedPlaylistItem.reset();
}

void TAudioPlayer::PlayLocalFile(const QString &FilePath)
{
    if (FState != TAudioPlayerState::psStopped)
        FreeChannel(false);
    // A connection still under way must not start playing over this file.
    AbortConnections();
    TLocalTrackPlayer trackPlayer(FilePath);
    trackPlayer.Start(true);
    if (trackPlayer.ResultCode() == TTrackPlayerResult::trOpened) {
        FChannel = trackPlayer.Channel();
        FChannelIsURL = false;
        StartChannel();
        FCurrentPlaylistItem = std::move(FRequestedPlaylistItem);
        Raise(OnStartPlayingLocalFile, TAudioPlayerChange::pcTrack);
        return;
    }
    // The previous track is gone already: say so, so that its display is reset.
    FState = TAudioPlayerState::psStopped;
    FRequestedPlaylistItem.reset();
    FCurrentPlaylistItem.reset();
    FPlayingTimer->stop();
    Raise(OnStop, TAudioPlayerChange::pcState);
}

void TAudioPlayer::StartChannel()
{
    FState = TAudioPlayerState::psPlaying;
    AudioLibrary::ChannelSetVolume(FChannel, FMuteFlag ? 0 : FVolume);
    AudioLibrary::ChannelPlay(FChannel);
    FPlayingPosition = 0;
    FPlayingTimer->start();
}

void TAudioPlayer::FreeChannel(bool Notify)
{
    if (FChannel == 0)
        return;
    AudioLibrary::StreamFree(FChannel);
    FState = TAudioPlayerState::psStopped;
    FCurrentPlaylistItem.reset();
    FChannel = 0;
    FBufferedSize = 0;
    FBufferedPercent = 0;
    FPlayingTimer->stop();
    if (Notify)
        Raise(OnStop, TAudioPlayerChange::pcState);
}

void TAudioPlayer::Pause()
{
    if (FChannel == 0)
        return;
    AudioLibrary::ChannelPause(FChannel);
    FState = TAudioPlayerState::psPaused;
    // The position does not move while paused: no reason to look.
    FPlayingTimer->stop();
    Raise(OnPause, TAudioPlayerChange::pcState);
}

void TAudioPlayer::Resume()
{
    if (FChannel == 0)
        return;
    AudioLibrary::ChannelPlay(FChannel);
    FState = TAudioPlayerState::psPlaying;
    FPlayingTimer->start();
    Raise(OnResume, TAudioPlayerChange::pcState);
}

void TAudioPlayer::Stop()
{
    // A connection under way ends now, and its result must not start playing
    // afterwards.
    AbortConnections();
    if (FState == TAudioPlayerState::psConnecting) {
        FState = TAudioPlayerState::psStopped;
        FCurrentPlaylistItem.reset();
        Raise(OnStop, TAudioPlayerChange::pcState);
        return;
    }
    FreeChannel(true);
}

void TAudioPlayer::Next()
{
    PlayNext(true, true);
}

void TAudioPlayer::Previous()
{
    PlayNext(false, true);
}

void TAudioPlayer::PlayNext(bool IsNext, bool IsManual)
{
    const int index = FPlaybackOrder->GetNextTrackIndex(CurrentPlaylistIndex(), IsNext, IsManual);
    if (index >= 0)
        Play(index);
}

int TAudioPlayer::CurrentPlaylistIndex() const
{
    return FPlaylist->FindPlaylistItem(FCurrentPlaylistItem.get());
}

void TAudioPlayer::SetPlayingPosition(int Value)
{
    if (FState != TAudioPlayerState::psPlaying && FState != TAudioPlayerState::psPaused)
        return;
    const std::int64_t bytes = AudioLibrary::ChannelSeconds2Bytes(FChannel, Value);
    if (!AudioLibrary::ChannelSetPosition(FChannel, bytes))
        return;
    FPlayingPosition = Value;
    Raise(OnPlayingPositionChange, TAudioPlayerChange::pcSeek);
}

void TAudioPlayer::SetVolume(float Value)
{
    if (Value == FVolume)
        return;
    FMuteFlag = false;
    FVolume = Value;
    if (FChannel != 0)
        AudioLibrary::ChannelSetVolume(FChannel, FVolume);
    OnChange.InvokeEvents(this, TAudioPlayerChange::pcVolume);
}

void TAudioPlayer::SetMuteFlag(bool Value)
{
    if (Value == FMuteFlag)
        return;
    FMuteFlag = Value;
    if (FChannel != 0)
        AudioLibrary::ChannelSetVolume(FChannel, FMuteFlag ? 0 : FVolume);
    OnChange.InvokeEvents(this, TAudioPlayerChange::pcVolume);
}

void TAudioPlayer::SetPlaylist(const TAudioPlaylist *Value)
{
    if (FPlaylist->Tag == Value->Tag)
        return;
    FPlaylist->Changing();
    FPlaylist->Tag = Value->Tag;
    CopyPlaylist(Value);
}

void TAudioPlayer::UpdatePlaylist(const TAudioPlaylist *Value)
{
    if (FPlaylist->Tag != Value->Tag)
        return;
    FPlaylist->Changing();
    CopyPlaylist(Value);
}

void TAudioPlayer::CopyPlaylist(const TAudioPlaylist *Value)
{
    FPlaylist->Clear();
    for (int i = 0; i < Value->Count(); ++i)
        FPlaylist->Add(CloneOf(*Value->getItem(i)));
    FPlaylist->Changed();
    FPlaybackOrder->Refresh(FPlaylist->Count());
}

void TAudioPlayer::PollPosition()
{
    if (FChannel == 0 || FState != TAudioPlayerState::psPlaying)
        return;
    const std::int64_t bytes = AudioLibrary::ChannelGetPosition(FChannel);
    if (bytes == -1)
        return;
    // Rounded half to even, as the current rounding mode does.
    const int seconds = static_cast<int>(std::nearbyint(AudioLibrary::ChannelBytes2Seconds(FChannel, bytes)));
    if (seconds == FPlayingPosition)
        return;
    FPlayingPosition = seconds;
    Raise(OnPlayingPositionChange);
}

bool TAudioPlayer::UpdateBufferedPercent()
{
    const std::int64_t fileSize = FFileSize;
    if (fileSize <= 0)
        return false;
    const double percent = std::nearbyint(static_cast<double>(FBufferedSize) / static_cast<double>(fileSize) * 100);
    const auto value = static_cast<std::uint8_t>(std::clamp(percent, 0.0, 100.0));
    return FBufferedPercent.exchange(value) != value;
}

void TAudioPlayer::StreamEnded(std::uint32_t EndedChannel, std::int64_t Position, std::int64_t Length)
{
    // The end of a stream that is no longer ours changes nothing.
    if (EndedChannel != FChannel)
        return;
    if (Position < 0 || Position != Length) {
        // Cut short: the download broke off, or the data could not be decoded.
        // The track is over; say so rather than freeze on its last second.
        const bool connectionBroke = FChannelIsURL;
        FreeChannel(!connectionBroke);
        if (connectionBroke)
            Raise(OnConnectionError, TAudioPlayerChange::pcState);
        return;
    }
    const int index = FPlaybackOrder->GetNextTrackIndex(CurrentPlaylistIndex(), true, false);
    if (index >= 0)
        Play(index);
    else
        Stop();
}

void DownloadProcCallBack(const void *Buffer, std::uint32_t Len, std::uint32_t User)
{
    TAudioPlayer *player = AudioPlayer;
    // Only the blocks of the connection started last count.
    if (!player || User != player->FLastCreatedVKAudioTrackPlayerID)
        return;
    player->FBufferedSize += Len;
    if (!Buffer || Len == 0 || !player->UpdateBufferedPercent())
        return;
    InterfaceThread::Queue([] {
        if (AudioPlayer && AudioPlayer->OnDownloadProgress)
            AudioPlayer->OnDownloadProgress(AudioPlayer, AudioPlayer->FBufferedPercent);
    });
}

void SyncEndCallBack(std::uint32_t, std::uint32_t Channel, std::uint32_t, std::uint32_t)
{
    const std::int64_t length = AudioLibrary::ChannelGetLength(Channel);
    const std::int64_t position = AudioLibrary::ChannelGetPosition(Channel);
    try {
        InterfaceThread::Synchronize([=] {
            if (AudioPlayer)
                AudioPlayer->StreamEnded(Channel, position, length);
        });
    } catch (...) {
        // The library's thread must go on; a failed advance leaves the player as it is.
    }
}
