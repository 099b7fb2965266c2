#pragma once

#include "foundation/THierarchicalSingletonUnit.h"
#include "metadata/views/TMetaDataViewUnit.h"

#include <QPixmap>
#include <QPointer>

#include <functional>

class QGraphicsOpacityEffect;
class QLabel;
class QWidget;
class TCoverImageData;

// The style's picture for a cover that has none, copied once.
class TCoverImageDefaultBitmapData : public THierarchicalSingleton
{
public:
    QPixmap FDefaultBitmap;

protected:
    template<class C> friend C *GetInstance();
    TCoverImageDefaultBitmapData();
};

// A picture of a page or a strip over its panel: the default picture until
// one loads, the old one dimmed while the next loads, and an error mark when
// there is none.
class TCoverImageDataView : public TMetaDataView
{
    Q_OBJECT
public:
    TCoverImageDataView(QObject *AOwner, QWidget *AControl);

    QWidget *Control() const { return FControl; }
    QLabel *ContentImage() const { return FContentImage; }
    QLabel *Text() const { return FText; }
    QWidget *ErrorIndicator() const { return FErrorIndicator; }
    TCoverImageData *ImageData() const;
    void SetData(TMetaDataBlock *AData) override;

    std::function<void(TCoverImageDataView *Sender)> OnClick;

protected:
    void UpdateView() override;
    void LoadingStarted() override;
    void LoadingFinished() override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void StyleApplied();
    void PlaceParts();

    QWidget *FControl;
    QPointer<QLabel> FContentImage;
    QPointer<QLabel> FText;
    QPointer<QWidget> FErrorIndicator;
    QPointer<QGraphicsOpacityEffect> FImageOpacity;
};
