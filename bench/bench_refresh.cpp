// Refreshing a collection through the engine (worker thread, page information, storing
// into each file) against a plain libcurl loop fetching the same pages.
#include "refresh/downloader.h"
#include "refresh/engine.h"
#include "refresh/refreshpass.h"
#include "store/bookmarks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr int Pages = 1000;
constexpr int Repeats = 5;

// Answers each connection with one small page and hangs up; one connection at a time.
class PageServer final
{
  public:
    PageServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), size) != 0 ||
            ::listen(m_listener, 128) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            std::abort();
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~PageServer()
    {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR); // wakes accept()
        m_thread.join();
        ::close(m_listener);
    }
    QByteArray Url(int page) const
    {
        return "http://127.0.0.1:" + QByteArray::number(m_port) + "/p/" + QByteArray::number(page);
    }

  private:
    void Serve()
    {
        char request[4096];
        char reply[1024];
        while (!m_stop) {
            const int connection = ::accept(m_listener, nullptr, nullptr);
            if (connection < 0)
                continue;
            qsizetype got = 0;
            for (ssize_t n;
                 got < qsizetype(sizeof request) - 1 &&
                 (n = ::read(connection, request + got, sizeof request - 1 - got)) > 0;) {
                got += n;
                request[got] = '\0';
                if (std::strstr(request, "\r\n\r\n"))
                    break;
            }
            const int page = got > 7 ? std::atoi(request + 7) : 0; // "GET /p/<n>"
            char body[512];
            const int bodySize = std::snprintf(
                body, sizeof body,
                "<html><head><title>Page %d of the collection</title>"
                "<meta name=\"description\" content=\"A small page, number %d, served for the "
                "refresh benchmark\"></head><body><h1>Page %d</h1><p>Some text.</p></body></html>",
                page, page, page);
            const int size =
                std::snprintf(reply, sizeof reply,
                              "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                              "Content-Length: %d\r\nConnection: close\r\n\r\n%s",
                              bodySize, body);
            if (::write(connection, reply, size_t(size)) != size)
                std::abort();
            ::close(connection);
        }
    }

    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

void MakeCollection(const QString &root, const PageServer &server)
{
    for (int i = 0; i < Pages; ++i) {
        QFile file(QStringLiteral("%1/Page %2.url").arg(root).arg(i));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write("[InternetShortcut]\r\nURL=" + server.Url(i) + "\r\nIconIndex=1\r\n");
    }
}

// The engine as the command line drives it, polling without a pause.
int RefreshThroughEngine(TBookmarks &list)
{
    TRefreshEngine engine(std::make_unique<Downloader>());
    engine.InitDownloader();
    TRefreshPass pass(engine, list);
    int written = 0;
    while (!pass.Finished()) {
        written += pass.Step().Stored == TStoreOutcome::Written ? 1 : 0;
        std::this_thread::yield();
    }
    return list.RefreshDueCount() == 0 ? written : -1;
}

size_t Keep(char *data, size_t size, size_t count, void *into)
{
    static_cast<QByteArray *>(into)->append(data, qsizetype(size * count));
    return size * count;
}

// One easy handle per page with the worker's request options.
int FetchPlain(const PageServer &server)
{
    int fetched = 0;
    curl_slist *accept = curl_slist_append(nullptr, "Accept: text/html, */*");
    for (int i = 0; i < Pages; ++i) {
        QByteArray body;
        QByteArray headers;
        CURL *h = curl_easy_init();
        curl_easy_setopt(h, CURLOPT_URL, server.Url(i).constData());
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/5.0 (compatible; Favrake/1.3i)");
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, accept);
        curl_easy_setopt(h, CURLOPT_NETRC, long(CURL_NETRC_IGNORED));
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, 15000L);
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 60000L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Keep);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, Keep);
        curl_easy_setopt(h, CURLOPT_HEADERDATA, &headers);
        long code = 0;
        if (curl_easy_perform(h) == CURLE_OK &&
            curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK && code == 200 &&
            body.contains("<title>"))
            ++fetched;
        curl_easy_cleanup(h);
    }
    curl_slist_free_all(accept);
    return fetched;
}

template <typename Work> double Ms(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}
} // namespace

int main(int argc, char **argv)
{
    for (const char *name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "no_proxy"})
        unsetenv(name);
    // The store syncs every file it writes; on a disk that sync alone outweighs a loopback
    // fetch many times over, so by default the files live in memory (/dev/shm). A folder
    // given as argument measures with its file system instead.
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1])
                         : QFileInfo(QStringLiteral("/dev/shm")).isDir()
                             ? QStringLiteral("/dev/shm")
                             : QDir::tempPath();
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const PageServer server;
    double ours = 1e300;
    double plain = 1e300;
    // Alternate the two so that a busy machine slows both alike; keep the best of each.
    for (int r = 0; r < Repeats; ++r) {
        QTemporaryDir dir(base + QStringLiteral("/bench_refresh-XXXXXX"));
        MakeCollection(dir.path(), server);
        TBookmarks list(dir.path());
        int fetched = 0;
        int stored = 0;
        plain = std::min(plain, Ms([&] { fetched = FetchPlain(server); }));
        ours = std::min(ours, Ms([&] { stored = RefreshThroughEngine(list); }));
        if (fetched != Pages || stored != Pages) {
            std::fprintf(stderr, "fetched %d, stored %d of %d pages\n", fetched, stored, Pages);
            return 1;
        }
    }
    curl_global_cleanup();
    std::printf("files in %s\n", qPrintable(base));
    std::printf("RESULT refresh ratio=%.3f ours_ms=%.1f plain_ms=%.1f pages=%d\n", ours / plain,
                ours, plain, Pages);
}
