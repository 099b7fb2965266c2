#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QWidget;
class THorizontalLoadingAnimation;

enum TContentCoverState { ccsUninitialized, ccsHidden, ccsLoading, ccsError };

// A veil over a page region: half-transparent with a loader while the region
// loads, with an error mark and its text when the load failed.
class TMetaDataContentCover : public QObject
{
    Q_OBJECT
public:
    TMetaDataContentCover(QObject *AOwner, QWidget *AControl);

    TContentCoverState State() const { return FState; }
    void SetState(TContentCoverState Value);
    const QString &ErrorText() const { return FErrorText; }
    // Cut to the covered region's width.
    void SetErrorText(const QString &Value);

    QWidget *Surface() const { return FSurface; }
    THorizontalLoadingAnimation *LoadingAnimation() const { return FLoadingAnimation; }
    QWidget *ErrorStrip() const { return FErrorStrip; }
    QLabel *ErrorTextControl() const { return FErrorTextControl; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void Layout();
    void FitErrorText();

    QPointer<QWidget> FControl;
    QWidget *FSurface;
    THorizontalLoadingAnimation *FLoadingAnimation;
    QWidget *FErrorStrip;
    QWidget *FErrorIndicator;
    QLabel *FErrorTextControl;
    TContentCoverState FState = ccsUninitialized;
    QString FErrorText;
};
