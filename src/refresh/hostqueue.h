#pragma once

#include "refresh/downloader.h"

#include <QByteArray>
#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <set>

// The downloads that wait for a transfer, by host: the next to start is the one asked for
// first among the hosts that have room (fewer than perHost running) and are not held.
class HostQueue final
{
  public:
    using Clock = std::chrono::steady_clock;

    explicit HostQueue(int perHost) : m_perHost(perHost) {}

    // first: before every download of the host asked for without it.
    void push(quint64 serial, const QByteArray &host, Clock::time_point now, bool first = false);
    // The next download to start, now counted as running on its host.
    std::optional<quint64> take(Clock::time_point now);
    void finished(const QByteArray &host, Clock::time_point now); // one that ran has ended
    // The host's waiting downloads start no earlier than until.
    void hold(const QByteArray &host, Clock::time_point until, Clock::time_point now);
    void dropWaiting(Clock::time_point now); // running ones still count
    // When a held host may be asked again; nullopt when none is held.
    std::optional<Clock::time_point> nextRelease() const;
    HeldHosts held(Clock::time_point now) const; // hosts with downloads held back

  private:
    struct Host
    {
        std::deque<quint64> waiting; // by rank
        int running = 0;
        Clock::time_point heldUntil = {};
        std::optional<quint64> readyAs; // its key in m_ready
    };
    void update(const QByteArray &name, Clock::time_point now);

    const int m_perHost;
    std::map<QByteArray, Host> m_hosts;
    std::set<std::pair<quint64, QByteArray>> m_ready; // (first rank, host) of those with room
    std::set<std::pair<Clock::time_point, QByteArray>> m_holds;
};

// How long a host asked us to wait: a 429 or 503 answer with Retry-After in seconds or as a
// date, at most cap; nullopt for any other answer.
std::optional<std::chrono::milliseconds> askedPause(const DownloadResult &result,
                                                    std::chrono::milliseconds cap,
                                                    std::chrono::system_clock::time_point now);
