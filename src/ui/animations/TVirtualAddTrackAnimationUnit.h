#pragma once

#include "ui/animations/TVirtualShapeAnimationUnit.h"

#include <QPixmap>

class TAddTrackAnimationBitmapData : public THierarchicalSingleton
{
public:
    QPixmap FAddBitmap;
    QPixmap FAddedBitmap;

protected:
    template<class C> friend C *GetInstance();
    TAddTrackAnimationBitmapData();
};

enum TAddTrackAnimationPhase { apFadingIn, apPending1, apChanging, apPending2, apFadingOut };

// The "add" icon fading in, turning into "added" and fading out, shown in a
// row after its track was added to My Music. The pointer over the row
// hurries it along.
class TVirtualAddTrackAnimation : public TVirtualShapeAnimation
{
public:
    // The width the icon positions are given for.
    static constexpr int ViewWidth = 60;
    static constexpr int IconSize = 20;

    TVirtualAddTrackAnimation();

    TAddTrackAnimationPhase Phase() const { return FPhase; }
    // Ignored while the animation runs.
    void SetPhase(TAddTrackAnimationPhase Value);
    bool IsMouseIn() const { return FIsMouseIn; }
    void SetIsMouseIn(bool Value);

    void DrawFrame(QPainter &Canvas, const QRectF &Target, qreal Opacity) override;

protected:
    void DoOnFinished() override;

private:
    const QPixmap &FAddBitmap;
    const QPixmap &FAddedBitmap;
    TAddTrackAnimationPhase FPhase = apFadingIn;
    bool FIsMouseIn = false;
};
