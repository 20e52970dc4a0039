#include "refresh/resolver.h"

#include <QNetworkInterface>
#include <algorithm>

namespace {
constexpr std::chrono::seconds lookupTimeout{5};

class SystemResolver final : public DnsResolver
{
  public:
    explicit SystemResolver(platform::NameServer server) : m_server(std::move(server)) {}
    DnsAnswer lookup(const QByteArray &name, Question question) override
    {
        return platform::queryDns(name, question, m_server, lookupTimeout);
    }

  private:
    const platform::NameServer m_server;
};
} // namespace

std::shared_ptr<DnsResolver> systemResolver(const platform::NameServer &server)
{
    return std::make_shared<SystemResolver>(server);
}

bool systemReportsOffline()
{
    // Asked of the interfaces themselves: no helper threads, no event loop needed.
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    return !interfaces.isEmpty() &&
           std::none_of(interfaces.begin(), interfaces.end(), [](const QNetworkInterface &i) {
               const auto flags = i.flags();
               return flags.testFlag(QNetworkInterface::IsUp) &&
                      flags.testFlag(QNetworkInterface::IsRunning) &&
                      !flags.testFlag(QNetworkInterface::IsLoopBack);
           });
}

LookupPool::LookupPool(std::shared_ptr<DnsResolver> resolver, int threads,
                       std::function<void()> answered)
    : m_resolver(std::move(resolver)), m_most(size_t(std::max(1, threads))),
      m_answered(std::move(answered))
{
}

LookupPool::~LookupPool()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void LookupPool::ask(const QByteArray &name, DnsResolver::Question question)
{
    {
        const std::lock_guard lock(m_mutex);
        m_questions.emplace_back(name, question);
        if (m_idle < m_questions.size() && m_threads.size() < m_most)
            m_threads.emplace_back(&LookupPool::run, this);
    }
    m_wake.notify_one();
}

std::vector<LookupPool::Done> LookupPool::take()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_done, {});
}

void LookupPool::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        ++m_idle;
        m_wake.wait(lock, [this] { return m_stop || !m_questions.empty(); });
        --m_idle;
        if (m_stop)
            return;
        const auto [name, question] = m_questions.front();
        m_questions.pop_front();
        lock.unlock();
        const DnsAnswer answer = m_resolver->lookup(name, question);
        lock.lock();
        m_done.push_back({name, question, answer});
        if (m_answered) {
            lock.unlock();
            m_answered();
            lock.lock();
        }
    }
}
