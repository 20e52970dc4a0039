#include "refresh/resolver.h"

#include <QDnsLookup>
#include <QEventLoop>
#include <QNetworkInterface>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int LookupTimeoutMs = 5000;

class SystemResolver final : public DnsResolver
{
  public:
    DnsAnswer lookup(const QByteArray &name, Question question) override
    {
        QDnsLookup lookup(question == Question::Address ? QDnsLookup::A : QDnsLookup::NS,
                          QString::fromLatin1(name));
        QEventLoop loop;
        QObject::connect(&lookup, &QDnsLookup::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(LookupTimeoutMs, &loop, &QEventLoop::quit);
        lookup.lookup();
        loop.exec();
        if (!lookup.isFinished())
            return {};
        if (lookup.error() == QDnsLookup::NotFoundError)
            return {DnsAnswer::Status::Missing, {}};
        if (lookup.error() != QDnsLookup::NoError)
            return {};
        DnsAnswer answer{DnsAnswer::Status::Found, {}};
        for (const QDnsDomainNameRecord &record : lookup.nameServerRecords())
            answer.nameServers.append(record.value().toLatin1().toLower());
        return answer;
    }
};
} // namespace

std::shared_ptr<DnsResolver> systemResolver()
{
    return std::make_shared<SystemResolver>();
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

LookupThread::LookupThread(std::shared_ptr<DnsResolver> resolver, std::function<void()> answered)
    : m_resolver(std::move(resolver)), m_answered(std::move(answered))
{
    m_thread = std::thread(&LookupThread::run, this);
}

LookupThread::~LookupThread()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void LookupThread::ask(const QByteArray &name, DnsResolver::Question question)
{
    {
        const std::lock_guard lock(m_mutex);
        m_questions.emplace_back(name, question);
    }
    m_wake.notify_one();
}

std::vector<LookupThread::Done> LookupThread::take()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_done, {});
}

void LookupThread::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stop || !m_questions.empty(); });
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
