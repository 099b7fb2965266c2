#include "ui/tracklists/TLoadingIndicatorUnit.h"

#include "ui/StyleResourceUnit.h"
#include "ui/lists/TDynamicListBoxUnit.h"
#include "ui/tracklists/TQelmListBoxItemUnit.h"

#include <QPainter>

#include <memory>

namespace {

constexpr int Size = 28;
constexpr qreal RingWidth = 5;
constexpr qreal ArcWidth = 3;

// The completed mark, copied from the style while any indicator lives.
struct TCompletedBitmap
{
    int LiveIndicators = 0;
    std::unique_ptr<QPixmap> Bitmap;
};
TCompletedBitmap CompletedBitmap;

} // namespace

TLoadingIndicator::TLoadingIndicator(QWidget *Parent) : QWidget(Parent)
{
    if (CompletedBitmap.LiveIndicators == 0)
        CompletedBitmap.Bitmap = std::make_unique<QPixmap>(StyleBitmap(QStringLiteral("downloadcompletedbitmap")));
    ++CompletedBitmap.LiveIndicators;
    setFocusPolicy(Qt::NoFocus);
    resize(Size, Size);
    setAccessibleName(QString::number(FValue) + u'%');
}

TLoadingIndicator::~TLoadingIndicator()
{
    if (--CompletedBitmap.LiveIndicators == 0)
        CompletedBitmap.Bitmap.reset();
}

void TLoadingIndicator::SetValue(int NewValue)
{
    if (NewValue < 0 || NewValue > 100 || NewValue == FValue)
        return;
    FValue = NewValue;
    setAccessibleName(FValue == 100 ? LocalizedText(QStringLiteral("ALCI_LoadingIndicator_LoadedState_Hint"))
                                    : QString::number(FValue) + u'%');
    update();
}

void TLoadingIndicator::SetOpacity(qreal NewOpacity)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, NewOpacity == 0);
    if (NewOpacity == FOpacity)
        return;
    FOpacity = NewOpacity;
    update();
}

void TLoadingIndicator::paintEvent(QPaintEvent *)
{
    if (FOpacity == 0)
        return;
    QPainter painter(this);
    painter.setOpacity(FOpacity);
    painter.setRenderHint(QPainter::Antialiasing);
    if (FValue == 100) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), *CompletedBitmap.Bitmap);
        return;
    }
    const QRectF bounds(rect());
    painter.setPen(QPen(StyleColor(TStyleColor::Separator), RingWidth));
    painter.drawEllipse(bounds.adjusted(RingWidth / 2, RingWidth / 2, -RingWidth / 2, -RingWidth / 2));
    // Clockwise from the top.
    painter.setPen(QPen(StyleColor(TStyleColor::Accent), ArcWidth, Qt::SolidLine, Qt::FlatCap));
    const QPointF centre = bounds.center();
    const qreal rx = (bounds.width() - RingWidth) / 2;
    const qreal ry = (bounds.height() - RingWidth) / 2;
    painter.drawArc(QRectF(centre.x() - rx, centre.y() - ry, 2 * rx, 2 * ry), 90 * 16, -qRound(FValue * 3.6 * 16));
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(StyleColor(TStyleColor::Text));
    painter.drawText(bounds, Qt::AlignCenter, QString::number(FValue));
}

void TLoadingIndicator::enterEvent(QEnterEvent *Event)
{
    QWidget::enterEvent(Event);
    if (auto *row = qobject_cast<TDynamicListPanel *>(parentWidget()))
        row->DoMouseEnter();
}
