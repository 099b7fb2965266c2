#include "ui/wrappers/TPlayerControlsPanelWrapperUnit.h"

#include "app/application/ApplicationUnit.h"
#include "ui/StyledControlsUnit.h"

#include <QAbstractButton>

TPlayerControlsPanelWrapper::TPlayerControlsPanelWrapper(QObject *AOwner, QWidget *AControl) : QObject(AOwner)
{
    EnsureStyleApplied(AControl);
    const QString tail = QStringLiteral(" not found in ") + GetStyleLookup(AControl);
    FPlayPauseButton = FindStylePart<QAbstractButton>(AControl, QStringLiteral("playbutton"), tail);
    FPrevButton = FindStylePart<QAbstractButton>(AControl, QStringLiteral("prevbutton"), tail);
    FNextButton = FindStylePart<QAbstractButton>(AControl, QStringLiteral("nextbutton"), tail);
    FMuteButton = FindStylePart<QAbstractButton>(AControl, QStringLiteral("volumebutton"), tail);
    FRepeatButton = FindStylePart<QAbstractButton>(AControl, QStringLiteral("repeatbutton"), tail);
    FShuffleButton = FindStylePart<QAbstractButton>(AControl, QStringLiteral("shufflebutton"), tail);
    FPlaylistButton = FindStylePart<QAbstractButton>(AControl, QStringLiteral("playlistbutton"), tail);
    FVolumeTrackBar = FindStylePart<TStyledTrackBar>(AControl, QStringLiteral("volumetrackbar"), tail);
    FVolumeTrackBarOverlay = FindStylePart<QWidget>(FVolumeTrackBar, QStringLiteral("overlayimage"), tail);
    FVolumeTrackBarThumb = FindStylePart<QWidget>(FVolumeTrackBar, QStringLiteral("hthumb"), tail);

    // Reports on release, and while dragged.
    FVolumeTrackBar->setTracking(false);
    connect(FVolumeTrackBar, &QSlider::valueChanged, this, Application::Guarded([this] { VolumeTrackBarChange(); }));
    connect(FVolumeTrackBar, &QSlider::sliderMoved, this, Application::Guarded([this] { VolumeTrackBarChange(); }));
    connect(FVolumeTrackBar, &TStyledTrackBar::ThumbMoved, this, [this] { AdjustVolumeOverlay(); });
    connect(FMuteButton, &QAbstractButton::clicked, this,
        Application::Guarded([this] { SetMuteButtonState(FMuteButtonState == mbMuted ? mbNotMuted : mbMuted); }));
    FVolumeTrackBarOverlay->resize(0, FVolumeTrackBarOverlay->height());
    for (auto *button : {FRepeatButton, FShuffleButton, FPlaylistButton}) {
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
}

void TPlayerControlsPanelWrapper::SetPlayPauseButtonState(TPlayPauseButtonState Value)
{
    if (Value == FPlayPauseButtonState)
        return;
    FPlayPauseButtonState = Value;
    SetStyleLookup(
        FPlayPauseButton, Value == pbPlay ? QStringLiteral("playButtonstyle") : QStringLiteral("pauseButtonstyle"));
}

void TPlayerControlsPanelWrapper::AdjustVolumeOverlay()
{
    // The filled part of the groove ends under the knob.
    const int groove = 4;
    FVolumeTrackBarOverlay->setGeometry(0, (FVolumeTrackBar->height() - groove) / 2,
        FVolumeTrackBar->ThumbX() + FVolumeTrackBarThumb->width() / 2, groove);
}

void TPlayerControlsPanelWrapper::VolumeTrackBarChange()
{
    AdjustVolumeOverlay();
    if (!FHandleVolumeTrackBarChange)
        return;
    if (FMuteButtonState == mbMuted) {
        // Moving the slider unmutes at the new volume.
        FRestoreVolumeTrackBarValue = false;
        SetMuteButtonState(mbNotMuted);
    }
    if (OnVolumeTrackBarChange)
        OnVolumeTrackBarChange(FVolumeTrackBar);
}

void TPlayerControlsPanelWrapper::SetVolumeQuietly(int Value)
{
    FHandleVolumeTrackBarChange = false;
    FVolumeTrackBar->setValue(Value);
    FHandleVolumeTrackBarChange = true;
}

void TPlayerControlsPanelWrapper::SetMuteButtonState(TMuteButtonState Value)
{
    if (Value == FMuteButtonState)
        return;
    FMuteButtonState = Value;
    if (Value == mbMuted) {
        SetStyleLookup(FMuteButton, QStringLiteral("volumeoffButtonstyle"));
        FVolumeTrackBarBufValue = FVolumeTrackBar->value();
        FRestoreVolumeTrackBarValue = true;
        SetVolumeQuietly(0);
    } else {
        SetStyleLookup(FMuteButton, QStringLiteral("volumeButtonstyle"));
        if (FRestoreVolumeTrackBarValue)
            SetVolumeQuietly(FVolumeTrackBarBufValue);
    }
    if (OnMuteButtonStateChange)
        OnMuteButtonStateChange(FMuteButton);
}
