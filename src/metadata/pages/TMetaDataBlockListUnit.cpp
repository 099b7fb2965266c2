#include "metadata/pages/TMetaDataBlockListUnit.h"

#include <algorithm>

bool TImageMetaDataBlockList::IsComplete() const
{
    for (int i = 0; i < ActiveItemsCount(); ++i)
        if (getItem(i).ImageData.State() == mdsLoading)
            return false;
    return State() == mdsLoaded;
}

void TImageMetaDataBlockList::DoStateChanged()
{
    if (State() == mdsCleared || State() == mdsRequestFailed || State() == mdsServiceError
        || State() == mdsInvalidQuery)
        SetActiveItemsCount(0);
    TMetaDataBlockList::DoStateChanged();
}

void TImageMetaDataBlockList::SetActiveItemsCount(int Value)
{
    FActiveItemsCount = Value;
    for (int i = Value; i < Count(); ++i)
        getItem(i).ImageData.Hide();
}

void TImageMetaDataBlockList::FillItems(
    int ItemCount, const std::function<const TLastFMImagesRecord &(int Index)> &FillItem)
{
    ItemCount = std::max(ItemCount, 0);
    while (Count() < ItemCount)
        AddItem(CreateItem());
    SetActiveItemsCount(ItemCount);
    SetState(mdsItemsChanged);
    for (int i = 0; i < ItemCount; ++i)
        getItem(i).ImageData.SetLastFMImagesData(FillItem(i));
}

void TImageMetaDataBlockList::ShowSearchAnswer(const TAPIRequestInvoker &Invoker, const std::function<void()> &Fill)
{
    const TLastFMAnswer answer = LastFMAnswerOf(Invoker);
    if (answer != TLastFMAnswer::laLoaded) {
        SetState(FailedAnswerState(answer, mdsInvalidQuery));
        return;
    }
    Fill();
    SetState(FActiveItemsCount > 0 ? std::uint8_t(mdsLoaded) : std::uint8_t(mdsEmptyResult));
}
