#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QObject>
#include <QPointer>

class QAbstractAnimation;
class QProgressBar;
class QWidget;
class TStyledTrackBar;

// The seek bar: the bar shows how much is buffered, the inner slider seeks,
// and the played part follows the slider's knob.
class TLoadingProgressBarWrapper : public QObject, public TObject
{
    Q_OBJECT
public:
    TLoadingProgressBarWrapper(QObject *AOwner, QProgressBar *AProgressBar);

    QProgressBar *ProgressBar() const { return FProgressBar; }
    TStyledTrackBar *TrackBar() const { return FTrackBar; }
    QWidget *PlayingProgressOverlayImage() const { return FPlayingProgressOverlayImage; }
    QAbstractAnimation *LoadingAnimation() const { return FLoadingAnimation; }

    void AdjustOverlayImage();
    void StartLoadingAnimation();
    void StopLoadingAnimation();
    void HideTrackBar();
    void ShowTrackBar();

private:
    void StyleApplied();

    QProgressBar *FProgressBar;
    QPointer<TStyledTrackBar> FTrackBar;
    QWidget *FTrackBarThumb = nullptr;
    QPointer<QAbstractAnimation> FLoadingAnimation;
    QPointer<QWidget> FPlayingProgressOverlayImage;
    QPointer<QWidget> FPlayingProgressOverlayImageTail;
};
