#include "foundation/TIDGeneratorUnit.h"

int TIDGenerator::GetID()
{
    const int id = FCurrentID;
    NextID();
    return id;
}

void TIDGenerator::NextID()
{
    ++FCurrentID;
}
