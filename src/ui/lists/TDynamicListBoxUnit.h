#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QWidget>

#include <functional>
#include <vector>

class QScrollBar;
class TDynamicListBox;

// One pooled row: shows the row Index of its list box, and is re-targeted at
// other rows as the list scrolls.
class TDynamicListPanel : public QWidget, public TObject
{
    Q_OBJECT
public:
    explicit TDynamicListPanel(TDynamicListBox *AListBox);

    TDynamicListBox *ListBox() const { return FListBox; }
    int Index() const { return FIndex; }
    // Past the end the panel hides and paints nothing.
    void SetIndex(int Value);
    void Repaint() { SetIndex(FIndex); }

    // Paints row Index from the list box's data; must be cheap.
    virtual void UpdateContent() = 0;
    virtual void DoClick() { }
    virtual void DoDblClick() { }
    virtual void DoMouseEnter() { }
    virtual void DoMouseLeave() { }

protected:
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void enterEvent(QEnterEvent *Event) override;
    void leaveEvent(QEvent *Event) override;

private:
    TDynamicListBox *FListBox;
    int FIndex = -1;
};

// The panel class a list box makes its rows from.
using TDynamicListPanelClass = std::function<TDynamicListPanel *(TDynamicListBox *ListBox)>;
template<class TPanel> TDynamicListPanelClass PanelClassOf()
{
    return [](TDynamicListBox *ListBox) -> TDynamicListPanel * { return new TPanel(ListBox); };
}

// Text of a row: plain text (titles come from the network); clicks go to the row.
class TDynamicListLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TDynamicListLabel(TDynamicListPanel *AParentPanel);
    TDynamicListPanel *ParentPanel() const { return FParentPanel; }
    // Text cut to MaxWidth with this label's font, ending in "…".
    QString CropText(const QString &Text, bool &IsTextCropped, int MaxWidth) const;
    QString CropText(const QString &Text, int MaxWidth) const;

private:
    TDynamicListPanel *FParentPanel;
};

// A button of a row; the row stays hovered while the pointer is on it.
class TDynamicListButton : public QPushButton
{
    Q_OBJECT
public:
    explicit TDynamicListButton(TDynamicListPanel *AParentPanel);
    TDynamicListPanel *ParentPanel() const { return FParentPanel; }

protected:
    void enterEvent(QEnterEvent *Event) override;

private:
    TDynamicListPanel *FParentPanel;
};

// A list of any length over a small pool of row panels that covers the
// visible height; scrolling re-targets the pool instead of making rows.
class TDynamicListBox : public QObject, public TObject
{
    Q_OBJECT
public:
    TDynamicListBox(QObject *Owner, TDynamicListPanelClass APanelClass, QScrollBar *AScrollBar, QWidget *AScrollBox);
    ~TDynamicListBox() override;

    // Row height in pixels: positive, and set before Initialize.
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int Value);
    // The surface height seen at the last layout.
    double LastScrollBoxHeight() const { return FLastScrollBoxHeight; }
    // Raised at the end of every scroll handling.
    TNotifyEvent AfterScrollBarChange;

    QWidget *ScrollBox() const { return FScrollBox; }
    void SetScrollBox(QWidget *Value);
    QScrollBar *ScrollBar() const { return FScrollBar; }
    void SetScrollBar(QScrollBar *Value);

    // The pool, top to bottom on screen.
    const std::vector<TDynamicListPanel *> &ActualItems() const { return FActualItems; }

    virtual int GetItemsCount() const { return FItemsCount; }
    int ItemsCount() const { return GetItemsCount(); }
    virtual qint64 GetTotalItemsHeight() const { return qint64(ItemsCount()) * FItemHeight; }
    qint64 TotalItemsHeight() const { return GetTotalItemsHeight(); }
    virtual void SetData(int AItemsCount);

    // Builds the pool on the scroll box; once, after the item height is set.
    void Initialize();
    // Initialize, with the rows shown, when the scroll box is first shown: a
    // list on a page or pop-up not yet seen costs nothing at start.
    void InitializeWhenShown();
    bool IsInitialized() const { return FInitialized; }
    // Shows the rows from the top again; after every change of the row count.
    void RefreshData();
    void RepaintActualItems();
    void RepaintItemByIndex(int Index);
    int GetVisiblePanelsCount() const;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    virtual void ScrollBarChange();
    void ScrollBoxResize();
    double SurfaceHeight() const;
    // Y of the content's top against the surface: H − T .. 0.
    double ContentOffset() const;
    // The scroll bar value that puts the content's top at Offset.
    int ValueForOffset(double Offset) const;
    void ConfigureScrollBar();

private:
    TDynamicListPanel *NewPanel();
    void PlaceFromTop();
    // The panels went with their surface.
    void ForgetPool();

    QPointer<QWidget> FScrollBox;
    QPointer<QScrollBar> FScrollBar;
    TDynamicListPanelClass FPanelClass;
    std::vector<TDynamicListPanel *> FActualItems;
    int FItemsCount = 0;
    int FItemHeight = 32;
    double FLastScrollBoxHeight = 0;
    bool FInitialized = false;
    bool FInitializeWhenShown = false;
};
