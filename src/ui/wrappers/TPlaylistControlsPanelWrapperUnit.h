#pragma once

#include "foundation/BaseTypesUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/wrappers/TPlayerControlsPanelWrapperUnit.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAbstractButton;
class QLabel;
class QProgressBar;
class QWidget;
class TLoadingProgressBarWrapper;
class TTitleLabelWrapper;

// The control panel of the playlist pop-up. Each application of its style
// makes new parts, so everything given is remembered and given again.
class TPlaylistControlsPanelWrapper : public QObject, public TObject
{
    Q_OBJECT
public:
    TPlaylistControlsPanelWrapper(QObject *AOwner, QWidget *AControl, QWidget *AParentPopup);
    ~TPlaylistControlsPanelWrapper() override;

    TPlayPauseButtonState PlayPauseButtonState() const { return FPlayPauseButtonState; }
    void SetPlayPauseButtonState(TPlayPauseButtonState Value);
    void setPlayPauseButtonClickEvent(TControlEvent Value);
    void setPrevButtonClickEvent(TControlEvent Value);
    void setNextButtonClickEvent(TControlEvent Value);
    void setPlaybackTrackBarChangeEvent(TControlEvent Value);
    void setProgressBarTrackBarVisible(bool Value);
    void setProgressBarValue(int Value);
    void setProgressBarTrackBarValue(int Value);
    void setProgressBarEnabled(bool Value);
    void setProgressBarTrackBarMax(int Value);

    QAbstractButton *PlayPauseButton() const { return FPlayPauseButton; }
    QLabel *DurationLabel() const { return FDurationLabel; }
    TLoadingProgressBarWrapper *LoadingProgressBar() const { return FLoadingProgressBar.get(); }
    TTitleLabelWrapper *TitleLabel() const { return FTitleLabel.get(); }

private:
    void StyleApplied();
    void ApplyPlayPauseState();
    void ApplyProgressBar();

    QWidget *FParentPopup;
    QWidget *FControl;
    QPointer<QAbstractButton> FPlayPauseButton;
    QPointer<QAbstractButton> FPrevButton;
    QPointer<QAbstractButton> FNextButton;
    QPointer<QProgressBar> FLoadingProgressBarControl;
    std::unique_ptr<TLoadingProgressBarWrapper> FLoadingProgressBar;
    QPointer<QLabel> FDurationLabel;
    QPointer<QWidget> FTitleLabelControl;
    std::unique_ptr<TTitleLabelWrapper> FTitleLabel;
    TControlEvent FOnPlayPauseButtonClick;
    TControlEvent FOnNextButtonClick;
    TControlEvent FOnPrevButtonClick;
    TControlEvent FPlaybackTrackBarChangeEvent;
    TPlayPauseButtonState FPlayPauseButtonState = pbPlay;
    bool FProgressBarTrackBarVisible = false;
    int FProgressBarValue = 0;
    int FProgressBarTrackBarValue = 0;
    bool FProgressBarEnabled = false;
    int FProgressBarTrackBarMax = 100;
};
