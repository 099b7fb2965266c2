#pragma once

#include "ui/lists/TDynamicListBoxUnit.h"

#include <QColor>

class QAbstractScrollArea;

// A pooled list with an active row moved by the keyboard, a hovered row,
// row colours and wheel scrolling.
class TKeyScrolledListBox : public TDynamicListBox
{
    Q_OBJECT
public:
    // AScrollControl, when given, is the page around the list: the wheel scrolls it instead.
    TKeyScrolledListBox(QObject *Owner, QAbstractScrollArea *AScrollControl, TDynamicListPanelClass APanelClass,
        QScrollBar *AScrollBar, QWidget *AScrollBox);

    int ActiveItemIndex() const { return FActiveItemIndex; }
    void SetActiveItemIndex(int Value);
    int MouseInItemIndex() const { return FMouseInItemIndex; }
    void SetMouseInItemIndex(int Value);

    QColor DefaultItemColor = Qt::transparent;
    QColor ActiveItemColor = Qt::transparent;
    QColor MouseInItemColor;

    // Scrolls the least distance that shows row Index whole; -1 is ignored.
    void ScrollToItem(int Index);
    // The step of one wheel notch, in pixels.
    static constexpr int WheelStep = 20;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    // Returns whether the key was one of the list's.
    virtual bool ScrollBoxKeyDown(int Key);
    // The row under the pointer becomes the hovered one (unchanged when none is).
    void UpdateMouseInItem();

private:
    void RepaintIndices(int First, int Second);

    QPointer<QAbstractScrollArea> FScrollControl;
    int FActiveItemIndex = -1;
    int FMouseInItemIndex = -1;
};

class TKeyScrolledListPanel : public TDynamicListPanel
{
    Q_OBJECT
public:
    explicit TKeyScrolledListPanel(TDynamicListBox *AListBox);
    TKeyScrolledListBox *ListBox() const { return static_cast<TKeyScrolledListBox *>(TDynamicListPanel::ListBox()); }

    void UpdateContent() override { UpdateBackground(); }
    void DoClick() override;
    void DoMouseEnter() override;
    void DoMouseLeave() override;
    // Hover wins over active.
    virtual void UpdateBackground();
    QColor BackgroundColor() const { return FBackground; }

protected:
    void paintEvent(QPaintEvent *Event) override;

private:
    QColor FBackground = Qt::transparent;
};
