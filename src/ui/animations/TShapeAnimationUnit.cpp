#include "ui/animations/TShapeAnimationUnit.h"

#include "ui/animations/TVirtualShapeAnimationUnit.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

std::function<quint64()> &Clock()
{
    static std::function<quint64()> clock;
    return clock;
}

template<class T> void AddOnce(std::vector<T *> &List, T *Item)
{
    if (std::find(List.begin(), List.end(), Item) == List.end())
        List.push_back(Item);
}

template<class T> void RemoveFrom(std::vector<T *> &List, T *Item)
{
    List.erase(std::remove(List.begin(), List.end(), Item), List.end());
}

// Walks a copy from the last to the first: a frame may end an animation,
// start another or free one.
template<class T> void TickAll(const std::vector<T *> &List)
{
    const std::vector<T *> snapshot = List;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
        if (std::find(List.begin(), List.end(), *it) != List.end() && (*it)->State() == asRunning)
            (*it)->NextFrame();
}

} // namespace

TShapeAnimationTickTimer::TShapeAnimationTickTimer() : FTimer(std::make_unique<QTimer>())
{
    FTimer->setInterval(Interval);
    FTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(FTimer.get(), &QTimer::timeout, [this] { Tick(); });
}

TShapeAnimationTickTimer::~TShapeAnimationTickTimer() = default;

quint64 TShapeAnimationTickTimer::Now()
{
    if (Clock())
        return Clock()();
    static QElapsedTimer steady;
    if (!steady.isValid())
        steady.start();
    return quint64(steady.elapsed());
}

void TShapeAnimationTickTimer::SetClock(std::function<quint64()> AClock)
{
    Clock() = std::move(AClock);
}

void TShapeAnimationTickTimer::Add(TShapeAnimation *Animation)
{
    AddOnce(FListeners, Animation);
    UpdateTimer();
}

void TShapeAnimationTickTimer::Remove(TShapeAnimation *Animation)
{
    RemoveFrom(FListeners, Animation);
    UpdateTimer();
}

void TShapeAnimationTickTimer::Add(TVirtualShapeAnimation *Animation)
{
    AddOnce(FVirtualListeners, Animation);
    UpdateTimer();
}

void TShapeAnimationTickTimer::Remove(TVirtualShapeAnimation *Animation)
{
    RemoveFrom(FVirtualListeners, Animation);
    UpdateTimer();
}

bool TShapeAnimationTickTimer::IsActive() const
{
    return FTimer->isActive();
}

void TShapeAnimationTickTimer::UpdateTimer()
{
    const bool wanted = !FListeners.empty() || !FVirtualListeners.empty();
    if (wanted && !FTimer->isActive())
        FTimer->start();
    else if (!wanted && FTimer->isActive())
        FTimer->stop();
}

void TShapeAnimationTickTimer::Tick()
{
    TickAll(FListeners);
    TickAll(FVirtualListeners);
}

TShapeAnimation::TShapeAnimation(QWidget *AOwner, quint32 ALength, int AMax) :
      QWidget(AOwner), Length(ALength), FMax(AMax)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
}

TShapeAnimation::~TShapeAnimation()
{
    GetInstance<TShapeAnimationTickTimer>()->Remove(this);
}

void TShapeAnimation::Start()
{
    FState = asRunning;
    FStartTime = TShapeAnimationTickTimer::Now();
    GetInstance<TShapeAnimationTickTimer>()->Add(this);
}

void TShapeAnimation::Stop()
{
    FState = asStopped;
    DoOnFinished();
}

void TShapeAnimation::Pause()
{
    if (FState != asRunning)
        return;
    FState = asPaused;
    FPauseTime = TShapeAnimationTickTimer::Now();
}

void TShapeAnimation::Resume()
{
    if (FState != asPaused)
        return;
    FState = asRunning;
    FStartTime += TShapeAnimationTickTimer::Now() - FPauseTime;
}

void TShapeAnimation::DoOnFinished()
{
    GetInstance<TShapeAnimationTickTimer>()->Remove(this);
}

void TShapeAnimation::NextFrame()
{
    const double elapsed = double(TShapeAnimationTickTimer::Now() - FStartTime);
    const int frame = int(std::lround(std::min(elapsed / std::max<quint32>(Length, 1) * FMax, double(FMax))));
    SetValue(frame);
}

void TShapeAnimation::SetValue(int Frame)
{
    if (Frame != FValue && Frame >= 0 && Frame <= FMax) {
        FValue = Frame;
        if (isVisible())
            update();
    }
    if (FValue == FMax) {
        FState = asStopped;
        DoOnFinished();
        if (IsLooped)
            Start();
    }
}

void TShapeAnimation::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    DrawFrame(painter);
}

void DrawSpriteFrame(QPainter &Canvas, const QRectF &Target, const QPixmap &Frame, qreal Opacity)
{
    Canvas.save();
    Canvas.setRenderHint(QPainter::SmoothPixmapTransform);
    Canvas.setOpacity(Canvas.opacity() * Opacity);
    Canvas.drawPixmap(Target, Frame, QRectF(Frame.rect()));
    Canvas.restore();
}

std::vector<QPixmap> CutSprite(const QPixmap &Sprite, int Width, int Height, int Count)
{
    const qreal scale = Sprite.devicePixelRatio();
    std::vector<QPixmap> frames;
    for (int i = 0; i < Count; ++i) {
        QPixmap frame = Sprite.copy(QRectF(i * Width * scale, 0, Width * scale, Height * scale).toAlignedRect());
        frame.setDevicePixelRatio(scale);
        frames.push_back(frame);
    }
    return frames;
}
