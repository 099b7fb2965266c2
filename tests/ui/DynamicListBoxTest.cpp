// The pooled list box with real widgets, offscreen: pool sizes, recycling on
// scroll, resizing, keys, wheel and hover.
#include "ui/lists/TKeyScrolledListBoxUnit.h"

#include "UiTestSupport.h"

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {

// A row that counts how often it is painted.
class TCountingPanel : public TKeyScrolledListPanel
{
public:
    using TKeyScrolledListPanel::TKeyScrolledListPanel;
    static inline int Paints = 0;
    void UpdateContent() override
    {
        ++Paints;
        TKeyScrolledListPanel::UpdateContent();
    }
};

class DynamicListBoxTest : public TStyledTest
{
protected:
    QWidget Window;
    QWidget *Surface = new QWidget(&Window);
    QScrollBar *Bar = new QScrollBar(Qt::Vertical, &Window);
    std::unique_ptr<TKeyScrolledListBox> List;

    void Make(int Height, int Rows, int ItemHeight = 32)
    {
        Window.resize(320, Height);
        Surface->setGeometry(0, 0, 300, Height);
        Bar->setGeometry(300, 0, 20, Height);
        List = std::make_unique<TKeyScrolledListBox>(nullptr, nullptr, PanelClassOf<TCountingPanel>(), Bar, Surface);
        List->SetItemHeight(ItemHeight);
        List->Initialize();
        List->SetData(Rows);
        Window.show();
        TCountingPanel::Paints = 0;
    }

    // The pool panel showing Index, or null.
    TDynamicListPanel *PanelOf(int Index) const
    {
        for (auto *panel : List->ActualItems())
            if (panel->Index() == Index && !panel->isHidden())
                return panel;
        return nullptr;
    }

    int SurfacePanels() const { return int(Surface->findChildren<TDynamicListPanel *>().size()); }

    void CheckPoolIsConsecutive() const
    {
        const auto &pool = List->ActualItems();
        for (size_t i = 1; i < pool.size(); ++i) {
            EXPECT_EQ(pool[i]->Index(), pool[0]->Index() + int(i));
            EXPECT_EQ(pool[i]->y(), pool[0]->y() + int(i) * List->ItemHeight());
        }
    }
};

TEST_F(DynamicListBoxTest, PoolCoversTheSurfacePlusOneRow)
{
    struct TCase
    {
        int Height, ItemHeight, Pool;
    };
    for (const auto &c :
        {TCase {100, 32, 5}, TCase {96, 32, 4}, TCase {160, 32, 6}, TCase {600, 60, 11}, TCase {0, 24, 1}}) {
        Make(c.Height, 1000, c.ItemHeight);
        EXPECT_EQ(int(List->ActualItems().size()), c.Pool) << c.Height << " / " << c.ItemHeight;
        EXPECT_EQ(SurfacePanels(), c.Pool);
        List.reset();
    }
}

TEST_F(DynamicListBoxTest, FewRowsShowFromTheTopWithTheScrollBarOff)
{
    Make(160, 3);
    ASSERT_EQ(List->ActualItems().size(), 6u);
    EXPECT_FALSE(Bar->isEnabled());
    for (int i = 0; i < 6; ++i) {
        auto *panel = List->ActualItems()[size_t(i)];
        EXPECT_EQ(panel->isHidden(), i >= 3) << i;
        if (i < 3) {
            EXPECT_EQ(panel->y(), i * 32);
        }
    }
}

TEST_F(DynamicListBoxTest, LessThanARowMovesEveryPanelWithoutPainting)
{
    Make(100, 50);
    ASSERT_TRUE(Bar->isEnabled());
    Bar->setValue(10); // the range maps pixel for pixel
    EXPECT_EQ(TCountingPanel::Paints, 0);
    EXPECT_EQ(List->ActualItems().front()->Index(), 0);
    EXPECT_EQ(List->ActualItems().front()->y(), -10);
    CheckPoolIsConsecutive();
}

TEST_F(DynamicListBoxTest, OneRowDownOrUpRecyclesExactlyOnePanel)
{
    Make(100, 50);
    auto *head = List->ActualItems().front();
    Bar->setValue(32);
    EXPECT_EQ(TCountingPanel::Paints, 1);
    EXPECT_EQ(List->ActualItems().back(), head) << "the head went to the tail";
    EXPECT_EQ(head->Index(), 5);
    EXPECT_EQ(List->ActualItems().front()->y(), 0);
    CheckPoolIsConsecutive();

    Bar->setValue(20);
    EXPECT_EQ(TCountingPanel::Paints, 2);
    EXPECT_EQ(List->ActualItems().front(), head) << "and back to the head";
    EXPECT_EQ(head->Index(), 0);
    EXPECT_EQ(head->y(), -20);
    CheckPoolIsConsecutive();
}

TEST_F(DynamicListBoxTest, AJumpRepaintsThePoolOnce)
{
    Make(100, 50);
    Bar->setValue(10 * 32 + 7);
    EXPECT_EQ(TCountingPanel::Paints, int(List->ActualItems().size()));
    EXPECT_EQ(List->ActualItems().front()->Index(), 10);
    EXPECT_EQ(List->ActualItems().front()->y(), -7);
    CheckPoolIsConsecutive();
}

TEST_F(DynamicListBoxTest, AHundredThousandRowsKeepTheSamePanelsAnywhere)
{
    Make(480, 100000);
    const int pool = int(List->ActualItems().size());
    EXPECT_EQ(pool, 16);
    for (int value : {1, 33, 64, 5000, 1600000, Bar->maximum() - 1, Bar->maximum(), 0}) {
        Bar->setValue(value);
        EXPECT_EQ(SurfacePanels(), pool);
        EXPECT_EQ(List->ActualItems().front()->Index(), value / 32) << value;
        CheckPoolIsConsecutive();
    }
    // Paging down a row at a time paints one row per step.
    Bar->setValue(0);
    TCountingPanel::Paints = 0;
    for (int row = 1; row <= 200; ++row)
        Bar->setValue(row * 32);
    EXPECT_EQ(TCountingPanel::Paints, 200);
}

TEST_F(DynamicListBoxTest, TheEndShowsTheLastRowWhole)
{
    Make(100, 50);
    QTest::keyClick(Surface, Qt::Key_End);
    EXPECT_EQ(List->ActiveItemIndex(), 49);
    auto *last = PanelOf(49);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->y() + last->height(), 100);
}

TEST_F(DynamicListBoxTest, EnlargingAtTheEndSlidesTheRowsDown)
{
    Make(100, 50);
    Bar->setValue(Bar->maximum());
    Surface->resize(300, 190);
    auto *last = PanelOf(49);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->y() + last->height(), 190) << "no empty strip below the last row";
    EXPECT_EQ(int(List->ActualItems().size()), List->GetVisiblePanelsCount());
    CheckPoolIsConsecutive();
}

TEST_F(DynamicListBoxTest, EnlargingPastAllRowsShowsThemFromTheTop)
{
    Make(100, 6);
    Bar->setValue(Bar->maximum());
    Surface->resize(300, 400);
    EXPECT_FALSE(Bar->isEnabled());
    for (int row = 0; row < 6; ++row) {
        auto *panel = PanelOf(row);
        ASSERT_NE(panel, nullptr) << row;
        EXPECT_EQ(panel->y(), row * 32);
    }
}

TEST_F(DynamicListBoxTest, ShrinkingFreesPanelsAndKeepsTheRowsInView)
{
    Make(480, 1000);
    Bar->setValue(32 * 100 + 5);
    Surface->resize(300, 100);
    EXPECT_EQ(SurfacePanels(), 5);
    EXPECT_EQ(List->ActualItems().front()->Index(), 100);
    EXPECT_EQ(List->ActualItems().front()->y(), -5);
}

TEST_F(DynamicListBoxTest, PageDownEndAndHome)
{
    Make(100, 50);
    List->SetActiveItemIndex(0);
    QTest::keyClick(Surface, Qt::Key_PageDown);
    EXPECT_EQ(List->ActiveItemIndex(), 3);
    auto *active = PanelOf(3);
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->y() + active->height(), 100) << "scrolled to the bottom edge";

    QTest::keyClick(Surface, Qt::Key_End);
    QTest::keyClick(Surface, Qt::Key_Home);
    EXPECT_EQ(List->ActiveItemIndex(), 0);
    ASSERT_NE(PanelOf(0), nullptr);
    EXPECT_EQ(PanelOf(0)->y(), 0);
}

TEST_F(DynamicListBoxTest, KeysInAnEmptyList)
{
    Make(100, 0);
    QTest::keyClick(Surface, Qt::Key_End);
    EXPECT_EQ(List->ActiveItemIndex(), -1);
    QTest::keyClick(Surface, Qt::Key_Up);
    EXPECT_EQ(List->ActiveItemIndex(), 0);
    QTest::keyClick(Surface, Qt::Key_Home);
    EXPECT_EQ(List->ActiveItemIndex(), 0);

    for (auto *panel : List->ActualItems())
        EXPECT_TRUE(panel->isHidden());
}

TEST_F(DynamicListBoxTest, HoverWinsOverActive)
{
    Make(100, 50);
    List->ActiveItemColor = Qt::darkGreen;
    List->DefaultItemColor = Qt::black;
    List->RepaintActualItems();
    List->SetActiveItemIndex(2);
    auto *row = static_cast<TKeyScrolledListPanel *>(PanelOf(2));
    EXPECT_EQ(row->BackgroundColor(), QColor(Qt::darkGreen));
    List->SetMouseInItemIndex(2);
    EXPECT_EQ(row->BackgroundColor(), List->MouseInItemColor);
    List->SetMouseInItemIndex(-1);
    EXPECT_EQ(row->BackgroundColor(), QColor(Qt::darkGreen));
    EXPECT_EQ(static_cast<TKeyScrolledListPanel *>(PanelOf(1))->BackgroundColor(), QColor(Qt::black));
}

TEST_F(DynamicListBoxTest, TheWheelScrollsTwentyPixelsANotch)
{
    Make(100, 50);
    const QPointF at(10, 10);
    QWheelEvent down(at, Surface->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(Surface, &down);
    EXPECT_EQ(Bar->value(), 20);
    QWheelEvent up(
        at, Surface->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Surface, &up);
    EXPECT_EQ(Bar->value(), 0);
}

TEST_F(DynamicListBoxTest, AClickMakesTheRowActiveAndFocusesTheList)
{
    Make(100, 50);
    QApplication::setActiveWindow(&Window);
    QTest::mouseClick(PanelOf(1), Qt::LeftButton);
    EXPECT_EQ(List->ActiveItemIndex(), 1);
    EXPECT_TRUE(Surface->hasFocus());
}

} // namespace

// A list on a page not yet seen has no panels; shown, it fits the size the
// page was given meanwhile and shows the rows it was given.
TEST_F(DynamicListBoxTest, AListInitializedWhenShownBuildsItsPoolAtTheFirstShow)
{
    Window.resize(320, 100);
    Surface->setGeometry(0, 0, 300, 100);
    List = std::make_unique<TKeyScrolledListBox>(nullptr, nullptr, PanelClassOf<TCountingPanel>(), Bar, Surface);
    List->InitializeWhenShown();
    List->SetData(50);
    EXPECT_FALSE(List->IsInitialized());
    EXPECT_EQ(SurfacePanels(), 0);
    Surface->resize(300, 160);
    Window.show();
    EXPECT_TRUE(List->IsInitialized());
    EXPECT_EQ(int(List->ActualItems().size()), 6);
    EXPECT_NE(PanelOf(0), nullptr);
    EXPECT_TRUE(Bar->isEnabled());
    CheckPoolIsConsecutive();
    // Shown again later: the same pool.
    Window.hide();
    Window.show();
    EXPECT_EQ(SurfacePanels(), 6);
    EXPECT_THROW(List->InitializeWhenShown(), Exception);
}

TEST_F(DynamicListBoxTest, MisuseIsRefusedAndLeavesTheListWorking)
{
    Make(100, 50);
    EXPECT_THROW(List->Initialize(), Exception);
    EXPECT_THROW(List->SetItemHeight(24), Exception);
    EXPECT_EQ(int(List->ActualItems().size()), 5);
    EXPECT_EQ(SurfacePanels(), 5);
    EXPECT_EQ(List->ItemHeight(), 32);

    TKeyScrolledListBox fresh(nullptr, nullptr, PanelClassOf<TCountingPanel>(), nullptr, nullptr);
    for (const int height : {0, -32})
        EXPECT_THROW(fresh.SetItemHeight(height), Exception) << height;
    EXPECT_THROW(fresh.Initialize(), Exception) << "no surface to build on";
    EXPECT_FALSE(fresh.IsInitialized());
}

TEST_F(DynamicListBoxTest, ASurfaceThatGoesTakesThePoolAndTheListStaysSafe)
{
    Make(100, 50);
    delete Surface;
    Surface = nullptr;
    EXPECT_TRUE(List->ActualItems().empty());
    EXPECT_FALSE(List->IsInitialized());
    // Every call after it finds no panel to touch (under ASan a stale panel would show).
    List->SetData(80);
    List->RepaintActualItems();
    List->RepaintItemByIndex(3);
    Bar->setValue(Bar->maximum());
    List->ScrollToItem(40);

    // A new surface takes a new pool.
    auto *surface = new QWidget(&Window);
    surface->setGeometry(0, 0, 300, 64);
    List->SetScrollBox(surface);
    List->Initialize();
    List->SetData(80);
    EXPECT_EQ(int(List->ActualItems().size()), 3);
    EXPECT_FALSE(List->ActualItems().front()->isHidden());
}

TEST_F(DynamicListBoxTest, MovingToAnotherSurfaceTakesThePoolAlong)
{
    Make(100, 50);
    auto *taller = new QWidget(&Window);
    taller->setGeometry(0, 0, 300, 160);
    taller->show();
    List->SetScrollBox(taller);
    EXPECT_EQ(SurfacePanels(), 0);
    EXPECT_EQ(int(taller->findChildren<TDynamicListPanel *>().size()), 6);
    EXPECT_EQ(int(List->ActualItems().size()), 6);
    for (auto *panel : List->ActualItems())
        EXPECT_EQ(panel->parentWidget(), taller);
    EXPECT_NE(PanelOf(0), nullptr);
    List->SetScrollBox(nullptr);
    EXPECT_TRUE(List->ActualItems().empty());
    EXPECT_TRUE(taller->findChildren<TDynamicListPanel *>().isEmpty());
}
