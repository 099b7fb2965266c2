#pragma once

#include "foundation/TIDGeneratorUnit.h"
#include "ui/animations/TShapeAnimationUnit.h"

#include <QWidget>

#include <map>
#include <typeindex>
#include <utility>

class TVirtualShapeAnimationView;

class TVirtualShapeAnimationIDGenerator : public TIDGenerator
{
protected:
    template<class C> friend C *GetInstance();
    TVirtualShapeAnimationIDGenerator() = default;
};

// An animation that lives in the data, not on a form: it draws into whichever
// view is attached to it, so a pooled row re-targeted at another track never
// carries the animation along.
class TVirtualShapeAnimation : public TObject
{
public:
    TVirtualShapeAnimation(quint32 ALength, int AMax);
    ~TVirtualShapeAnimation() override;

    int ID() const { return FID; }
    TAnimationState State() const { return FState; }
    int Value() const { return FValue; }
    int Max() const { return FMax; }
    TVirtualShapeAnimationView *View() const { return FView; }
    std::type_index ClassType() const { return typeid(*this); }
    quint32 Length = 0;
    bool IsLooped = false;
    TNotifyEvent OnFinish;

    void Start();
    void Stop();
    void NextFrame();
    // Hides the view attached before and draws into AView from now on.
    void AttachView(TVirtualShapeAnimationView *AView);

    // Paints frame Value into Target of the attached view.
    virtual void DrawFrame(QPainter &Canvas, const QRectF &Target, qreal Opacity) = 0;

protected:
    virtual void DoOnFinished();
    void SetValue(int Frame);

    TAnimationState FState = asStopped;
    int FValue = 0;
    int FMax;
    quint64 FStartTime = 0;

private:
    friend class TVirtualShapeAnimationView;
    int FID;
    TVirtualShapeAnimationView *FView = nullptr;
};

// The control a virtual animation draws into.
class TVirtualShapeAnimationView : public QWidget
{
    Q_OBJECT
public:
    explicit TVirtualShapeAnimationView(QWidget *Parent = nullptr);
    ~TVirtualShapeAnimationView() override;

    TVirtualShapeAnimation *Animation() const { return FVirtualAnimation; }
    qreal Opacity = 1;

protected:
    void paintEvent(QPaintEvent *Event) override;

private:
    friend class TVirtualShapeAnimation;
    TVirtualShapeAnimation *FVirtualAnimation = nullptr;
};

// The running virtual animations by class and identifier: rows find "their"
// animation here from the identifier kept with the track.
class TVirtualShapeAnimationTable : public THierarchicalSingleton
{
public:
    using TVirtualShapeAnimationInfo = std::pair<std::type_index, int>;

    void Add(TVirtualShapeAnimation *Animation);
    void Remove(TVirtualShapeAnimation *Animation);
    bool TryGetAnimation(std::type_index AClassType, int ID, TVirtualShapeAnimation *&Animation) const;

protected:
    template<class C> friend C *GetInstance();
    TVirtualShapeAnimationTable() = default;

private:
    std::map<TVirtualShapeAnimationInfo, TVirtualShapeAnimation *> FDict;
};
