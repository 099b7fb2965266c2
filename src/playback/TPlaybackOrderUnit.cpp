#include "playback/TPlaybackOrderUnit.h"

#include <QRandomGenerator>

#include <algorithm>
#include <numeric>

template<class T> void TListShuffler<T>::ShuffleList(std::vector<T> &List)
{
    for (std::size_t i = List.size(); i > 1; --i) {
        const auto j = static_cast<std::size_t>(QRandomGenerator::global()->bounded(static_cast<quint32>(i)));
        std::swap(List[i - 1], List[j]);
    }
}

template class TListShuffler<int>;

int TPlaybackOrder::GetNextTrackIndex(int CurrentIndex, bool IsNext, bool IsManual) const
{
    if (FOrderList.empty())
        return -1;
    const auto found = std::find(FOrderList.begin(), FOrderList.end(), CurrentIndex);
    int position = found == FOrderList.end() ? -1 : static_cast<int>(found - FOrderList.begin());
    if (IsManual || !FIsRepeat) {
        position += IsNext ? 1 : -1;
        const int last = static_cast<int>(FOrderList.size()) - 1;
        if (position > last)
            position = 0;
        else if (position < 0)
            position = last;
    }
    if (position < 0)
        return -1;
    return FOrderList[static_cast<std::size_t>(position)];
}

void TPlaybackOrder::Refresh(int Count)
{
    FillSequential(Count);
    if (FIsShuffle)
        TListShuffler<int>::ShuffleList(FOrderList);
}

void TPlaybackOrder::SetIsShuffle(bool Value)
{
    if (Value == FIsShuffle)
        return;
    FIsShuffle = Value;
    if (FIsShuffle)
        TListShuffler<int>::ShuffleList(FOrderList);
    else
        FillSequential(static_cast<int>(FOrderList.size()));
}

void TPlaybackOrder::FillSequential(int Count)
{
    FOrderList.resize(static_cast<std::size_t>(std::max(Count, 0)));
    std::iota(FOrderList.begin(), FOrderList.end(), 0);
}
