#pragma once

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// Loopback web servers for the refresh benchmarks: one per address 127.0.0.1 ... 127.0.0.n
// (distinct hosts), all served by one thread. Each request gets a small page after the
// delay (or never, when the servers stall), and the connection is closed.
class PageServer final
{
  public:
    PageServer(int hosts, std::chrono::milliseconds delay, bool stall = false);
    ~PageServer();
    PageServer(const PageServer &) = delete;
    PageServer &operator=(const PageServer &) = delete;

    QByteArray url(int host, int page) const;
    quint16 port(int host) const { return m_ports[size_t(host)]; } // of 127.0.0.(host+1)
    // Requests for the collection's pages, and for any other address (the link check's
    // probes).
    int requests() const { return m_requests.load(); }
    int otherRequests() const { return m_otherRequests.load(); }
    // The most requests one host had in progress at the same time.
    int mostAtOnce() const { return m_mostAtOnce.load(); }

  private:
    struct Connection;
    void serve();
    void accept(int listener, int host, std::vector<Connection> &connections);
    bool receive(Connection &connection);
    void answer(Connection &connection);

    const std::chrono::milliseconds m_delay;
    const bool m_stall;
    std::vector<int> m_listeners;
    std::vector<quint16> m_ports;
    std::vector<int> m_open; // requests in progress, by host
    int m_wake[2] = {-1, -1};
    std::atomic<int> m_requests = 0;
    std::atomic<int> m_otherRequests = 0;
    std::atomic<int> m_mostAtOnce = 0;
    std::thread m_thread;
};
