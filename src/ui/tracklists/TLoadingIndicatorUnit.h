#pragma once

#include <QPixmap>
#include <QWidget>

// The download ring of a track row: the percent done, or the completed mark
// at 100. The pointer on it counts as on its row.
class TLoadingIndicator : public QWidget
{
    Q_OBJECT
public:
    explicit TLoadingIndicator(QWidget *Parent);
    ~TLoadingIndicator() override;

    int Value() const { return FValue; }
    // 0..100; other values are ignored.
    void SetValue(int NewValue);
    qreal Opacity() const { return FOpacity; }
    // A transparent indicator lets the pointer through to what lies below.
    void SetOpacity(qreal NewOpacity);

protected:
    void paintEvent(QPaintEvent *Event) override;
    void enterEvent(QEnterEvent *Event) override;

private:
    int FValue = 0;
    qreal FOpacity = 1;
};
