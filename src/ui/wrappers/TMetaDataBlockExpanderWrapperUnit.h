#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QAbstractButton;
class QWidget;
class TExpander;
class TVirtualHorizontalLoadingAnimation;
class TVirtualShapeAnimationView;

enum TMetaDataBlockExpanderMode { mdemUninitialized, mdemNormal, mdemError };

// A section of a metadata page: opens and closes in normal mode; in error
// mode it stays closed and shows an error mark whose hint is the error.
class TMetaDataBlockExpanderWrapper : public QObject, public TObject
{
    Q_OBJECT
public:
    TMetaDataBlockExpanderWrapper(QObject *AOwner, TExpander *AControl);
    ~TMetaDataBlockExpanderWrapper() override;

    TMetaDataBlockExpanderMode Mode() const { return FMode; }
    void SetMode(TMetaDataBlockExpanderMode Value);
    const QString &ErrorIndicatorHint() const { return FErrorIndicatorHint; }
    void SetErrorIndicatorHint(const QString &Value);
    void StartLoadingAnimation();
    void StopLoadingAnimation();

    TVirtualHorizontalLoadingAnimation *LoadingAnimation() const { return FLoadingAnimation.get(); }
    TVirtualShapeAnimationView *AnimationView() const { return FAnimationView; }
    QWidget *ErrorIndicator() const { return FErrorIndicator; }
    QAbstractButton *Button() const { return FButton; }
    QWidget *TitleRect() const { return FTitleRect; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void StyleApplied();
    void ApplyMode();
    void Toggle();

    TExpander *FControl;
    TMetaDataBlockExpanderMode FMode = mdemUninitialized;
    QString FErrorIndicatorHint;
    QPointer<QWidget> FTitleRect;
    QPointer<QAbstractButton> FButton;
    QPointer<QWidget> FErrorIndicator;
    std::unique_ptr<TVirtualHorizontalLoadingAnimation> FLoadingAnimation;
    QPointer<TVirtualShapeAnimationView> FAnimationView;
};
