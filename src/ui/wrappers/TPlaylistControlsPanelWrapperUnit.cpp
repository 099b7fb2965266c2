#include "ui/wrappers/TPlaylistControlsPanelWrapperUnit.h"

#include "app/application/ApplicationUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/wrappers/TLoadingProgressBarWrapperUnit.h"
#include "ui/wrappers/TTitleLabelWrapperUnit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>

TPlaylistControlsPanelWrapper::TPlaylistControlsPanelWrapper(
    QObject *AOwner, QWidget *AControl, QWidget *AParentPopup) :
      QObject(AOwner),
      FParentPopup(AParentPopup), FControl(AControl)
{
    OnStyleApplied(AControl, this, [this] { StyleApplied(); });
    if (!EnsureStyleApplied(AControl))
        StyleApplied();
}

TPlaylistControlsPanelWrapper::~TPlaylistControlsPanelWrapper() = default;

void TPlaylistControlsPanelWrapper::StyleApplied()
{
    const QString tail = QStringLiteral(" not found in ") + GetStyleLookup(FControl);
    FPlayPauseButton = FindStylePart<QAbstractButton>(FControl, QStringLiteral("PlayButton"), tail);
    FPrevButton = FindStylePart<QAbstractButton>(FControl, QStringLiteral("PrevButton"), tail);
    FNextButton = FindStylePart<QAbstractButton>(FControl, QStringLiteral("NextButton"), tail);
    FLoadingProgressBarControl = FindStylePart<QProgressBar>(FControl, QStringLiteral("PlaylistProgressBar"), tail);
    FDurationLabel = FindStylePart<QLabel>(FControl, QStringLiteral("PlaylistDurationLabel"), tail);
    FTitleLabelControl = FindStylePart<QWidget>(FControl, QStringLiteral("PlaylistTitleLabel"), tail);

    FLoadingProgressBar = std::make_unique<TLoadingProgressBarWrapper>(nullptr, FLoadingProgressBarControl);
    QString artist, title;
    if (FTitleLabel && !FTitleLabel->Artist().isEmpty() && !FTitleLabel->Title().isEmpty()) {
        artist = FTitleLabel->Artist();
        title = FTitleLabel->Title();
    }
    FTitleLabel = std::make_unique<TTitleLabelWrapper>(nullptr, false, FTitleLabelControl);
    FTitleLabel->SetFontSize(11);
    if (!artist.isEmpty())
        FTitleLabel->SetText(artist, title);

    const auto bind = [this](QAbstractButton *Button, TControlEvent TPlaylistControlsPanelWrapper::*Event) {
        connect(Button, &QAbstractButton::clicked, this, Application::Guarded([this, Button, Event] {
            if (this->*Event)
                (this->*Event)(Button);
        }));
    };
    bind(FPlayPauseButton, &TPlaylistControlsPanelWrapper::FOnPlayPauseButtonClick);
    bind(FPrevButton, &TPlaylistControlsPanelWrapper::FOnPrevButtonClick);
    bind(FNextButton, &TPlaylistControlsPanelWrapper::FOnNextButtonClick);
    auto *trackBar = FLoadingProgressBar->TrackBar();
    connect(trackBar, &QSlider::valueChanged, this, Application::Guarded([this, trackBar] {
        if (FPlaybackTrackBarChangeEvent)
            FPlaybackTrackBarChangeEvent(trackBar);
    }));
    ApplyPlayPauseState();
    ApplyProgressBar();
}

void TPlaylistControlsPanelWrapper::ApplyPlayPauseState()
{
    if (FPlayPauseButton)
        SetStyleLookup(FPlayPauseButton,
            FPlayPauseButtonState == pbPlay ? QStringLiteral("playminiButtonstyle")
                                            : QStringLiteral("pauseminiButtonstyle"));
}

void TPlaylistControlsPanelWrapper::ApplyProgressBar()
{
    if (!FLoadingProgressBar || !FLoadingProgressBarControl)
        return;
    auto *trackBar = FLoadingProgressBar->TrackBar();
    // The slider's maximum first, so its value is not cut to the old one.
    trackBar->setMaximum(FProgressBarTrackBarMax);
    trackBar->setValue(FProgressBarTrackBarValue);
    FLoadingProgressBarControl->setValue(FProgressBarValue);
    FLoadingProgressBarControl->setEnabled(FProgressBarEnabled);
    if (FProgressBarTrackBarVisible)
        FLoadingProgressBar->ShowTrackBar();
    else
        FLoadingProgressBar->HideTrackBar();
}

void TPlaylistControlsPanelWrapper::SetPlayPauseButtonState(TPlayPauseButtonState Value)
{
    FPlayPauseButtonState = Value;
    ApplyPlayPauseState();
}

void TPlaylistControlsPanelWrapper::setPlayPauseButtonClickEvent(TControlEvent Value)
{
    FOnPlayPauseButtonClick = std::move(Value);
}

void TPlaylistControlsPanelWrapper::setPrevButtonClickEvent(TControlEvent Value)
{
    FOnPrevButtonClick = std::move(Value);
}

void TPlaylistControlsPanelWrapper::setNextButtonClickEvent(TControlEvent Value)
{
    FOnNextButtonClick = std::move(Value);
}

void TPlaylistControlsPanelWrapper::setPlaybackTrackBarChangeEvent(TControlEvent Value)
{
    FPlaybackTrackBarChangeEvent = std::move(Value);
}

void TPlaylistControlsPanelWrapper::setProgressBarTrackBarVisible(bool Value)
{
    FProgressBarTrackBarVisible = Value;
    ApplyProgressBar();
}

void TPlaylistControlsPanelWrapper::setProgressBarValue(int Value)
{
    FProgressBarValue = Value;
    if (FLoadingProgressBarControl)
        FLoadingProgressBarControl->setValue(Value);
}

void TPlaylistControlsPanelWrapper::setProgressBarTrackBarValue(int Value)
{
    FProgressBarTrackBarValue = Value;
    if (FLoadingProgressBar)
        FLoadingProgressBar->TrackBar()->setValue(Value);
}

void TPlaylistControlsPanelWrapper::setProgressBarEnabled(bool Value)
{
    FProgressBarEnabled = Value;
    if (FLoadingProgressBarControl)
        FLoadingProgressBarControl->setEnabled(Value);
}

void TPlaylistControlsPanelWrapper::setProgressBarTrackBarMax(int Value)
{
    FProgressBarTrackBarMax = Value;
    if (FLoadingProgressBar)
        FLoadingProgressBar->TrackBar()->setMaximum(Value);
}
