#include "wakeup.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t stopSignal = 0;
int wakePipe[2] = {-1, -1};
struct sigaction oldInt = {};
struct sigaction oldTerm = {};

void poke()
{
    const char byte = 1;
    // A full pipe already wakes the waiter.
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
}

void onStopSignal(int signal)
{
    stopSignal = signal;
    poke();
}
} // namespace

WakeUp::WakeUp()
{
    stopSignal = 0;
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        wakePipe[0] = wakePipe[1] = -1;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
}

WakeUp::~WakeUp()
{
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    ::close(wakePipe[0]);
    ::close(wakePipe[1]);
    wakePipe[0] = wakePipe[1] = -1;
}

void WakeUp::post() const
{
    poke();
}

void WakeUp::wait(std::optional<Clock::time_point> until) const
{
    if (stopSignal)
        return;
    int timeout = -1;
    if (until)
        timeout = int(std::clamp<long long>(
            std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()).count(), 0,
            60 * 60 * 1000));
    if (wakePipe[0] < 0) // no pipe to wake on: look again soon
        timeout = timeout < 0 ? 100 : std::min(timeout, 100);
    pollfd wait = {wakePipe[0], POLLIN, 0};
    ::poll(&wait, 1, timeout); // a signal ends it too
    char drain[64];
    while (::read(wakePipe[0], drain, sizeof drain) > 0) {
    }
}

int WakeUp::signal() const
{
    return stopSignal;
}
