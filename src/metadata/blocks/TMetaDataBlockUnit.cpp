#include "metadata/blocks/TMetaDataBlockUnit.h"

#include <utility>

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

void TMetaDataBlock::Listen(const void *Listener, TNotifyEvent Handler)
{
    FListener = Listener;
    OnStateChanged = std::move(Handler);
}

void TMetaDataBlock::StopListening(const void *Listener)
{
    if (Listener != FListener)
        return;
    FListener = nullptr;
    OnStateChanged = nullptr;
}
