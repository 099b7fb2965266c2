#pragma once

#include "foundation/BaseTypesUnit.h"

#include <algorithm>
#include <cstdint>
#include <deque>

// A multicast event: handlers are called in the order they were added, and a
// handler added twice runs twice. Add returns a token that removes the
// handler again; whoever adds a handler that uses itself removes it before
// it goes.
template<class TEvent> class TEventList
{
public:
    using TToken = std::uint64_t;

    TToken Add(TEvent Event)
    {
        FEvents.push_back({++FLastToken, std::move(Event)});
        return FLastToken;
    }
    // A handler removed during a pass is not called in it any more.
    void Remove(TToken Token)
    {
        const auto found = std::find_if(
            FEvents.begin(), FEvents.end(), [Token](const TEntry &Entry) { return Entry.Token == Token; });
        if (found == FEvents.end())
            return;
        // The running pass may be inside this very handler: it is freed after the pass.
        found->Token = 0;
        if (FPasses == 0)
            FEvents.erase(found);
    }
    std::size_t Count() const
    {
        return static_cast<std::size_t>(
            std::count_if(FEvents.begin(), FEvents.end(), [](const TEntry &Entry) { return Entry.Token != 0; }));
    }

protected:
    // A handler added while the list is being invoked waits for the next pass.
    // A deque keeps the running handler in place when one is appended, and
    // nothing is erased before the outermost pass has ended.
    template<class... Args> void Invoke(Args &&...Arguments)
    {
        const TPass pass(*this);
        const std::size_t count = FEvents.size();
        for (std::size_t i = 0; i < count; ++i)
            if (FEvents[i].Token != 0)
                FEvents[i].Event(Arguments...);
    }

private:
    struct TEntry
    {
        TToken Token; // 0 once removed
        TEvent Event;
    };
    class TPass
    {
    public:
        explicit TPass(TEventList &List) : FList(List) { ++FList.FPasses; }
        ~TPass()
        {
            if (--FList.FPasses == 0)
                std::erase_if(FList.FEvents, [](const TEntry &Entry) { return Entry.Token == 0; });
        }
        TPass(const TPass &) = delete;
        TPass &operator=(const TPass &) = delete;

    private:
        TEventList &FList;
    };

    std::deque<TEntry> FEvents;
    TToken FLastToken = 0;
    int FPasses = 0;
};

class TNotifyEventList : public TEventList<TNotifyEvent>
{
public:
    void InvokeEvents(TObject *Sender) { Invoke(Sender); }
};
