#include "pageserver.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

struct PageServer::Connection
{
    int fd = -1;
    int host = 0;
    QByteArray request;
    Clock::time_point answerAt = Clock::time_point::max(); // max: no complete request yet
    bool counted = false;
};

PageServer::PageServer(int hosts, std::chrono::milliseconds delay, bool stall)
    : m_delay(delay), m_stall(stall), m_open(size_t(hosts), 0)
{
    for (int h = 0; h < hosts; ++h) {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK + uint32_t(h)); // 127.0.0.(h+1)
        socklen_t size = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr *>(&address), size) != 0 ||
            ::listen(listener, 256) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            std::abort();
        m_listeners.push_back(listener);
        m_ports.push_back(ntohs(address.sin_port));
    }
    if (::pipe2(m_wake, O_CLOEXEC) != 0)
        std::abort();
    m_thread = std::thread([this] { serve(); });
}

PageServer::~PageServer()
{
    [[maybe_unused]] const ssize_t woken = ::write(m_wake[1], "x", 1);
    m_thread.join();
    for (const int fd : m_listeners)
        ::close(fd);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

QByteArray PageServer::url(int host, int page) const
{
    return "http://127.0.0." + QByteArray::number(host + 1) + ':' +
           QByteArray::number(m_ports[size_t(host)]) + "/p/" + QByteArray::number(page);
}

void PageServer::serve()
{
    std::vector<Connection> connections;
    for (;;) {
        std::vector<pollfd> fds = {{m_wake[0], POLLIN, 0}};
        for (const int listener : m_listeners)
            fds.push_back({listener, POLLIN, 0});
        Clock::time_point next = Clock::time_point::max();
        for (const Connection &c : connections) {
            fds.push_back({c.fd, POLLIN, 0}); // a request, or the client hanging up
            next = std::min(next, c.answerAt);
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
            std::min(next, Clock::now() + std::chrono::hours(1)) - Clock::now());
        ::poll(fds.data(), fds.size(), int(std::max<long long>(0, wait.count())));
        if (fds[0].revents)
            break;
        for (size_t h = 0; h < m_listeners.size(); ++h)
            if (fds[1 + h].revents)
                accept(m_listeners[h], int(h), connections);
        const Clock::time_point now = Clock::now();
        std::erase_if(connections, [&](Connection &c) {
            if (c.answerAt <= now) {
                answer(c);
                return true;
            }
            return !receive(c);
        });
    }
    for (const Connection &c : connections)
        ::close(c.fd);
}

void PageServer::accept(int listener, int host, std::vector<Connection> &connections)
{
    for (int fd; (fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;)
        connections.push_back({fd, host, {}, Clock::time_point::max(), false});
}

// Reads what came; false when the client has gone.
bool PageServer::receive(Connection &c)
{
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(c.fd, buffer, sizeof buffer)) > 0)
        c.request.append(buffer, n);
    if (n == 0) { // hung up, for instance after an abort
        m_open[size_t(c.host)] -= c.counted ? 1 : 0;
        ::close(c.fd);
        return false;
    }
    if (!c.counted && c.request.contains("\r\n\r\n")) {
        c.counted = true;
        // A page is "/p/<number>"; the link check's probes have letters there.
        const bool page = c.request.startsWith("GET /p/") && c.request.size() > 7 &&
                          std::isdigit(static_cast<unsigned char>(c.request[7]));
        ++(page ? m_requests : m_otherRequests);
        m_mostAtOnce = std::max(m_mostAtOnce.load(), ++m_open[size_t(c.host)]);
        c.answerAt = m_stall ? Clock::time_point::max() : Clock::now() + m_delay;
    }
    return true;
}

void PageServer::answer(Connection &c)
{
    const int page = std::atoi(c.request.constData() + std::min<qsizetype>(7, c.request.size()));
    char body[512];
    const int bodySize = std::snprintf(
        body, sizeof body,
        "<html><head><title>Page %d of the collection</title>"
        "<meta name=\"description\" content=\"A small page, number %d, served for the "
        "refresh benchmark\"></head><body><h1>Page %d</h1><p>Some text.</p></body></html>",
        page, page, page);
    char reply[1024];
    const int size = std::snprintf(reply, sizeof reply,
                                   "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                                   "Content-Length: %d\r\nConnection: close\r\n\r\n%s",
                                   bodySize, body);
    const int flags = ::fcntl(c.fd, F_GETFL);
    ::fcntl(c.fd, F_SETFL, flags & ~O_NONBLOCK); // a small reply, written whole
    [[maybe_unused]] const ssize_t written = ::write(c.fd, reply, size_t(size));
    --m_open[size_t(c.host)];
    ::close(c.fd);
}
