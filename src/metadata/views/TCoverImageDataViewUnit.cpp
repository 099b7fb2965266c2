#include "metadata/views/TCoverImageDataViewUnit.h"

#include "metadata/pages/TCoverImageDataUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>

namespace {
constexpr int ErrorIndicatorSize = 16;
constexpr int TextHeight = 16;
} // namespace

TCoverImageDefaultBitmapData::TCoverImageDefaultBitmapData() :
      FDefaultBitmap(StyleBitmap(QStringLiteral("CoverImageDataViewDefaultBitmap")).copy())
{
}

TCoverImageDataView::TCoverImageDataView(QObject *AOwner, QWidget *AControl) : TMetaDataView(AOwner), FControl(AControl)
{
    FControl->installEventFilter(this);
    OnStyleApplied(FControl, this, [this] { StyleApplied(); });
    SetStyleLookup(FControl, QStringLiteral("coverimagePanelstyle"));
}

TCoverImageData *TCoverImageDataView::ImageData() const
{
    return static_cast<TCoverImageData *>(Data());
}

void TCoverImageDataView::StyleApplied()
{
    const QString tail = QStringLiteral(" not found inside of ") + GetStyleLookup(FControl);
    FContentImage = FindStylePart<QLabel>(FControl, QStringLiteral("contentimage"), tail);
    FText = FindStylePart<QLabel>(FControl, QStringLiteral("text"), tail);
    FErrorIndicator = FindStylePart<QWidget>(FControl, QStringLiteral("ErrorIndicatorPanel"), tail);
    // The parts lie over each other and follow the panel's size, whatever it
    // is: their own column goes, the holder of the parts keeps filling the panel.
    QWidget *holder = FContentImage->parentWidget();
    delete holder->layout();
    holder->installEventFilter(this);
    FContentImage->setMinimumSize(0, 0);
    FContentImage->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    FContentImage->setScaledContents(true);
    FText->setAlignment(Qt::AlignCenter);
    FText->setAttribute(Qt::WA_TransparentForMouseEvents);
    FImageOpacity = new QGraphicsOpacityEffect(FContentImage);
    FImageOpacity->setOpacity(1);
    FContentImage->setGraphicsEffect(FImageOpacity);
    FContentImage->installEventFilter(this);
    FErrorIndicator->hide();
    PlaceParts();
    if (Data())
        UpdateView();
    else
        FContentImage->setPixmap(GetInstance<TCoverImageDefaultBitmapData>()->FDefaultBitmap);
}

void TCoverImageDataView::PlaceParts()
{
    if (!FContentImage)
        return;
    const QRect area = FContentImage->parentWidget()->rect();
    FContentImage->setGeometry(area);
    FText->setGeometry(0, (area.height() - TextHeight) / 2, area.width(), TextHeight);
    FErrorIndicator->setGeometry(2, 2, ErrorIndicatorSize, ErrorIndicatorSize);
    FText->raise();
    FErrorIndicator->raise();
}

bool TCoverImageDataView::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::Resize && FContentImage && Watched == FContentImage->parentWidget())
        PlaceParts();
    else if (Event->type() == QEvent::MouseButtonRelease && OnClick
        && static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton)
        OnClick(this);
    return TMetaDataView::eventFilter(Watched, Event);
}

void TCoverImageDataView::SetData(TMetaDataBlock *AData)
{
    TMetaDataView::SetData(AData);
    Refresh();
}

void TCoverImageDataView::UpdateView()
{
    if (!FContentImage)
        return;
    const TCoverImageData &image = *ImageData();
    const std::uint8_t state = image.State();
    FControl->setVisible(state != mdsHidden);
    const bool failed = state == mdsRequestFailed || state == mdsNoImage;
    FErrorIndicator->setVisible(failed);
    if (failed)
        FErrorIndicator->setProperty(
            HintProperty, MetaDataText(state == mdsRequestFailed ? "EM_ImageLoadingFailed" : "EM_ImageNotFound"));
    if (failed || state == mdsCleared)
        FContentImage->setPixmap(GetInstance<TCoverImageDefaultBitmapData>()->FDefaultBitmap);
    else if (state == mdsLoaded) {
        QPixmap picture;
        // Bytes that do not decode leave the default picture.
        if (!picture.loadFromData(image.CoverImageStream()))
            picture = GetInstance<TCoverImageDefaultBitmapData>()->FDefaultBitmap;
        FContentImage->setPixmap(picture);
    }
}

void TCoverImageDataView::LoadingStarted()
{
    if (!FContentImage)
        return;
    if (Data()->PreviousState() == mdsLoaded)
        FImageOpacity->setOpacity(0.5);
    FText->setText(MetaDataText("MDV_Loading_Text"));
}

void TCoverImageDataView::LoadingFinished()
{
    if (!FContentImage)
        return;
    FImageOpacity->setOpacity(1);
    FText->clear();
}
