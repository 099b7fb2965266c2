#pragma once

#include "ui/animations/TShapeAnimationUnit.h"
#include "ui/animations/TVirtualShapeAnimationUnit.h"

#include <QPixmap>

#include <vector>

// The loaders' sprites, cut from the style once and shared.
class TVirtualLoadingAnimationData : public THierarchicalSingleton
{
public:
    static constexpr int FrameSize = 24;
    static constexpr int FrameCount = 10;
    std::vector<QPixmap> FSprite;

protected:
    template<class C> friend C *GetInstance();
    TVirtualLoadingAnimationData();
};

class THorizontalLoadingAnimationData : public THierarchicalSingleton
{
public:
    static constexpr int FrameWidth = 29;
    static constexpr int FrameHeight = 20;
    static constexpr int FrameCount = 8;
    std::vector<QPixmap> FSprite;

protected:
    template<class C> friend C *GetInstance();
    THorizontalLoadingAnimationData();
};

// A spinning loader beside a track of a list.
class TVirtualLoadingAnimation : public TVirtualShapeAnimation
{
public:
    TVirtualLoadingAnimation();
    void DrawFrame(QPainter &Canvas, const QRectF &Target, qreal Opacity) override;

private:
    const std::vector<QPixmap> &FSprite;
};

// The horizontal "loading" strip as a control.
class THorizontalLoadingAnimation : public TShapeAnimation
{
    Q_OBJECT
public:
    explicit THorizontalLoadingAnimation(QWidget *AOwner);

protected:
    void DrawFrame(QPainter &Canvas) override;

private:
    const std::vector<QPixmap> &FSprite;
};

// The horizontal strip drawn into a view.
class TVirtualHorizontalLoadingAnimation : public TVirtualShapeAnimation
{
public:
    TVirtualHorizontalLoadingAnimation();
    void DrawFrame(QPainter &Canvas, const QRectF &Target, qreal Opacity) override;

private:
    const std::vector<QPixmap> &FSprite;
};
