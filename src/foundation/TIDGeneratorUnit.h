#pragma once

#include "foundation/THierarchicalSingletonUnit.h"

// Hands out 0, 1, 2, ... Each descendant class is a counter of its own.
class TIDGenerator : public THierarchicalSingleton
{
public:
    int GetID();

protected:
    template<class C> friend C *GetInstance();
    TIDGenerator() = default;
    virtual void NextID();

private:
    int FStartValue = 0;
    int FCurrentID = 0;
};
