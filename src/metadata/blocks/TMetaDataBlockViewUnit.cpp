#include "metadata/blocks/TMetaDataBlockViewUnit.h"

#include "metadata/blocks/TMetaDataBlockUnit.h"

TMetaDataBlockView::~TMetaDataBlockView()
{
    if (FData)
        FData->OnStateChanged = nullptr;
}

void TMetaDataBlockView::SetData(TMetaDataBlock *AData)
{
    if (FData)
        FData->OnStateChanged = nullptr;
    FData = AData;
    if (FData)
        FData->OnStateChanged = [this](TObject *Sender) { DataStateChanged(Sender); };
}

void TMetaDataBlockView::DataStateChanged(TObject *Sender)
{
    (void)Sender;
    if (FData->State() == mdsLoading)
        LoadingStarted();
    else if (FData->PreviousState() == mdsLoading)
        LoadingFinished();
    UpdateView();
}
