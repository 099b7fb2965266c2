#pragma once

#include "foundation/BaseTypesUnit.h"

#include <deque>

// A multicast event: handlers are called in the order they were added, a
// handler added twice runs twice, and there is no removal.
template <class TEvent>
class TEventList
{
public:
    void Add(TEvent Event) { FEvents.push_back(std::move(Event)); }

protected:
    // A handler added while the list is being invoked waits for the next pass.
    // A deque keeps the running handler in place when one is appended.
    template <class... Args>
    void Invoke(Args &&...Arguments) const
    {
        const std::size_t count = FEvents.size();
        for (std::size_t i = 0; i < count; ++i)
            FEvents[i](Arguments...);
    }

private:
    std::deque<TEvent> FEvents;
};

class TNotifyEventList : public TEventList<TNotifyEvent>
{
public:
    void InvokeEvents(TObject *Sender) const { Invoke(Sender); }
};
