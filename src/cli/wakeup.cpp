#include "wakeup.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t StopSignal = 0;
int Pipe[2] = {-1, -1};
struct sigaction OldInt = {};
struct sigaction OldTerm = {};

void Poke()
{
    const char byte = 1;
    // A full pipe already wakes the waiter.
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &byte, 1);
}

void OnStopSignal(int signal)
{
    StopSignal = signal;
    Poke();
}
} // namespace

WakeUp::WakeUp()
{
    StopSignal = 0;
    if (::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        Pipe[0] = Pipe[1] = -1;
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &OldInt);
    sigaction(SIGTERM, &action, &OldTerm);
}

WakeUp::~WakeUp()
{
    sigaction(SIGINT, &OldInt, nullptr);
    sigaction(SIGTERM, &OldTerm, nullptr);
    ::close(Pipe[0]);
    ::close(Pipe[1]);
    Pipe[0] = Pipe[1] = -1;
}

void WakeUp::Post() const
{
    Poke();
}

void WakeUp::Wait(std::optional<Clock::time_point> until) const
{
    if (StopSignal)
        return;
    int timeout = -1;
    if (until)
        timeout = int(std::clamp<long long>(
            std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()).count(), 0,
            60 * 60 * 1000));
    if (Pipe[0] < 0) // no pipe to wake on: look again soon
        timeout = timeout < 0 ? 100 : std::min(timeout, 100);
    pollfd wait = {Pipe[0], POLLIN, 0};
    ::poll(&wait, 1, timeout); // a signal ends it too
    char drain[64];
    while (::read(Pipe[0], drain, sizeof drain) > 0) {
    }
}

int WakeUp::Signal() const
{
    return StopSignal;
}
