#pragma once

#include "platform/dnsquery.h"

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using DnsAnswer = platform::DnsAnswer;

// The name service as the link check asks it; tests answer without a DNS server.
class DnsResolver
{
  public:
    using Question = platform::DnsQuestion;
    virtual ~DnsResolver() = default;
    // Blocks until the answer is there or the question timed out; called on many threads.
    virtual DnsAnswer lookup(const QByteArray &name, Question question) = 0;
};

// The system's name service, or the one name server given; each question takes at most 5 s.
std::shared_ptr<DnsResolver> systemResolver(const platform::NameServer &server = {});
// Whether the system says there is no network at all: no interface but the loopback one is
// up (false when it cannot tell).
bool systemReportsOffline();

// Asks a resolver up to `threads` questions at once, each on a thread of its own, so that
// nobody waits for the name service; each answer comes out of take() once. Threads are
// started as questions wait for one.
class LookupPool final
{
  public:
    struct Done
    {
        QByteArray name;
        DnsResolver::Question question;
        DnsAnswer answer;
    };
    LookupPool(std::shared_ptr<DnsResolver> resolver, int threads, std::function<void()> answered);
    ~LookupPool(); // waits for the questions being asked
    LookupPool(const LookupPool &) = delete;
    LookupPool &operator=(const LookupPool &) = delete;

    void ask(const QByteArray &name, DnsResolver::Question question);
    std::vector<Done> take();

  private:
    void run();

    const std::shared_ptr<DnsResolver> m_resolver;
    const size_t m_most;
    const std::function<void()> m_answered;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<QByteArray, DnsResolver::Question>> m_questions;
    std::vector<Done> m_done;
    size_t m_idle = 0;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};
