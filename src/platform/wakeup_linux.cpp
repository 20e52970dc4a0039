#include "wakeup.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace platform {
namespace {
// The handler may only touch what cannot be torn by a signal.
static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> lastSignal = 0;
std::atomic<int> signalsCounted = 0;
int wakePipe[2] = {-1, -1};
struct sigaction oldInt = {};
struct sigaction oldTerm = {};
struct sigaction oldHangUp = {};
bool handlesHangUp = false;

void poke()
{
    const char byte = 1;
    // A full pipe already wakes the waiter.
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
}

void onStopSignal(int signal)
{
    lastSignal = signal;
    ++signalsCounted;
    poke();
}
} // namespace

WakeUp::WakeUp(HangUp hangUp)
{
    lastSignal = 0;
    signalsCounted = 0;
    if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        wakePipe[0] = wakePipe[1] = -1;
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a wait ends all the same
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);
    handlesHangUp = hangUp == HangUp::Stops;
    if (handlesHangUp)
        sigaction(SIGHUP, &action, &oldHangUp);
}

WakeUp::~WakeUp()
{
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    if (handlesHangUp)
        sigaction(SIGHUP, &oldHangUp, nullptr);
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
    if (lastSignal != 0)
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
    drain();
}

int WakeUp::signal() const
{
    return lastSignal;
}

int WakeUp::signalCount() const
{
    return signalsCounted;
}

int WakeUp::readableHandle() const
{
    return wakePipe[0];
}

void WakeUp::drain() const
{
    char bytes[64];
    while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
}
} // namespace platform
