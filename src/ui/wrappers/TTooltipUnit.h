#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

class QLabel;
class QTimer;
class QWidget;
class TCalloutRectangle;

// The tooltip control of a form: a callout box placed over or under the
// control it explains, kept inside the form.
class TTooltipControlWrapper : public QObject, public TObject
{
    Q_OBJECT
public:
    // The owner is the form.
    TTooltipControlWrapper(QWidget *AOwner, QWidget *AControl);

    bool IsVisible() const { return FIsVisible; }
    int VerticalOffset = 0;
    QWidget *Control() const { return FControl; }
    TCalloutRectangle *Rect() const { return FRect; }
    QLabel *Text() const { return FText; }

    void Show(QWidget *PointedControl, const QString &AText);
    void Hide();

private:
    void StyleApplied();

    QWidget *FControl;
    QWidget *FParentForm;
    QPointer<TCalloutRectangle> FRect;
    QPointer<QLabel> FText;
    bool FIsVisible = false;
};

// Shows the tooltip after the pointer has rested on a control for 200 to
// 400 ms, and moves it at once from control to control while one shows.
class TTooltip : public QObject, public TObject
{
    Q_OBJECT
public:
    static constexpr int TickInterval = 200;

    TTooltip(QObject *AOwner, TTooltipControlWrapper *ATooltipControl);
    ~TTooltip() override;

    TTooltipControlWrapper *TooltipControl() const { return FTooltipControl; }
    QWidget *PointedControl() const { return FPointedControl; }
    // Filled by BeforeShow; the pointed control's hint replaces it.
    QString Text;
    TNotifyEvent BeforeShow;
    bool IsTicking() const;

    // One step of the tooltip's clock.
    void Tick();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    TTooltipControlWrapper *FTooltipControl;
    std::unique_ptr<QTimer> FTimer;
    QPoint FLastTickMousePos;
    QPointer<QWidget> FPointedControl;
    int FCounter = 0;
};
