// Refreshing a collection through the engine (worker thread, page information, storing
// into each file and flushing it to the disk) against a plain libcurl loop fetching the
// same pages one after the other. What the file system alone asks for writing as many
// files is printed beside it, since on a disk that figure can outweigh the fetching.
#include "benchclock.h"
#include "pageserver.h"
#include "passrunner.h"
#include "refresh/downloader.h"
#include "refresh/linkchecker.h"
#include "store/bookmarks.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>

namespace {
constexpr int pages = 1000;
constexpr int repeats = 5;

void makeCollection(const QString &root, const PageServer &server)
{
    for (int i = 0; i < pages; ++i) {
        QFile file(QStringLiteral("%1/Page %2.url").arg(root).arg(i));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write("[InternetShortcut]\r\nURL=" + server.url(0, i) + "\r\nIconIndex=1\r\n");
    }
}

// The engine as the command line drives it: its default jobs, the link check, batched
// durability, and a wait for each result instead of polling.
int refreshThroughEngine(Bookmarks &list)
{
    PassRunner runner;
    RefreshEngine engine(std::make_unique<LinkChecker>(
        std::make_unique<Downloader>(DownloadLimits{},
                                     PoolOptions{.jobs = 32, .resultReady = runner.poster()}),
        CheckSeams{.resultReady = runner.poster(), .decideWhenIdle = true, .lookups = 32}));
    return runner.run(engine, list);
}

size_t keep(char *data, size_t size, size_t count, void *into)
{
    static_cast<QByteArray *>(into)->append(data, qsizetype(size * count));
    return size * count;
}

// One easy handle per page with the worker's request options.
int fetchPlain(const PageServer &server)
{
    int fetched = 0;
    curl_slist *accept = curl_slist_append(nullptr, "Accept: text/html, */*");
    for (int i = 0; i < pages; ++i) {
        QByteArray body;
        QByteArray headers;
        CURL *h = curl_easy_init();
        curl_easy_setopt(h, CURLOPT_URL, server.url(0, i).constData());
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(h, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(h, CURLOPT_USERAGENT, "Mozilla/5.0 (compatible; Favrake/1.3i)");
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, accept);
        curl_easy_setopt(h, CURLOPT_NETRC, long(CURL_NETRC_IGNORED));
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, 15000L);
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 60000L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, keep);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, keep);
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

// Each page's file written anew beside the collection and renamed over the old one, as a
// save does, without reading, checking or flushing anything.
void replaceFilesPlainly(const QString &root)
{
    const QByteArray text(400, 'x');
    for (int i = 0; i < pages; ++i) {
        const QString name = QStringLiteral("%1/plain %2.url").arg(root).arg(i);
        QFile temporary(name + QStringLiteral(".new"));
        if (!temporary.open(QIODevice::WriteOnly) || temporary.write(text) != text.size())
            std::abort();
        temporary.close();
        if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                        QFile::encodeName(name).constData()) != 0)
            std::abort();
    }
}
} // namespace

int main(int argc, char **argv)
{
    for (const char *name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "no_proxy"})
        unsetenv(name);
    // By default the files live in memory (/dev/shm); a folder given as argument measures
    // with its file system instead.
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1])
                         : QFileInfo(QStringLiteral("/dev/shm")).isDir()
                             ? QStringLiteral("/dev/shm")
                             : QDir::tempPath();
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const PageServer server(1, std::chrono::milliseconds(0));
    double ours = 1e300;
    double plain = 1e300;
    double files = 1e300;
    // Alternate the runs so that a busy machine slows each alike; keep the best of each.
    for (int r = 0; r < repeats; ++r) {
        QTemporaryDir dir(base + QStringLiteral("/bench_refresh-XXXXXX"));
        makeCollection(dir.path(), server);
        Bookmarks list(dir.path(), BookmarksEnv{.writeOps = &platform::batchedFileWriteOps()});
        int fetched = 0;
        int stored = 0;
        plain = std::min(plain, ms([&] { fetched = fetchPlain(server); }));
        ours = std::min(ours, ms([&] { stored = refreshThroughEngine(list); }));
        files = std::min(files, ms([&] { replaceFilesPlainly(dir.path()); }));
        if (fetched != pages || stored != pages) {
            std::fprintf(stderr, "fetched %d, stored %d of %d pages\n", fetched, stored, pages);
            return 1;
        }
    }
    curl_global_cleanup();
    std::printf("files in %s (%s)\n", qPrintable(base),
                qPrintable(QStorageInfo(base).fileSystemType()));
    std::printf("RESULT refresh ratio=%.3f ours_ms=%.1f plain_ms=%.1f plain_files_ms=%.1f "
                "pages=%d\n",
                ours / plain, ours, plain, files, pages);
}
