#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QObject>

#include <memory>

class QLabel;
class QLineEdit;
class QTimer;
class QWidget;
class TShapeAnimation;

// The search box: its placeholder and a busy indicator that stays on across
// short gaps between searches.
class TSearchEditWrapper : public QObject, public TObject
{
    Q_OBJECT
public:
    // The gap that keeps the indicator running between two tasks.
    static constexpr int StopAnimationDelay = 300;

    TSearchEditWrapper(QObject *AOwner, TShapeAnimation *AAniIndicator, QLineEdit *AEdit);
    ~TSearchEditWrapper() override;

    void TaskStarted();
    void TaskFinished();
    int TasksCount() const { return FTasksCount; }
    bool IsIndicatorOn() const;
    QLabel *PlaceHolder() const { return FPlaceHolder; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void ShowPlaceHolder(bool Visible);
    void SetIndicator(bool On);

    QLineEdit *FEdit;
    TShapeAnimation *FAniIndicator;
    QWidget *FButtonsLayout;
    QLabel *FPlaceHolder;
    int FTasksCount = 0;
    std::unique_ptr<QTimer> FStopAnimationTimer;
};
