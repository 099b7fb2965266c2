#include "ui/animations/TVirtualShapeAnimationUnit.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

TVirtualShapeAnimation::TVirtualShapeAnimation(quint32 ALength, int AMax) :
      Length(ALength), FMax(AMax), FID(GetInstance<TVirtualShapeAnimationIDGenerator>()->GetID())
{
}

TVirtualShapeAnimation::~TVirtualShapeAnimation()
{
    GetInstance<TShapeAnimationTickTimer>()->Remove(this);
    GetInstance<TVirtualShapeAnimationTable>()->Remove(this);
    // The view must not paint a freed animation.
    if (FView && FView->FVirtualAnimation == this)
        FView->FVirtualAnimation = nullptr;
}

void TVirtualShapeAnimation::Start()
{
    FState = asRunning;
    FStartTime = TShapeAnimationTickTimer::Now();
    GetInstance<TShapeAnimationTickTimer>()->Add(this);
    GetInstance<TVirtualShapeAnimationTable>()->Add(this);
}

void TVirtualShapeAnimation::Stop()
{
    FState = asStopped;
    DoOnFinished();
}

void TVirtualShapeAnimation::DoOnFinished()
{
    GetInstance<TShapeAnimationTickTimer>()->Remove(this);
    GetInstance<TVirtualShapeAnimationTable>()->Remove(this);
    if (OnFinish)
        OnFinish(this);
}

void TVirtualShapeAnimation::NextFrame()
{
    const double elapsed = double(TShapeAnimationTickTimer::Now() - FStartTime);
    const int frame = int(std::lround(std::min(elapsed / std::max<quint32>(Length, 1) * FMax, double(FMax))));
    SetValue(frame);
}

void TVirtualShapeAnimation::SetValue(int Frame)
{
    if (Frame != FValue && Frame >= 0 && Frame <= FMax) {
        FValue = Frame;
        if (FView && FView->isVisible())
            FView->update();
    }
    if (FValue == FMax) {
        FState = asStopped;
        DoOnFinished();
        if (IsLooped)
            Start();
    }
}

void TVirtualShapeAnimation::AttachView(TVirtualShapeAnimationView *AView)
{
    if (FView && FView != AView)
        FView->hide();
    // A view shows one animation: the one it showed before lets go of it.
    if (AView && AView->FVirtualAnimation && AView->FVirtualAnimation != this)
        AView->FVirtualAnimation->FView = nullptr;
    FView = AView;
    if (!AView)
        return;
    AView->FVirtualAnimation = this;
    AView->show();
    AView->update();
}

TVirtualShapeAnimationView::TVirtualShapeAnimationView(QWidget *Parent) : QWidget(Parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

TVirtualShapeAnimationView::~TVirtualShapeAnimationView()
{
    if (FVirtualAnimation && FVirtualAnimation->FView == this)
        FVirtualAnimation->FView = nullptr;
}

void TVirtualShapeAnimationView::paintEvent(QPaintEvent *)
{
    if (!FVirtualAnimation)
        return;
    QPainter painter(this);
    FVirtualAnimation->DrawFrame(painter, QRectF(contentsRect()), Opacity);
}

void TVirtualShapeAnimationTable::Add(TVirtualShapeAnimation *Animation)
{
    FDict.emplace(TVirtualShapeAnimationInfo(Animation->ClassType(), Animation->ID()), Animation);
}

void TVirtualShapeAnimationTable::Remove(TVirtualShapeAnimation *Animation)
{
    // By the object: while it is being destroyed its class is no longer its own.
    for (auto it = FDict.begin(); it != FDict.end(); ++it)
        if (it->second == Animation) {
            FDict.erase(it);
            return;
        }
}

bool TVirtualShapeAnimationTable::TryGetAnimation(
    std::type_index AClassType, int ID, TVirtualShapeAnimation *&Animation) const
{
    const auto found = FDict.find(TVirtualShapeAnimationInfo(AClassType, ID));
    Animation = found != FDict.end() ? found->second : nullptr;
    return Animation != nullptr;
}
