#pragma once

#include "metadata/pages/TCoverImageDataUnit.h"
#include "metadata/pages/TLastFMBlockRequestsUnit.h"

#include <functional>
#include <memory>
#include <vector>

struct TLastFMImagesRecord;

class TMetaDataBlockItem
{
public:
    virtual ~TMetaDataBlockItem() = default;
};

// A block of items. Items are only ever added: the list keeps as many as its
// largest answer needed and reuses them for later answers.
class TMetaDataBlockList : public TMetaDataBlock
{
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises std::out_of_range outside 0 .. Count - 1.
    TMetaDataBlockItem &getItem(int Index) const { return *FItems.at(static_cast<std::size_t>(Index)); }

protected:
    void AddItem(std::unique_ptr<TMetaDataBlockItem> Item) { FItems.push_back(std::move(Item)); }

private:
    std::vector<std::unique_ptr<TMetaDataBlockItem>> FItems;
};

class TImageMetaDataBlockItem : public TMetaDataBlockItem
{
public:
    TCoverImageData ImageData;
};

// A list whose items each have a picture. Only the first ActiveItemsCount
// items belong to the current answer; the others are stale, and their
// pictures are hidden, any download of theirs dropped.
class TImageMetaDataBlockList : public TMetaDataBlockList
{
public:
    int ActiveItemsCount() const { return FActiveItemsCount; }
    // Loaded, and every picture of the answer came or failed.
    bool IsComplete() const;
    TImageMetaDataBlockItem &getItem(int Index) const
    {
        return static_cast<TImageMetaDataBlockItem &>(TMetaDataBlockList::getItem(Index));
    }

protected:
    // Empties the list on a cleared or failed state, or a refused search.
    void DoStateChanged() override;
    void SetActiveItemsCount(int Value);
    virtual std::unique_ptr<TImageMetaDataBlockItem> CreateItem() const = 0;
    // Takes an answer of ItemCount items: sizes the list, announces
    // mdsItemsChanged, then for each item has FillItem copy its names and
    // return its pictures, and starts loading the picture. The final state is
    // the caller's.
    void FillItems(int ItemCount, const std::function<const TLastFMImagesRecord &(int Index)> &FillItem);
    // Takes a search's answer: Fill fills the items from it; the list ends in
    // mdsLoaded, mdsEmptyResult without items, or the failure's state (a
    // refused query is mdsInvalidQuery).
    void ShowSearchAnswer(const TAPIRequestInvoker &Invoker, const std::function<void()> &Fill);

private:
    int FActiveItemsCount = 0;
};
