#pragma once

#include <functional>
#include <memory>

// Turns the requests to end the program that the desktop sends at logout
// (SIGTERM, SIGINT) into a call on the interface thread, made from its event
// loop, for as long as the object lives; the signals' former handling comes
// back after. One object at a time.
class TTerminationSignals
{
public:
    explicit TTerminationSignals(std::function<void()> OnRequested);
    ~TTerminationSignals();
    TTerminationSignals(const TTerminationSignals &) = delete;
    TTerminationSignals &operator=(const TTerminationSignals &) = delete;

private:
    struct TState;
    std::unique_ptr<TState> F;
};
