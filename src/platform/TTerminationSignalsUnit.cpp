#include "platform/TTerminationSignalsUnit.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

constexpr int HandledSignals[] = {SIGTERM, SIGINT};

// The write end of the live object's pipe: all the handler touches.
volatile sig_atomic_t GWriteEnd = -1;

void OnSignal(int)
{
    const int savedErrno = errno;
    const char request = 1;
    // A full pipe already holds a request: nothing is lost.
    [[maybe_unused]] const ssize_t written = write(GWriteEnd, &request, 1);
    errno = savedErrno;
}

} // namespace

struct TTerminationSignals::TState
{
    int Pipe[2] = {-1, -1};
    struct sigaction Former[std::size(HandledSignals)] = {};
    std::unique_ptr<QSocketNotifier> Notifier;
};

TTerminationSignals::TTerminationSignals(std::function<void()> OnRequested) : F(std::make_unique<TState>())
{
    // Without a pipe the signals keep their default action: the program ends
    // as it did.
    if (pipe2(F->Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    GWriteEnd = F->Pipe[1];
    F->Notifier = std::make_unique<QSocketNotifier>(F->Pipe[0], QSocketNotifier::Read);
    QObject::connect(F->Notifier.get(), &QSocketNotifier::activated, [this, OnRequested = std::move(OnRequested)] {
        char requests[16];
        while (read(F->Pipe[0], requests, sizeof requests) > 0) { }
        OnRequested();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(HandledSignals); ++i)
        sigaction(HandledSignals[i], &action, &F->Former[i]);
}

TTerminationSignals::~TTerminationSignals()
{
    if (F->Pipe[0] < 0)
        return;
    for (size_t i = 0; i < std::size(HandledSignals); ++i)
        sigaction(HandledSignals[i], &F->Former[i], nullptr);
    GWriteEnd = -1;
    F->Notifier.reset();
    close(F->Pipe[0]);
    close(F->Pipe[1]);
}
