// favrake-cli refresh at its default jobs on 1,000 bookmarks spread over 50 loopback hosts
// whose pages each take 100 ms, against the ideal of 1,000 x 100 ms / jobs; then the
// processor time the command uses while every server stalls for 10 s. With an argument N it
// times N pages over N / 10 hosts instead and prints only that.
#include "pageserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>

extern char **environ;

namespace {
constexpr int pageCount = 1000;
constexpr int hostCount = 50;
constexpr int jobs = 32; // favrake-cli's default
constexpr std::chrono::milliseconds pageTime{100};
constexpr std::chrono::seconds stall{10};

void makeCollection(const QString &folder, const PageServer &server, int pages, int hosts)
{
    for (int i = 0; i < pages; ++i) {
        QFile file(QStringLiteral("%1/Page %2.url").arg(folder).arg(i));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write("[InternetShortcut]\r\nURL=" + server.url(i % hosts, i) + "\r\n");
    }
}

struct Finished
{
    int status = -1;
    double cpuSeconds = 0; // user and system
};

// Runs favrake-cli refresh on folder, its output to output; after interruptAfter (when
// given) it gets SIGINT.
Finished runRefresh(const QString &folder, const QString &output,
                    std::optional<std::chrono::seconds> interruptAfter = std::nullopt)
{
    const QByteArray path = folder.toLocal8Bit();
    const char *argv[] = {FAVRAKE_CLI, "refresh", path.constData(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.toLocal8Bit().constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    if (posix_spawn(&child, FAVRAKE_CLI, &actions, nullptr, const_cast<char **>(argv), environ) !=
        0)
        std::abort();
    posix_spawn_file_actions_destroy(&actions);
    if (interruptAfter) {
        std::this_thread::sleep_for(*interruptAfter);
        ::kill(child, SIGINT);
    }
    Finished finished;
    rusage usage = {};
    if (::wait4(child, &finished.status, 0, &usage) != child)
        std::abort();
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    finished.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return finished;
}

QByteArray lastLine(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().split('\n').last() : "";
}
// One refresh of pages over hosts, with what the servers saw.
struct Timed
{
    double wallMs = 0;
    int requests = 0;
    int probes = 0;
    int most = 0;
    int status = -1;
};

Timed timeRefresh(const QString &output, int pages, int hosts)
{
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/bench_refresh_parallel-XXXXXX"));
    const PageServer server(hosts, pageTime);
    makeCollection(folder.path(), server, pages, hosts);
    QElapsedTimer clock;
    clock.start();
    const Finished run = runRefresh(folder.path(), output);
    std::printf("%s\n", lastLine(output).constData());
    return {double(clock.nsecsElapsed()) / 1e6, server.requests(), server.otherRequests(),
            server.mostAtOnce(), run.status};
}
} // namespace

int main(int argc, char **argv)
{
    for (const char *name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "no_proxy"})
        unsetenv(name);
    QTemporaryDir home; // settings of its own, so that no user setting stops the refresh
    setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit().constData(), 1);
    const QString output = home.filePath(QStringLiteral("output.txt"));
    if (argc > 1) {
        const int pages = std::max(10, std::atoi(argv[1]));
        const Timed run = timeRefresh(output, pages, pages / 10);
        std::printf("%d pages over %d hosts at %lld ms a page: %.0f ms\n", pages, pages / 10,
                    (long long)pageTime.count(), run.wallMs);
        return run.status == 0 ? 0 : 1;
    }
    std::printf("files in %s (%s)\n", qPrintable(QDir::tempPath()),
                qPrintable(QStorageInfo(QDir::tempPath()).fileSystemType()));
    const Timed run = timeRefresh(output, pageCount, hostCount);
    if (run.status != 0)
        return 1;
    std::printf("server saw %d requests for the %d pages and %d probes (one a host), at most %d "
                "at once on one host\n",
                run.requests, pageCount, run.probes, run.most);

    QTemporaryDir stalled(QDir::tempPath() + QStringLiteral("/bench_refresh_parallel-XXXXXX"));
    double idleCpu = 0;
    {
        const PageServer server(hostCount, pageTime, true);
        makeCollection(stalled.path(), server, pageCount, hostCount);
        idleCpu = runRefresh(stalled.path(), output, stall).cpuSeconds;
        std::printf("%s\nwhile every server stalled for %lld s: user+sys %.3f s\n",
                    lastLine(output).constData(), (long long)stall.count(), idleCpu);
    }
    const double idealMs = double(pageCount) * double(pageTime.count()) / jobs;
    std::printf("RESULT refresh_parallel ratio=%.3f wall_ms=%.0f ideal_ms=%.0f requests=%d "
                "probes=%d most_per_host=%d stalled_cpu_s=%.3f\n",
                run.wallMs / idealMs, run.wallMs, idealMs, run.requests, run.probes, run.most,
                idleCpu);
    return run.requests == pageCount && run.probes <= hostCount && run.most <= 2 ? 0 : 1;
}
