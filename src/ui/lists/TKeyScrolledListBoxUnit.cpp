#include "ui/lists/TKeyScrolledListBoxUnit.h"

#include "ui/StyleResourceUnit.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

TKeyScrolledListBox::TKeyScrolledListBox(QObject *Owner, QAbstractScrollArea *AScrollControl,
    TDynamicListPanelClass APanelClass, QScrollBar *AScrollBar, QWidget *AScrollBox) :
      TDynamicListBox(Owner, std::move(APanelClass), AScrollBar, AScrollBox),
      MouseInItemColor(StyleColor(TStyleColor::Hover)), FScrollControl(AScrollControl)
{
    if (AScrollBox)
        AScrollBox->setFocusPolicy(Qt::StrongFocus);
}

void TKeyScrolledListBox::RepaintIndices(int First, int Second)
{
    for (auto *panel : ActualItems())
        if (panel->Index() == First || panel->Index() == Second)
            panel->Repaint();
}

void TKeyScrolledListBox::SetActiveItemIndex(int Value)
{
    // Compared before the bounds, so End in an empty list leaves it at -1.
    if (Value == FActiveItemIndex)
        return;
    if (Value < 0)
        Value = 0;
    else if (Value > ItemsCount() - 1)
        Value = ItemsCount() - 1;
    if (Value == FActiveItemIndex)
        return;
    const int old = FActiveItemIndex;
    FActiveItemIndex = Value;
    RepaintIndices(Value, old);
}

void TKeyScrolledListBox::SetMouseInItemIndex(int Value)
{
    if (Value == FMouseInItemIndex)
        return;
    const int old = FMouseInItemIndex;
    FMouseInItemIndex = Value;
    RepaintIndices(Value, old);
}

bool TKeyScrolledListBox::ScrollBoxKeyDown(int Key)
{
    const int page = int(std::trunc(SurfaceHeight() / ItemHeight()));
    int active = 0;
    switch (Key) {
    case Qt::Key_Down:
        active = FActiveItemIndex + 1;
        break;
    case Qt::Key_Up:
        active = FActiveItemIndex - 1;
        break;
    case Qt::Key_PageDown:
        active = FActiveItemIndex + page;
        break;
    case Qt::Key_PageUp:
        active = FActiveItemIndex - page;
        break;
    case Qt::Key_End:
        active = ItemsCount() - 1;
        break;
    case Qt::Key_Home:
        active = 0;
        break;
    default:
        return false;
    }
    SetActiveItemIndex(active);
    ScrollToItem(FActiveItemIndex);
    UpdateMouseInItem();
    return true;
}

void TKeyScrolledListBox::UpdateMouseInItem()
{
    if (!ScrollBox())
        return;
    const QPoint pointer = ScrollBox()->mapFromGlobal(QCursor::pos());
    for (auto *panel : ActualItems())
        if (!panel->isHidden() && panel->geometry().contains(pointer)) {
            SetMouseInItemIndex(panel->Index());
            return;
        }
}

bool TKeyScrolledListBox::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == ScrollBox()) {
        if (Event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(Event);
            if (key->modifiers() == Qt::NoModifier && ScrollBoxKeyDown(key->key()))
                return true;
        } else if (Event->type() == QEvent::Wheel) {
            const int delta = static_cast<QWheelEvent *>(Event)->angleDelta().y();
            if (delta != 0) {
                const int step = delta < 0 ? WheelStep : -WheelStep;
                if (FScrollControl)
                    FScrollControl->verticalScrollBar()->setValue(FScrollControl->verticalScrollBar()->value() + step);
                else if (ScrollBar())
                    ScrollBar()->setValue(ScrollBar()->value() + step);
            }
            UpdateMouseInItem();
            Event->accept();
            return true;
        }
    }
    return TDynamicListBox::eventFilter(Watched, Event);
}

void TKeyScrolledListBox::ScrollToItem(int Index)
{
    const double H = SurfaceHeight();
    if (Index == -1 || TotalItemsHeight() <= H || !ScrollBar())
        return;
    const double offset = std::abs(ContentOffset());
    const int IH = ItemHeight();
    // Rounded to whole pixels, as the rows are placed.
    const double shown = std::round(offset);
    const int firstWhole = int(std::ceil(shown / IH));
    const int lastWhole = int(std::trunc((H + shown) / IH)) - 1;
    double wanted;
    if (Index < firstWhole)
        wanted = -double(Index) * IH;
    else if (Index > lastWhole)
        wanted = H - double(Index + 1) * IH;
    else
        return;
    ScrollBar()->setValue(ValueForOffset(wanted));
}

TKeyScrolledListPanel::TKeyScrolledListPanel(TDynamicListBox *AListBox) : TDynamicListPanel(AListBox)
{
}

void TKeyScrolledListPanel::DoClick()
{
    if (ListBox()->ScrollBox())
        ListBox()->ScrollBox()->setFocus(Qt::MouseFocusReason);
    ListBox()->SetActiveItemIndex(Index());
}

void TKeyScrolledListPanel::DoMouseEnter()
{
    ListBox()->SetMouseInItemIndex(Index());
}

void TKeyScrolledListPanel::DoMouseLeave()
{
    ListBox()->SetMouseInItemIndex(-1);
}

void TKeyScrolledListPanel::UpdateBackground()
{
    const auto *list = ListBox();
    if (Index() == list->MouseInItemIndex())
        FBackground = list->MouseInItemColor;
    else if (Index() == list->ActiveItemIndex())
        FBackground = list->ActiveItemColor;
    else
        FBackground = list->DefaultItemColor;
    update();
}

void TKeyScrolledListPanel::paintEvent(QPaintEvent *)
{
    if (FBackground.alpha() == 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), FBackground);
}
