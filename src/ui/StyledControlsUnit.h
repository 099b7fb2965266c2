#pragma once

// Qt stand-ins for the parts the style templates are made of, where Qt has no
// class of its own.
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QSlider>
#include <QVariantAnimation>
#include <QWidget>

// A slider whose knob is the part "hthumb", placed where the style puts the
// handle, so other parts can follow it.
class TStyledTrackBar : public QSlider
{
    Q_OBJECT
public:
    explicit TStyledTrackBar(QWidget *Parent = nullptr);
    // X of the knob in the slider.
    int ThumbX() const;

Q_SIGNALS:
    void ThumbMoved();

protected:
    void sliderChange(SliderChange Change) override;
    void resizeEvent(QResizeEvent *Event) override;
    void childEvent(QChildEvent *Event) override;

private:
    void PlaceThumb();
};

// A rounded box with a small triangle pointing at what it explains.
class TCalloutRectangle : public QWidget
{
    Q_OBJECT
public:
    enum TCalloutPosition { cpTop, cpBottom };
    static constexpr int CalloutLength = 6;
    static constexpr int CalloutWidth = 12;

    explicit TCalloutRectangle(QWidget *Parent = nullptr);
    void SetCalloutPosition(TCalloutPosition Value);
    TCalloutPosition CalloutPosition() const { return FCalloutPosition; }
    void SetCalloutOffset(int Value);
    int CalloutOffset() const { return FCalloutOffset; }

protected:
    void paintEvent(QPaintEvent *Event) override;

private:
    TCalloutPosition FCalloutPosition = cpBottom;
    int FCalloutOffset = 0;
};

// Cross-fades the picture of the label it belongs to from StartBitmap to StopBitmap.
class TBitmapAnimation : public QVariantAnimation
{
    Q_OBJECT
public:
    explicit TBitmapAnimation(QLabel *Target);
    QPixmap StartBitmap;
    QPixmap StopBitmap;

protected:
    void updateCurrentValue(const QVariant &Value) override;

private:
    QPointer<QLabel> FTarget;
};

// A section with a header (the parts of its style) and content below it.
class TExpander : public QWidget
{
    Q_OBJECT
public:
    explicit TExpander(QWidget *Parent = nullptr);
    QWidget *Content() const { return FContent; }
    bool IsExpanded() const { return FIsExpanded; }
    void SetIsExpanded(bool Value);
    QString Text() const { return FText; }
    // Plain text: section titles may come from the network.
    void SetText(const QString &Value);

private:
    void PushToParts();

    QWidget *FContent;
    bool FIsExpanded = true;
    QString FText;
};
