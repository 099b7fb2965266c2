#include "metadata/blocks/TMetaDataBlockViewUnit.h"

#include "metadata/blocks/TMetaDataBlockUnit.h"

TMetaDataBlockView::~TMetaDataBlockView()
{
    if (FData)
        FData->StopListening(this);
}

void TMetaDataBlockView::SetData(TMetaDataBlock *AData)
{
    if (FData)
        FData->StopListening(this);
    FData = AData;
    if (FData)
        FData->Listen(this, [this](TObject *Sender) { DataStateChanged(Sender); });
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
