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
