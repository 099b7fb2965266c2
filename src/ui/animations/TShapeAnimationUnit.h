#pragma once

#include "foundation/THierarchicalSingletonUnit.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QTimer;
class TShapeAnimation;
class TVirtualShapeAnimation;

enum TAnimationState { asStopped, asRunning, asPaused };

// The one timer behind every animation. It runs only while an animation is
// registered, so nothing ticks while the player is idle.
class TShapeAnimationTickTimer : public THierarchicalSingleton
{
public:
    // Frames come from the elapsed time, so a tick per display frame is
    // enough; a finer tick would only burn the processor.
    static constexpr int Interval = 16;

    ~TShapeAnimationTickTimer() override;

    void Add(TShapeAnimation *Animation);
    void Remove(TShapeAnimation *Animation);
    void Add(TVirtualShapeAnimation *Animation);
    void Remove(TVirtualShapeAnimation *Animation);
    bool IsActive() const;

    // One tick: every running animation moves to the frame of the time elapsed.
    void Tick();

    // Milliseconds of a steady clock; tests may put their own clock in.
    static quint64 Now();
    static void SetClock(std::function<quint64()> Clock);

protected:
    template<class C> friend C *GetInstance();
    TShapeAnimationTickTimer();

private:
    void UpdateTimer();

    std::unique_ptr<QTimer> FTimer;
    std::vector<TShapeAnimation *> FListeners;
    std::vector<TVirtualShapeAnimation *> FVirtualListeners;
};

// A frame animation that is a control of its own.
class TShapeAnimation : public QWidget, public TObject
{
    Q_OBJECT
public:
    TShapeAnimation(QWidget *AOwner, quint32 ALength, int AMax);
    ~TShapeAnimation() override;

    TAnimationState State() const { return FState; }
    int Value() const { return FValue; }
    int Max() const { return FMax; }
    quint32 Length = 0;
    bool IsLooped = false;
    // The control's own opacity, applied to every frame.
    qreal Opacity = 1;

    void Start();
    void Stop();
    void Pause();
    void Resume();
    void NextFrame();

protected:
    virtual void DrawFrame(QPainter &Canvas) = 0;
    virtual void DoOnFinished();
    void SetValue(int Frame);
    void paintEvent(QPaintEvent *Event) override;

    TAnimationState FState = asStopped;
    int FValue = 0;
    int FMax;
    quint64 FStartTime = 0;
    quint64 FPauseTime = 0;
};

// Draws Frame stretched over Target at Opacity.
void DrawSpriteFrame(QPainter &Canvas, const QRectF &Target, const QPixmap &Frame, qreal Opacity);
// The Count frames of Width × Height laid side by side in Sprite.
std::vector<QPixmap> CutSprite(const QPixmap &Sprite, int Width, int Height, int Count);
