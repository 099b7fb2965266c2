#include "metadata/blocks/TMetaDataBlockUnit.h"

void TMetaDataBlock::SetState(std::uint8_t Value)
{
    if (Value == FState)
        return;
    FPreviousState = FState;
    FState = Value;
    DoStateChanged();
}

void TMetaDataBlock::DoStateChanged()
{
    if (OnStateChanged)
        OnStateChanged(this);
}

void TMetaDataBlock::DoDataParamsChanged()
{
    if (OnDataParamsChanged)
        OnDataParamsChanged(this);
}
