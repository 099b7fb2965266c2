#include "ui/lists/TDynamicListBoxUnit.h"

#include "app/helpers/TextUtilsUnit.h"

#include <QEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <cmath>

TDynamicListPanel::TDynamicListPanel(TDynamicListBox *AListBox) : QWidget(AListBox->ScrollBox()), FListBox(AListBox)
{
    setAttribute(Qt::WA_StyledBackground);
    hide();
}

void TDynamicListPanel::SetIndex(int Value)
{
    FIndex = Value;
    const int count = FListBox->ItemsCount();
    if (Value > count - 1) {
        hide();
        return;
    }
    if (isHidden())
        show();
    if (Value >= 0)
        UpdateContent();
}

void TDynamicListPanel::mousePressEvent(QMouseEvent *Event)
{
    Event->accept();
}

void TDynamicListPanel::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        DoClick();
}

void TDynamicListPanel::mouseDoubleClickEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton)
        DoDblClick();
}

void TDynamicListPanel::enterEvent(QEnterEvent *)
{
    DoMouseEnter();
}

void TDynamicListPanel::leaveEvent(QEvent *)
{
    DoMouseLeave();
}

TDynamicListLabel::TDynamicListLabel(TDynamicListPanel *AParentPanel) : QLabel(AParentPanel), FParentPanel(AParentPanel)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    // Clicks and double clicks on the text act on the row.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QString TDynamicListLabel::CropText(const QString &Text, bool &IsTextCropped, int MaxWidth) const
{
    return CropTextByWidth(*this, Text, MaxWidth, IsTextCropped);
}

QString TDynamicListLabel::CropText(const QString &Text, int MaxWidth) const
{
    bool cropped = false;
    return CropText(Text, cropped, MaxWidth);
}

TDynamicListButton::TDynamicListButton(TDynamicListPanel *AParentPanel) :
      QPushButton(AParentPanel), FParentPanel(AParentPanel)
{
}

void TDynamicListButton::enterEvent(QEnterEvent *Event)
{
    QPushButton::enterEvent(Event);
    FParentPanel->DoMouseEnter();
}

TDynamicListBox::TDynamicListBox(
    QObject *Owner, TDynamicListPanelClass APanelClass, QScrollBar *AScrollBar, QWidget *AScrollBox) :
      QObject(Owner),
      FPanelClass(std::move(APanelClass))
{
    SetScrollBox(AScrollBox);
    SetScrollBar(AScrollBar);
}

TDynamicListBox::~TDynamicListBox()
{
    // A surface that went first took the panels with it (ForgetPool).
    for (auto *panel : FActualItems)
        delete panel;
}

void TDynamicListBox::SetScrollBox(QWidget *Value)
{
    if (FScrollBox == Value)
        return;
    if (FScrollBox) {
        FScrollBox->removeEventFilter(this);
        disconnect(FScrollBox, nullptr, this, nullptr);
    }
    FScrollBox = Value;
    if (!FScrollBox) {
        // Without a surface there is nothing to lay the rows on.
        for (auto *panel : FActualItems)
            delete panel;
        ForgetPool();
        return;
    }
    FScrollBox->installEventFilter(this);
    connect(FScrollBox, &QObject::destroyed, this, [this] { ForgetPool(); });
    for (auto *panel : FActualItems)
        panel->setParent(FScrollBox);
    if (FInitialized)
        ScrollBoxResize();
}

void TDynamicListBox::ForgetPool()
{
    FActualItems.clear();
    FInitialized = false;
}

void TDynamicListBox::SetItemHeight(int Value)
{
    if (Value <= 0)
        throw Exception(QStringLiteral("Item height must be positive"));
    if (FInitialized)
        throw Exception(QStringLiteral("Item height is set before the list box is initialized"));
    FItemHeight = Value;
}

void TDynamicListBox::SetScrollBar(QScrollBar *Value)
{
    if (FScrollBar)
        disconnect(FScrollBar, nullptr, this, nullptr);
    FScrollBar = Value;
    if (FScrollBar)
        connect(FScrollBar, &QScrollBar::valueChanged, this, [this] { ScrollBarChange(); });
}

bool TDynamicListBox::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FScrollBox && Event->type() == QEvent::Resize)
        ScrollBoxResize();
    else if (Watched == FScrollBox && Event->type() == QEvent::Show && FInitializeWhenShown && !FInitialized) {
        // Laid out by now: the pool fits the surface as it is seen.
        FInitializeWhenShown = false;
        Initialize();
        RefreshData();
    }
    return QObject::eventFilter(Watched, Event);
}

double TDynamicListBox::SurfaceHeight() const
{
    return FScrollBox ? FScrollBox->height() : 0;
}

int TDynamicListBox::GetVisiblePanelsCount() const
{
    const double rows = SurfaceHeight() / FItemHeight;
    return int(std::trunc(rows)) + (rows - std::trunc(rows) > 0 ? 1 : 0) + 1;
}

TDynamicListPanel *TDynamicListBox::NewPanel()
{
    auto *panel = FPanelClass(this);
    panel->setParent(FScrollBox);
    panel->resize(FScrollBox->width(), FItemHeight);
    return panel;
}

void TDynamicListBox::Initialize()
{
    if (FInitialized)
        throw Exception(QStringLiteral("List box is initialized already"));
    if (!FScrollBox)
        throw Exception(QStringLiteral("List box has no scroll box"));
    FLastScrollBoxHeight = SurfaceHeight();
    const int count = GetVisiblePanelsCount();
    for (int i = 0; i < count; ++i) {
        auto *panel = NewPanel();
        panel->move(0, i * FItemHeight);
        panel->hide();
        FActualItems.push_back(panel);
    }
    FInitialized = true;
}

void TDynamicListBox::InitializeWhenShown()
{
    if (FInitialized)
        throw Exception(QStringLiteral("List box is initialized already"));
    if (!FScrollBox)
        throw Exception(QStringLiteral("List box has no scroll box"));
    if (FScrollBox->isVisible()) {
        Initialize();
        RefreshData();
    } else {
        FInitializeWhenShown = true;
    }
}

void TDynamicListBox::SetData(int AItemsCount)
{
    FItemsCount = AItemsCount;
    RefreshData();
}

// The scroll bar's range is 0 .. Max − ViewportSize, with Max the content
// height and ViewportSize the surface height.
void TDynamicListBox::ConfigureScrollBar()
{
    if (!FScrollBar)
        return;
    const double H = SurfaceHeight();
    const qint64 T = TotalItemsHeight();
    const QSignalBlocker blocker(FScrollBar);
    if (T > H) {
        FScrollBar->setEnabled(true);
        const int viewport = int(std::lround(H));
        FScrollBar->setRange(0, int(T - viewport));
        FScrollBar->setPageStep(viewport);
        FScrollBar->setSingleStep(FItemHeight);
    } else {
        FScrollBar->setEnabled(false);
        FScrollBar->setRange(0, 0);
    }
}

void TDynamicListBox::PlaceFromTop()
{
    for (size_t i = 0; i < FActualItems.size(); ++i) {
        FActualItems[i]->move(0, int(i) * FItemHeight);
        FActualItems[i]->SetIndex(int(i));
    }
}

void TDynamicListBox::RefreshData()
{
    if (!FInitialized)
        return;
    for (size_t i = 0; i < FActualItems.size(); ++i)
        FActualItems[i]->SetIndex(int(i));
    const bool scrolled = FScrollBar && FScrollBar->value() != 0;
    ConfigureScrollBar();
    if (TotalItemsHeight() <= SurfaceHeight() || scrolled) {
        if (FScrollBar) {
            const QSignalBlocker blocker(FScrollBar);
            FScrollBar->setValue(0);
        }
        ScrollBarChange();
    }
    for (size_t i = 0; i < FActualItems.size(); ++i)
        FActualItems[i]->move(0, int(i) * FItemHeight);
}

double TDynamicListBox::ContentOffset() const
{
    const double H = SurfaceHeight();
    const qint64 T = TotalItemsHeight();
    if (!FScrollBar || T <= H || FScrollBar->maximum() <= 0)
        return 0;
    return (H - T) * FScrollBar->value() / FScrollBar->maximum();
}

int TDynamicListBox::ValueForOffset(double Offset) const
{
    const double H = SurfaceHeight();
    const qint64 T = TotalItemsHeight();
    if (!FScrollBar || T <= H)
        return 0;
    return int(std::lround(Offset * FScrollBar->maximum() / (H - T)));
}

void TDynamicListBox::ScrollBarChange()
{
    if (FInitialized && TotalItemsHeight() > SurfaceHeight() && !FActualItems.empty()) {
        const double O = ContentOffset();
        const int IH = FItemHeight;
        const int a = int(std::trunc(std::abs(O) / IH));
        const double S = O - std::trunc(O / IH) * IH;
        auto *head = FActualItems.front();
        if (a != head->Index()) {
            const int n = std::abs(a - head->Index());
            if (n > 1) {
                for (size_t i = 0; i < FActualItems.size(); ++i)
                    FActualItems[i]->SetIndex(a + int(i));
            } else if (a > head->Index()) {
                // The head goes below the tail: one panel repaints.
                auto *tail = FActualItems.back();
                FActualItems.erase(FActualItems.begin());
                head->move(0, tail->y() + IH);
                head->SetIndex(tail->Index() + 1);
                FActualItems.push_back(head);
            } else {
                auto *tail = FActualItems.back();
                FActualItems.pop_back();
                tail->move(0, head->y() - IH);
                tail->SetIndex(head->Index() - 1);
                FActualItems.insert(FActualItems.begin(), tail);
            }
        }
        for (size_t i = 0; i < FActualItems.size(); ++i)
            FActualItems[i]->move(0, int(std::lround(S)) + int(i) * IH);
    }
    if (AfterScrollBarChange)
        AfterScrollBarChange(this);
}

void TDynamicListBox::ScrollBoxResize()
{
    if (!FInitialized || FActualItems.empty())
        return;
    const size_t count = size_t(GetVisiblePanelsCount());
    while (FActualItems.size() > count) {
        delete FActualItems.back();
        FActualItems.pop_back();
    }
    while (FActualItems.size() < count) {
        auto *tail = FActualItems.back();
        auto *panel = NewPanel();
        panel->move(0, tail->y() + tail->height());
        FActualItems.push_back(panel);
        panel->SetIndex(tail->Index() + 1);
    }
    const double H = SurfaceHeight();
    const qint64 T = TotalItemsHeight();
    if (T > H) {
        auto *head = FActualItems.front();
        const double offset = head->y() - double(head->Index()) * FItemHeight;
        ConfigureScrollBar();
        // Keeps the same rows in view.
        if (FScrollBar)
            FScrollBar->setValue(ValueForOffset(offset));
        if (H > FLastScrollBoxHeight) {
            TDynamicListPanel *last = nullptr;
            for (auto *panel : FActualItems)
                if (!panel->isHidden() && (!last || panel->Index() > last->Index()))
                    last = panel;
            // The last row is on screen with a gap below it: slide the rows down.
            if (last && last->Index() == ItemsCount() - 1 && last->y() + last->height() <= H)
                ScrollBarChange();
        }
    } else {
        ConfigureScrollBar();
        // Everything fits now: show it from the top, or rows above the
        // surface would stay out of reach with the scroll bar off.
        PlaceFromTop();
    }
    FLastScrollBoxHeight = H;
    for (auto *panel : FActualItems) {
        panel->resize(FScrollBox->width(), FItemHeight);
        panel->Repaint();
    }
}

void TDynamicListBox::RepaintActualItems()
{
    for (auto *panel : FActualItems)
        panel->Repaint();
}

void TDynamicListBox::RepaintItemByIndex(int Index)
{
    if (Index == -1)
        return;
    for (auto *panel : FActualItems)
        if (panel->Index() == Index) {
            panel->Repaint();
            return;
        }
}
