#include "ui/animations/TVirtualAddTrackAnimationUnit.h"

#include "ui/StyleResourceUnit.h"

#include <QPainter>

TAddTrackAnimationBitmapData::TAddTrackAnimationBitmapData() :
      FAddBitmap(StyleBitmap(QStringLiteral("addtrackbitmapobject"))),
      FAddedBitmap(StyleBitmap(QStringLiteral("addedtrackbitmapobject")))
{
}

TVirtualAddTrackAnimation::TVirtualAddTrackAnimation() :
      TVirtualShapeAnimation(400, 20), FAddBitmap(GetInstance<TAddTrackAnimationBitmapData>()->FAddBitmap),
      FAddedBitmap(GetInstance<TAddTrackAnimationBitmapData>()->FAddedBitmap)
{
}

void TVirtualAddTrackAnimation::SetPhase(TAddTrackAnimationPhase Value)
{
    if (FState == asRunning)
        return;
    FPhase = Value;
    FValue = 0;
    const bool pending = Value == apPending1 || Value == apPending2;
    FMax = pending ? 1 : 20;
    Length = pending ? 1000 : 400;
}

void TVirtualAddTrackAnimation::SetIsMouseIn(bool Value)
{
    if (Value == FIsMouseIn)
        return;
    FIsMouseIn = Value;
    if (!Value)
        return;
    if (FPhase == apFadingIn || FPhase == apPending1)
        Stop();
    else if (FPhase == apPending2 || FPhase == apFadingOut)
        SetValue(FMax);
}

void TVirtualAddTrackAnimation::DoOnFinished()
{
    TAddTrackAnimationPhase next;
    switch (FPhase) {
    case apFadingIn:
        next = apPending1;
        break;
    case apPending1:
        next = apChanging;
        break;
    case apChanging:
        if (FIsMouseIn)
            return TVirtualShapeAnimation::DoOnFinished();
        next = apPending2;
        break;
    case apPending2:
        if (FIsMouseIn)
            return TVirtualShapeAnimation::DoOnFinished();
        next = apFadingOut;
        break;
    default:
        return TVirtualShapeAnimation::DoOnFinished();
    }
    SetPhase(next);
    Start();
}

void TVirtualAddTrackAnimation::DrawFrame(QPainter &Canvas, const QRectF &Target, qreal Opacity)
{
    const qreal p = FMax > 0 ? qreal(FValue) / FMax : 0;
    // Positions are given for a view 60 wide; other widths scale them.
    const qreal scale = Target.width() / ViewWidth;
    const auto draw = [&](const QPixmap &Bitmap, qreal FromX, qreal ToX, qreal IconOpacity) {
        const qreal x = FromX + (ToX - FromX) * p;
        const qreal size = IconSize * scale;
        const QRectF box(Target.left() + x * scale, Target.top() + (Target.height() - size) / 2, size, size);
        Canvas.save();
        Canvas.setRenderHint(QPainter::SmoothPixmapTransform);
        Canvas.setOpacity(qMax<qreal>(0, IconOpacity));
        Canvas.drawPixmap(box, Bitmap, QRectF(Bitmap.rect()));
        Canvas.restore();
    };
    switch (FPhase) {
    case apFadingIn:
        draw(FAddBitmap, 30, 20, Opacity * p);
        break;
    case apPending1:
        draw(FAddBitmap, 20, 20, Opacity);
        break;
    case apChanging:
        draw(FAddBitmap, 20, 0, Opacity * (1 - p));
        draw(FAddedBitmap, 40, 20, Opacity * p);
        break;
    case apPending2:
        draw(FAddedBitmap, 20, 20, Opacity);
        break;
    case apFadingOut:
        draw(FAddedBitmap, 20, 10, Opacity * (1 - p));
        break;
    }
}
