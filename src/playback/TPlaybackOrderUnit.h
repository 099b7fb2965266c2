#pragma once

#include "foundation/BaseTypesUnit.h"

#include <vector>

template<class T> class TListShuffler
{
public:
    // Fisher-Yates over the program's random generator.
    static void ShuffleList(std::vector<T> &List);
};

// The order in which the audio player's playlist is played, with repeat and
// shuffle. The order wraps around in both directions.
class TPlaybackOrder : public TObject
{
public:
    // The playlist index to play after CurrentIndex; -1 when there is none
    // (an empty order, or repeating an item that is no longer in the list).
    // Repeat only holds the automatic advance; manual moves always move.
    int GetNextTrackIndex(int CurrentIndex, bool IsNext, bool IsManual) const;
    // Rebuilds the order for the player's playlist of Count items.
    void Refresh(int Count);

    bool IsRepeat() const { return FIsRepeat; }
    void SetIsRepeat(bool Value) { FIsRepeat = Value; }
    bool IsShuffle() const { return FIsShuffle; }
    void SetIsShuffle(bool Value);
    const std::vector<int> &OrderList() const { return FOrderList; }

private:
    void FillSequential(int Count);

    bool FIsRepeat = false;
    bool FIsShuffle = false;
    std::vector<int> FOrderList;
};
