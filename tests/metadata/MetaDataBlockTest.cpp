#include "metadata/blocks/TMetaDataBlockUnit.h"
#include "metadata/blocks/TMetaDataBlockViewUnit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Writes what the view was told, one letter each: S started, F finished, U update.
class TRecordingView : public TMetaDataBlockView
{
public:
    std::string Calls;

protected:
    void UpdateView() override { Calls += 'U'; }
    void LoadingStarted() override { Calls += 'S'; }
    void LoadingFinished() override { Calls += 'F'; }
};

} // namespace

TEST(MetaDataBlock, AViewHearsEachChangeOnceInOrderAndLeavingLoadingEndsIt)
{
    TMetaDataBlock block;
    TRecordingView view;
    view.SetData(&block);

    block.SetState(mdsCleared);
    block.SetState(mdsLoading);
    block.SetState(mdsLoading); // repeated: nothing
    block.SetState(mdsServiceError);
    block.SetState(7); // a family's own code
    EXPECT_EQ(view.Calls, "USUFUU");
    EXPECT_EQ(block.State(), 7);
    EXPECT_EQ(block.PreviousState(), mdsServiceError);
}

TEST(MetaDataBlock, AViewLetsGoOfItsOldBlockAndOfItsBlockWhenItGoes)
{
    TMetaDataBlock first, second;
    {
        TRecordingView view;
        view.SetData(&first);
        view.SetData(&second);
        first.SetState(mdsLoading);
        EXPECT_EQ(view.Calls, "");
        second.SetState(mdsLoading);
        EXPECT_EQ(view.Calls, "SU");
        EXPECT_FALSE(first.OnStateChanged);
    }
    // The view is gone: a change must not reach it.
    EXPECT_FALSE(second.OnStateChanged);
    second.SetState(mdsLoaded);
}

TEST(MetaDataBlock, AViewThatMovesOnLeavesTheListenerOfAViewThatTookItsBlock)
{
    // Pooled rows hand blocks around: row one shows the block, row two takes
    // it over, then row one moves on to another block.
    TMetaDataBlock shared, other;
    TRecordingView one, two;
    one.SetData(&shared);
    two.SetData(&shared);
    one.SetData(&other);
    shared.SetState(mdsLoading);
    EXPECT_EQ(two.Calls, "SU");
    EXPECT_EQ(one.Calls, "");
    {
        TRecordingView gone;
        gone.SetData(&other);
        one.SetData(nullptr);
    }
    // The view that took the block last went: nobody listens any more.
    EXPECT_FALSE(other.OnStateChanged);
    two.SetData(nullptr);
    EXPECT_FALSE(shared.OnStateChanged);
}
