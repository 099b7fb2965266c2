#include "app/desktop/TMprisAdaptorsUnit.h"

#include "app/desktop/TMediaPlayerServiceUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/wrappers/TPlayerControlsPanelWrapperUnit.h"

#include <QAbstractButton>

#include <cmath>

namespace {

constexpr qlonglong MicrosecondsPerSecond = 1000000;

const TCustomPlaylistItem *PlayingItem()
{
    return AudioPlayer->State() == TAudioPlayerState::psStopped ? nullptr : AudioPlayer->CurrentPlaylistItem();
}

bool IsPlayingOrPaused()
{
    const TAudioPlayerState state = AudioPlayer->State();
    return state == TAudioPlayerState::psPlaying || state == TAudioPlayerState::psPaused;
}

// Unique among the tracks of the playlist being played, as the protocol asks.
QDBusObjectPath TrackId()
{
    if (!PlayingItem())
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    const int index = AudioPlayer->CurrentPlaylistIndex();
    return QDBusObjectPath(index < 0 ? QStringLiteral("/org/marvane/Player/Track/Single")
                                     : QStringLiteral("/org/marvane/Player/Track/") + QString::number(index));
}

} // namespace

TMprisRootAdaptor::TMprisRootAdaptor(TMediaPlayerService &Service) : QDBusAbstractAdaptor(&Service), FService(Service)
{
}

QString TMprisRootAdaptor::Identity() const
{
    return QStringLiteral("Marvane Player");
}

QString TMprisRootAdaptor::DesktopEntry() const
{
    return QStringLiteral("marvane-player");
}

void TMprisRootAdaptor::Raise()
{
    FService.RaiseWindow();
}

TMprisPlayerAdaptor::TMprisPlayerAdaptor(TMediaPlayerService &Service) :
      QDBusAbstractAdaptor(&Service), FService(Service)
{
}

QString TMprisPlayerAdaptor::PlaybackStatus() const
{
    switch (AudioPlayer->State()) {
    case TAudioPlayerState::psPaused:
        return QStringLiteral("Paused");
    case TAudioPlayerState::psStopped:
        return QStringLiteral("Stopped");
    case TAudioPlayerState::psPlaying:
    case TAudioPlayerState::psConnecting:
        break;
    }
    return QStringLiteral("Playing");
}

QVariantMap TMprisPlayerAdaptor::Metadata() const
{
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    const TCustomPlaylistItem *item = PlayingItem();
    if (!item)
        return metadata;
    metadata.insert(QStringLiteral("xesam:title"), item->Title);
    metadata.insert(QStringLiteral("xesam:artist"), QStringList {item->Artist});
    metadata.insert(QStringLiteral("mpris:length"), qlonglong(item->Duration) * MicrosecondsPerSecond);
    const QUrl art = FService.ArtUrl();
    if (art.isValid())
        metadata.insert(QStringLiteral("mpris:artUrl"), art.toString());
    return metadata;
}

double TMprisPlayerAdaptor::Volume() const
{
    return AudioPlayer->MuteFlag() ? 0.0 : double(AudioPlayer->Volume());
}

void TMprisPlayerAdaptor::SetVolume(double Value)
{
    if (std::isnan(Value))
        return;
    // Through the window's slider, which stores it as a drag of it would.
    TStyledTrackBar *slider = FService.Controls().VolumeTrackBar();
    slider->setValue(qRound(std::clamp(Value, 0.0, 1.0) * slider->maximum()));
}

qlonglong TMprisPlayerAdaptor::Position() const
{
    return IsPlayingOrPaused() ? qlonglong(AudioPlayer->PlayingPosition()) * MicrosecondsPerSecond : 0;
}

bool TMprisPlayerAdaptor::CanGoNext() const
{
    return AudioPlayer->Playlist()->Count() > 0;
}

bool TMprisPlayerAdaptor::CanPause() const
{
    return PlayingItem() != nullptr;
}

bool TMprisPlayerAdaptor::CanSeek() const
{
    return IsPlayingOrPaused() && AudioPlayer->CurrentPlaylistItem()
        && AudioPlayer->CurrentPlaylistItem()->Duration > 0;
}

void TMprisPlayerAdaptor::Next()
{
    FService.Controls().NextButton()->click();
}

void TMprisPlayerAdaptor::Previous()
{
    FService.Controls().PrevButton()->click();
}

void TMprisPlayerAdaptor::Pause()
{
    if (AudioPlayer->State() == TAudioPlayerState::psPlaying)
        AudioPlayer->Pause();
}

void TMprisPlayerAdaptor::PlayPause()
{
    // The window's button: from a stop it starts the list in view.
    FService.Controls().PlayPauseButton()->click();
}

void TMprisPlayerAdaptor::Stop()
{
    AudioPlayer->Stop();
}

void TMprisPlayerAdaptor::Play()
{
    if (AudioPlayer->State() == TAudioPlayerState::psPaused || AudioPlayer->State() == TAudioPlayerState::psStopped)
        PlayPause();
}

void TMprisPlayerAdaptor::Seek(qlonglong Offset)
{
    if (!CanSeek())
        return;
    const qlonglong target = qlonglong(AudioPlayer->PlayingPosition()) + Offset / MicrosecondsPerSecond;
    if (target >= AudioPlayer->CurrentPlaylistItem()->Duration) {
        Next();
        return;
    }
    AudioPlayer->SetPlayingPosition(int(std::max<qlonglong>(target, 0)));
}

void TMprisPlayerAdaptor::SetPosition(const QDBusObjectPath &TrackId, qlonglong Position)
{
    if (!CanSeek() || TrackId != ::TrackId() || Position < 0)
        return;
    const qlonglong seconds = Position / MicrosecondsPerSecond;
    if (seconds >= AudioPlayer->CurrentPlaylistItem()->Duration)
        return;
    AudioPlayer->SetPlayingPosition(int(seconds));
}
