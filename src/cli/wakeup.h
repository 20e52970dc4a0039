#pragma once

#include <chrono>
#include <optional>

// What the refresh command waits for, without polling: a result from the download worker
// (Post, from any thread) or SIGINT / SIGTERM, which only ask the command to stop, so the
// transfers end cleanly. One instance at a time; the signals are handled while it lives.
class WakeUp final
{
  public:
    using Clock = std::chrono::steady_clock;
    WakeUp();
    ~WakeUp();
    WakeUp(const WakeUp &) = delete;
    WakeUp &operator=(const WakeUp &) = delete;

    void post() const; // safe on any thread
    // Returns after a Post or a signal, or at until; nullopt waits without a limit.
    void wait(std::optional<Clock::time_point> until) const;
    int signal() const; // the stop signal received; 0 when none
};
