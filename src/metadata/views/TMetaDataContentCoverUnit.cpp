#include "metadata/views/TMetaDataContentCoverUnit.h"

#include "app/helpers/TextUtilsUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"

#include <QEvent>
#include <QLabel>

namespace {
constexpr int AnimationWidth = 20;
constexpr int AnimationHeight = 13;
constexpr int ErrorStripHeight = 14;
constexpr int IndicatorWidth = 16;
constexpr int TextLeftPadding = 5;
} // namespace

TMetaDataContentCover::TMetaDataContentCover(QObject *AOwner, QWidget *AControl) :
      QObject(AOwner), FControl(AControl), FSurface(new QWidget(AControl)),
      FLoadingAnimation(new THorizontalLoadingAnimation(FSurface)), FErrorStrip(new QWidget(FSurface)),
      FErrorIndicator(new QWidget(FErrorStrip)), FErrorTextControl(new QLabel(FErrorStrip))
{
    FSurface->setObjectName(QStringLiteral("ContentCover"));
    FSurface->setAttribute(Qt::WA_StyledBackground);
    FSurface->setProperty(StyleLookupProperty, QStringLiteral("contentcoverstyle"));
    FLoadingAnimation->resize(AnimationWidth, AnimationHeight);
    FLoadingAnimation->setWindowOpacity(0.8);
    FErrorIndicator->setAttribute(Qt::WA_StyledBackground);
    SetStyleLookup(FErrorIndicator, QStringLiteral("notfoundtrackPanelstyle"));
    FErrorIndicator->setGeometry(0, 0, IndicatorWidth, ErrorStripHeight);
    FErrorTextControl->setObjectName(QStringLiteral("ContentCoverErrorText"));
    FErrorTextControl->setProperty(StyleLookupProperty, QStringLiteral("contentcovertextstyle"));
    FErrorTextControl->setTextFormat(Qt::PlainText);
    FErrorTextControl->setWordWrap(false);
    FControl->installEventFilter(this);
    SetState(ccsHidden);
}

bool TMetaDataContentCover::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FControl && Event->type() == QEvent::Resize)
        Layout();
    return QObject::eventFilter(Watched, Event);
}

void TMetaDataContentCover::SetState(TContentCoverState Value)
{
    if (Value == FState)
        return;
    FState = Value;
    switch (FState) {
    case ccsLoading:
        FErrorStrip->hide();
        FLoadingAnimation->show();
        FLoadingAnimation->Start();
        break;
    case ccsError:
        FLoadingAnimation->Stop();
        FLoadingAnimation->hide();
        FErrorStrip->show();
        break;
    default:
        FLoadingAnimation->Stop();
        FLoadingAnimation->hide();
        FErrorStrip->hide();
        break;
    }
    FSurface->setVisible(FState == ccsLoading || FState == ccsError);
    if (FSurface->isVisible()) {
        Layout();
        FSurface->raise();
    }
}

void TMetaDataContentCover::SetErrorText(const QString &Value)
{
    FErrorText = Value;
    FitErrorText();
}

void TMetaDataContentCover::FitErrorText()
{
    bool cropped = false;
    const QFontMetrics metrics(FErrorTextControl->font());
    const int room = FControl->width() - IndicatorWidth - TextLeftPadding;
    const QString fitted = CropTextByWidth(metrics, FErrorText, room, 0, cropped);
    FErrorTextControl->setText(fitted);
    const int width = metrics.horizontalAdvance(fitted);
    FErrorTextControl->setGeometry(IndicatorWidth + TextLeftPadding, 0, width, ErrorStripHeight);
    FErrorStrip->resize(width + IndicatorWidth + TextLeftPadding, ErrorStripHeight);
    FErrorStrip->move((FSurface->width() - FErrorStrip->width()) / 2, (FSurface->height() - ErrorStripHeight) / 2);
}

void TMetaDataContentCover::Layout()
{
    // The veil covers what is on screen of the region, not all of its content.
    FSurface->setGeometry(FControl->rect());
    FLoadingAnimation->move(
        (FSurface->width() - FLoadingAnimation->width()) / 2, (FSurface->height() - FLoadingAnimation->height()) / 2);
    FitErrorText();
}
