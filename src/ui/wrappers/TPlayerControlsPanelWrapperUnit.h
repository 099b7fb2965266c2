#pragma once

#include "foundation/BaseTypesUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QObject>
#include <QPointer>

class QAbstractButton;
class QWidget;
class TStyledTrackBar;

enum TPlayPauseButtonState { pbPlay, pbPause };
enum TMuteButtonState { mbNotMuted, mbMuted };

// The player bar: play/pause, previous, next, repeat, shuffle, playlist,
// the volume slider and the mute button, found in the bar's style.
class TPlayerControlsPanelWrapper : public QObject, public TObject
{
    Q_OBJECT
public:
    TPlayerControlsPanelWrapper(QObject *AOwner, QWidget *AControl);

    QAbstractButton *PlayPauseButton() const { return FPlayPauseButton; }
    QAbstractButton *PrevButton() const { return FPrevButton; }
    QAbstractButton *NextButton() const { return FNextButton; }
    QAbstractButton *RepeatButton() const { return FRepeatButton; }
    QAbstractButton *ShuffleButton() const { return FShuffleButton; }
    QAbstractButton *PlaylistButton() const { return FPlaylistButton; }
    QAbstractButton *MuteButton() const { return FMuteButton; }
    TStyledTrackBar *VolumeTrackBar() const { return FVolumeTrackBar; }
    QWidget *VolumeTrackBarOverlay() const { return FVolumeTrackBarOverlay; }

    TPlayPauseButtonState PlayPauseButtonState() const { return FPlayPauseButtonState; }
    void SetPlayPauseButtonState(TPlayPauseButtonState Value);
    TMuteButtonState MuteButtonState() const { return FMuteButtonState; }
    void SetMuteButtonState(TMuteButtonState Value);

    // Sender: the volume slider.
    TControlEvent OnVolumeTrackBarChange;
    // Sender: the mute button.
    TControlEvent OnMuteButtonStateChange;

private:
    void VolumeTrackBarChange();
    void AdjustVolumeOverlay();
    void SetVolumeQuietly(int Value);

    QAbstractButton *FPlayPauseButton;
    QAbstractButton *FPrevButton;
    QAbstractButton *FNextButton;
    QAbstractButton *FRepeatButton;
    QAbstractButton *FShuffleButton;
    QAbstractButton *FPlaylistButton;
    TStyledTrackBar *FVolumeTrackBar;
    QWidget *FVolumeTrackBarOverlay;
    QWidget *FVolumeTrackBarThumb;
    QAbstractButton *FMuteButton;
    TPlayPauseButtonState FPlayPauseButtonState = pbPlay;
    TMuteButtonState FMuteButtonState = mbNotMuted;
    bool FHandleVolumeTrackBarChange = true;
    int FVolumeTrackBarBufValue = 0;
    bool FRestoreVolumeTrackBarValue = false;
};
