#pragma once

#include <chrono>
#include <optional>

namespace platform {
// What a program waits for when it must stop the normal way: a post from any thread, or
// one of the stop signals (SIGINT and SIGTERM, and SIGHUP when asked), which only record
// that they came and wake the waiter, so that the program ends cleanly. One instance at a
// time; the handling the signals had before comes back when it ends.
class WakeUp final
{
  public:
    using Clock = std::chrono::steady_clock;
    enum class HangUp { Default, Stops };
    explicit WakeUp(HangUp hangUp = HangUp::Default);
    ~WakeUp();
    WakeUp(const WakeUp &) = delete;
    WakeUp &operator=(const WakeUp &) = delete;

    void post() const; // safe on any thread
    // Returns after a post or a signal, or at until; nullopt waits without a limit.
    void wait(std::optional<Clock::time_point> until) const;
    int signal() const;      // the last stop signal received; 0 when none
    int signalCount() const; // stop signals received so far

    // For an event loop: the handle that turns readable on a post or a signal (-1 when there
    // is none: ask again now and then), and the call that takes what made it readable.
    int readableHandle() const;
    void drain() const;
};
} // namespace platform
