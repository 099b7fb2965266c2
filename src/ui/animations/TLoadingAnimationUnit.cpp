#include "ui/animations/TLoadingAnimationUnit.h"

#include "ui/StyleResourceUnit.h"

#include <QPainter>

TVirtualLoadingAnimationData::TVirtualLoadingAnimationData() :
      FSprite(CutSprite(
          StyleBitmap(QStringLiteral("VirtualLoadingAnimationSpriteBitmap")), FrameSize, FrameSize, FrameCount))
{
}

THorizontalLoadingAnimationData::THorizontalLoadingAnimationData() :
      FSprite(CutSprite(
          StyleBitmap(QStringLiteral("HorizontalLoadingAnimationSpriteBitmap")), FrameWidth, FrameHeight, FrameCount))
{
}

TVirtualLoadingAnimation::TVirtualLoadingAnimation() :
      TVirtualShapeAnimation(500, 9), FSprite(GetInstance<TVirtualLoadingAnimationData>()->FSprite)
{
    IsLooped = true;
}

void TVirtualLoadingAnimation::DrawFrame(QPainter &Canvas, const QRectF &Target, qreal Opacity)
{
    DrawSpriteFrame(Canvas, Target, FSprite[size_t(FValue % TVirtualLoadingAnimationData::FrameCount)], Opacity);
}

THorizontalLoadingAnimation::THorizontalLoadingAnimation(QWidget *AOwner) :
      TShapeAnimation(AOwner, 650, 7), FSprite(GetInstance<THorizontalLoadingAnimationData>()->FSprite)
{
    IsLooped = true;
}

void THorizontalLoadingAnimation::DrawFrame(QPainter &Canvas)
{
    DrawSpriteFrame(Canvas, QRectF(rect()), FSprite[size_t(FValue)], Opacity);
}

TVirtualHorizontalLoadingAnimation::TVirtualHorizontalLoadingAnimation() :
      TVirtualShapeAnimation(650, 7), FSprite(GetInstance<THorizontalLoadingAnimationData>()->FSprite)
{
    IsLooped = true;
}

void TVirtualHorizontalLoadingAnimation::DrawFrame(QPainter &Canvas, const QRectF &Target, qreal Opacity)
{
    DrawSpriteFrame(Canvas, Target, FSprite[size_t(FValue)], Opacity);
}
