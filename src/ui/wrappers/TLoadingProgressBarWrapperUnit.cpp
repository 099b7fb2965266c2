#include "ui/wrappers/TLoadingProgressBarWrapperUnit.h"

#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"

#include <QAbstractAnimation>
#include <QProgressBar>

TLoadingProgressBarWrapper::TLoadingProgressBarWrapper(QObject *AOwner, QProgressBar *AProgressBar) :
      QObject(AOwner), FProgressBar(AProgressBar)
{
    OnStyleApplied(AProgressBar, this, [this] { StyleApplied(); });
    if (!EnsureStyleApplied(AProgressBar))
        StyleApplied();
}

void TLoadingProgressBarWrapper::StyleApplied()
{
    const QString tail = QStringLiteral(" not found inside of ") + GetStyleLookup(FProgressBar);
    FTrackBar = FindStylePart<TStyledTrackBar>(FProgressBar, QStringLiteral("innertrackbar"), tail);
    FTrackBarThumb = FindStylePart<QWidget>(FTrackBar, QStringLiteral("hthumb"), tail);
    auto *track = FindStylePart<QWidget>(FProgressBar, QStringLiteral("track"), tail);
    FPlayingProgressOverlayImage = FindStylePart<QWidget>(track, QStringLiteral("overlayimage2"), tail);
    FPlayingProgressOverlayImageTail = FindStylePart<QWidget>(track, QStringLiteral("tail"), tail);
    auto *indicator = FindStylePart<QWidget>(FProgressBar, QStringLiteral("hindicator"), tail);
    auto *stripe = FindStylePart<QWidget>(indicator, QStringLiteral("overlayimage"), tail);
    FLoadingAnimation = FindStylePart<QAbstractAnimation>(stripe, QStringLiteral("animation"), tail);

    FProgressBar->setEnabled(false);
    FProgressBar->setTextVisible(false);
    FTrackBar->setTracking(false);
    stripe->resize(0, 0);
    FPlayingProgressOverlayImage->resize(0, FPlayingProgressOverlayImage->height());
    FTrackBar->hide();
    FPlayingProgressOverlayImageTail->hide();
    connect(FTrackBar, &TStyledTrackBar::ThumbMoved, this, [this] { AdjustOverlayImage(); });
}

void TLoadingProgressBarWrapper::AdjustOverlayImage()
{
    if (!FTrackBar || !FPlayingProgressOverlayImage)
        return;
    const int height = FPlayingProgressOverlayImage->parentWidget()->height();
    const int x = FTrackBar->ThumbX();
    FPlayingProgressOverlayImage->setGeometry(0, 0, x, height);
    FPlayingProgressOverlayImageTail->setGeometry(qMax(0, x - 2), 0, 4, height);
}

void TLoadingProgressBarWrapper::StartLoadingAnimation()
{
    FProgressBar->setValue(FProgressBar->maximum());
    if (FLoadingAnimation) {
        FLoadingAnimation->parent()->setProperty("visible", true);
        FLoadingAnimation->start();
    }
}

void TLoadingProgressBarWrapper::StopLoadingAnimation()
{
    if (FLoadingAnimation) {
        FLoadingAnimation->stop();
        FLoadingAnimation->parent()->setProperty("visible", false);
    }
}

void TLoadingProgressBarWrapper::HideTrackBar()
{
    if (!FTrackBar)
        return;
    FTrackBar->hide();
    FPlayingProgressOverlayImageTail->hide();
}

void TLoadingProgressBarWrapper::ShowTrackBar()
{
    if (!FTrackBar)
        return;
    FTrackBar->show();
    FPlayingProgressOverlayImageTail->show();
    AdjustOverlayImage();
}
