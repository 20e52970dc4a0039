#pragma once

#include <QByteArray>
#include <QList>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct DnsAnswer
{
    enum class Status { Found, Missing, Failed }; // Missing: NXDOMAIN; Failed: anything else
    Status status = Status::Failed;
    QList<QByteArray> nameServers; // for a name-server question
};

// The name service as the link check asks it; tests answer without a DNS server.
class DnsResolver
{
  public:
    enum class Question { Address, NameServers };
    virtual ~DnsResolver() = default;
    // Blocks until the answer is there or the question timed out.
    virtual DnsAnswer lookup(const QByteArray &name, Question question) = 0;
};

// The system's name service through QDnsLookup.
std::shared_ptr<DnsResolver> systemResolver();
// Whether the system says there is no network at all: no interface but the loopback one is
// up (false when it cannot tell).
bool systemReportsOffline();

// Asks a resolver one question after the other on a thread of its own, so that nobody
// waits for the name service; each answer comes out of take() once.
class LookupThread final
{
  public:
    struct Done
    {
        QByteArray name;
        DnsResolver::Question question;
        DnsAnswer answer;
    };
    LookupThread(std::shared_ptr<DnsResolver> resolver, std::function<void()> answered);
    ~LookupThread(); // waits for the question being asked
    LookupThread(const LookupThread &) = delete;
    LookupThread &operator=(const LookupThread &) = delete;

    void ask(const QByteArray &name, DnsResolver::Question question);
    std::vector<Done> take();

  private:
    void run();

    const std::shared_ptr<DnsResolver> m_resolver;
    const std::function<void()> m_answered;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<QByteArray, DnsResolver::Question>> m_questions;
    std::vector<Done> m_done;
    bool m_stop = false;
    std::thread m_thread;
};
