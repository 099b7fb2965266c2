#include "ui/StyledControlsUnit.h"

#include "ui/StyleResourceUnit.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QChildEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionSlider>

TStyledTrackBar::TStyledTrackBar(QWidget *Parent) : QSlider(Qt::Horizontal, Parent)
{
}

int TStyledTrackBar::ThumbX() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this).x();
}

void TStyledTrackBar::PlaceThumb()
{
    if (auto *thumb = findChild<QWidget *>(QStringLiteral("hthumb"), Qt::FindDirectChildrenOnly)) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        thumb->setAttribute(Qt::WA_TransparentForMouseEvents);
        thumb->setGeometry(style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this));
        thumb->raise();
    }
    Q_EMIT ThumbMoved();
}

void TStyledTrackBar::sliderChange(SliderChange Change)
{
    QSlider::sliderChange(Change);
    PlaceThumb();
}

void TStyledTrackBar::resizeEvent(QResizeEvent *Event)
{
    QSlider::resizeEvent(Event);
    PlaceThumb();
}

void TStyledTrackBar::childEvent(QChildEvent *Event)
{
    QSlider::childEvent(Event);
    if (Event->added() && Event->child()->isWidgetType())
        static_cast<QWidget *>(Event->child())->setAttribute(Qt::WA_TransparentForMouseEvents);
}

TCalloutRectangle::TCalloutRectangle(QWidget *Parent) : QWidget(Parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void TCalloutRectangle::SetCalloutPosition(TCalloutPosition Value)
{
    FCalloutPosition = Value;
    update();
}

void TCalloutRectangle::SetCalloutOffset(int Value)
{
    FCalloutOffset = Value;
    update();
}

void TCalloutRectangle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool top = FCalloutPosition == cpTop;
    const QRectF box
        = QRectF(rect()).adjusted(0.5, top ? CalloutLength + 0.5 : 0.5, -0.5, top ? -0.5 : -CalloutLength - 0.5);
    QPainterPath path;
    path.addRoundedRect(box, 4, 4);
    const qreal left = qBound(box.left() + 4, qreal(FCalloutOffset), box.right() - 4 - CalloutWidth);
    QPolygonF callout;
    if (top)
        callout << QPointF(left, box.top() + 1) << QPointF(left + CalloutWidth / 2.0, 0.5)
                << QPointF(left + CalloutWidth, box.top() + 1);
    else
        callout << QPointF(left, box.bottom() - 1) << QPointF(left + CalloutWidth / 2.0, height() - 0.5)
                << QPointF(left + CalloutWidth, box.bottom() - 1);
    QPainterPath tip;
    tip.addPolygon(callout);
    path = path.united(tip);
    painter.setPen(QPen(StyleColor(TStyleColor::Separator), 1));
    painter.setBrush(StyleColor(TStyleColor::Raised));
    painter.drawPath(path);
}

TBitmapAnimation::TBitmapAnimation(QLabel *Target) : QVariantAnimation(Target), FTarget(Target)
{
    setStartValue(0.0);
    setEndValue(1.0);
}

void TBitmapAnimation::updateCurrentValue(const QVariant &Value)
{
    if (!FTarget || StopBitmap.isNull())
        return;
    const qreal p = Value.toReal();
    if (StartBitmap.isNull() || p >= 1) {
        FTarget->setPixmap(StopBitmap);
        return;
    }
    QPixmap blend(StopBitmap.size());
    blend.setDevicePixelRatio(StopBitmap.devicePixelRatio());
    blend.fill(Qt::transparent);
    QPainter painter(&blend);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF area(QPointF(0, 0), StopBitmap.deviceIndependentSize());
    painter.setOpacity(1 - p);
    painter.drawPixmap(area, StartBitmap, QRectF(StartBitmap.rect()));
    painter.setOpacity(p);
    painter.drawPixmap(area, StopBitmap, QRectF(StopBitmap.rect()));
    painter.end();
    FTarget->setPixmap(blend);
}

TExpander::TExpander(QWidget *Parent) : QWidget(Parent), FContent(new QWidget(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The content takes the room; closed, the header stays at the top.
    layout->addWidget(FContent, 1);
    layout->addStretch(0);
    setAttribute(Qt::WA_StyledBackground);
    OnStyleApplied(this, this, [this] { PushToParts(); });
}

void TExpander::SetIsExpanded(bool Value)
{
    FIsExpanded = Value;
    PushToParts();
}

void TExpander::SetText(const QString &Value)
{
    FText = Value;
    PushToParts();
}

void TExpander::PushToParts()
{
    FContent->setVisible(FIsExpanded);
    // Only the header's parts: the content may have parts of the same names.
    auto *header = findChild<QWidget *>(QStringLiteral("styleroot"), Qt::FindDirectChildrenOnly);
    if (!header)
        return;
    if (auto *text = header->findChild<QLabel *>(QStringLiteral("text"))) {
        text->setTextFormat(Qt::PlainText);
        text->setText(FText);
    }
    if (auto *button = header->findChild<QAbstractButton *>(QStringLiteral("button"))) {
        const QSignalBlocker blocker(button);
        button->setChecked(FIsExpanded);
        // The arrow is the button's own style: the sheet sets icons only by lookup name.
        SetStyleLookup(
            button, FIsExpanded ? QStringLiteral("expanderopenButtonstyle") : QStringLiteral("expanderButtonstyle"));
    }
}
