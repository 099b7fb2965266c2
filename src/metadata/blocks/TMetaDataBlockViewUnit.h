#pragma once

#include "foundation/BaseTypesUnit.h"

class TMetaDataBlock;

// Shows one block and redraws on each of its state changes: entering
// mdsLoading calls LoadingStarted, leaving it LoadingFinished, and UpdateView
// follows either way. The view detaches when it goes; a block that goes first
// must be detached before (SetData(nullptr)).
class TMetaDataBlockView : public TObject
{
public:
    TMetaDataBlockView() = default;
    ~TMetaDataBlockView() override;
    TMetaDataBlockView(const TMetaDataBlockView &) = delete;
    TMetaDataBlockView &operator=(const TMetaDataBlockView &) = delete;

    TMetaDataBlock *Data() const { return FData; }
    // Detaches from the previous block (unless another view took it meanwhile) and attaches to AData (which may be
    // null).
    virtual void SetData(TMetaDataBlock *AData);

protected:
    virtual void UpdateView() { }
    virtual void LoadingStarted() { }
    virtual void LoadingFinished() { }

private:
    void DataStateChanged(TObject *Sender);

    TMetaDataBlock *FData = nullptr;
};
