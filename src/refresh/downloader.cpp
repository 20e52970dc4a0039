#include "refresh/downloader.h"

#include "refresh/downloadpool.h"

#include <curl/curl.h>
#include <mutex>

namespace {
// libcurl's global state is shared by every owner in the process.
class CurlGlobal final
{
  public:
    static void acquire()
    {
        const std::lock_guard lock(mutex());
        if (users()++ == 0)
            curl_global_init(CURL_GLOBAL_DEFAULT);
    }
    static void release()
    {
        const std::lock_guard lock(mutex());
        if (--users() == 0)
            curl_global_cleanup();
    }

  private:
    static std::mutex &mutex()
    {
        static std::mutex m;
        return m;
    }
    static int &users()
    {
        static int n = 0;
        return n;
    }
};
} // namespace

Downloader::Downloader(const DownloadLimits &limits, PoolOptions options)
    : m_limits(limits), m_options(std::move(options))
{
    CurlGlobal::acquire();
}

Downloader::~Downloader()
{
    stop();
    m_stopped.clear(); // joins
    CurlGlobal::release();
}

void Downloader::start()
{
    reapEnded();
    if (!m_pool)
        m_pool = std::make_unique<DownloadPool>(m_limits, m_options);
}

void Downloader::stop()
{
    if (m_pool) {
        m_pool->stop();
        m_stopped.push_back(std::move(m_pool));
    }
    reapEnded();
}

void Downloader::reapEnded()
{
    std::erase_if(m_stopped, [](const auto &pool) { return pool->hasEnded(); });
}

quint64 Downloader::request(const QByteArray &address, int index)
{
    return m_pool ? m_pool->request(address, index) : 0;
}

quint64 Downloader::requestFirst(const QByteArray &address, int index)
{
    return m_pool ? m_pool->request(address, index, true) : 0;
}

void Downloader::abort()
{
    if (m_pool)
        m_pool->abort();
}

bool Downloader::isBusy() const
{
    return m_pool && m_pool->isBusy();
}

bool Downloader::isBusyWith(int index) const
{
    return m_pool && m_pool->isBusyWith(index);
}

std::optional<DownloadResult> Downloader::takeResult()
{
    return m_pool ? m_pool->takeResult() : std::nullopt;
}

HeldHosts Downloader::heldHosts() const
{
    return m_pool ? m_pool->heldHosts() : HeldHosts();
}
