#include "refresh/hostqueue.h"

#include <QByteArrayList>
#include <algorithm>
#include <curl/curl.h>

namespace {
// Waiting downloads are ordered by rank: those asked to go first before all others, each
// group in the order asked for.
constexpr quint64 otherRank = quint64(1) << 63;
} // namespace

void HostQueue::push(quint64 serial, const QByteArray &host, Clock::time_point now, bool first)
{
    std::deque<quint64> &waiting = m_hosts[host].waiting;
    // A page tried again goes back to its place among those asked for after it.
    const quint64 rank = first ? serial : serial | otherRank;
    waiting.insert(std::lower_bound(waiting.begin(), waiting.end(), rank), rank);
    update(host, now);
}

std::optional<quint64> HostQueue::take(Clock::time_point now)
{
    while (!m_holds.empty() && m_holds.begin()->first <= now) {
        const QByteArray name = m_holds.begin()->second;
        m_holds.erase(m_holds.begin());
        update(name, now);
    }
    if (m_ready.empty())
        return std::nullopt;
    const auto [rank, name] = *m_ready.begin();
    Host &host = m_hosts[name];
    host.waiting.pop_front();
    ++host.running;
    update(name, now);
    return rank & ~otherRank;
}

void HostQueue::finished(const QByteArray &host, Clock::time_point now)
{
    const auto it = m_hosts.find(host);
    if (it != m_hosts.end() && it->second.running > 0)
        --it->second.running;
    update(host, now);
}

void HostQueue::hold(const QByteArray &host, Clock::time_point until, Clock::time_point now)
{
    Host &h = m_hosts[host];
    if (until > h.heldUntil) {
        h.heldUntil = until;
        m_holds.insert({until, host});
    }
    update(host, now);
}

void HostQueue::dropWaiting(Clock::time_point now)
{
    std::vector<QByteArray> names;
    for (auto &[name, host] : m_hosts) {
        host.waiting.clear();
        names.push_back(name);
    }
    for (const QByteArray &name : names)
        update(name, now);
}

std::optional<HostQueue::Clock::time_point> HostQueue::nextRelease() const
{
    return m_holds.empty() ? std::nullopt : std::optional(m_holds.begin()->first);
}

HeldHosts HostQueue::held(Clock::time_point now) const
{
    HeldHosts result;
    for (const auto &[name, host] : m_hosts) {
        if (host.heldUntil <= now || host.waiting.empty())
            continue;
        ++result.hosts;
        result.longest = std::max(
            result.longest, std::chrono::ceil<std::chrono::milliseconds>(host.heldUntil - now));
    }
    return result;
}

// Puts the host into the ready set or takes it out, and forgets a host with nothing left.
void HostQueue::update(const QByteArray &name, Clock::time_point now)
{
    const auto it = m_hosts.find(name);
    if (it == m_hosts.end())
        return;
    Host &host = it->second;
    if (host.readyAs)
        m_ready.erase({*host.readyAs, name});
    host.readyAs.reset();
    const bool held = host.heldUntil > now;
    if (!host.waiting.empty() && host.running < m_perHost && !held)
        m_ready.insert({*(host.readyAs = host.waiting.front()), name});
    else if (host.waiting.empty() && host.running == 0 && !held)
        m_hosts.erase(it);
}

std::optional<std::chrono::milliseconds> askedPause(const DownloadResult &result,
                                                    std::chrono::milliseconds cap,
                                                    std::chrono::system_clock::time_point now)
{
    using namespace std::chrono;
    const int status = result.hops.empty() ? 0 : result.hops.back().status;
    if (status != 429 && status != 503)
        return std::nullopt;
    for (const QByteArray &line : result.headers.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0 || line.left(colon).trimmed().toLower() != "retry-after")
            continue;
        const QByteArray value = line.mid(colon + 1).trimmed();
        bool number = false;
        const qlonglong delay = value.toLongLong(&number);
        milliseconds wait{0};
        if (number && delay >= 0) {
            wait = delay > cap.count() / 1000 ? cap : milliseconds(seconds(delay));
        } else {
            const time_t at = curl_getdate(value.constData(), nullptr);
            if (at < 0)
                return std::nullopt;
            wait = duration_cast<milliseconds>(system_clock::from_time_t(at) - now);
        }
        return std::clamp(wait, milliseconds(0), cap);
    }
    return std::nullopt;
}
