#include "refreshcommand.h"

#include "collection.h"
#include "config/settings.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "platform/wakeup.h"
#include "refresh/downloader.h"
#include "refresh/linkchecker.h"
#include "refresh/refreshpass.h"
#include "refreshreport.h"
#include "store/bookmarks.h"

using platform::WakeUp;

namespace {
// Nothing (more) was recorded because the network, a proxy or a sign-in page failed.
constexpr int exitNetworkFailed = 3;
// A progress line on a terminal counts down at least this often.
constexpr std::chrono::seconds progressEvery{1};

std::optional<WakeUp::Clock::time_point> earliest(std::optional<WakeUp::Clock::time_point> a,
                                                  std::optional<WakeUp::Clock::time_point> b)
{
    return a && b ? std::min(*a, *b) : a ? a : b;
}

// Stores every result that waits.
void storeArrived(RefreshPass &pass, RefreshReport &report)
{
    for (RefreshStep step = pass.step(); step.stored != StoreOutcome::Nothing; step = pass.step())
        report.add(step);
}
} // namespace

int runRefresh(const RefreshOptions &options, QTextStream &out, QTextStream &err)
{
    const std::unique_ptr<Bookmarks> collection =
        openCollection(options.folder, err, platform::batchedFileWriteOps());
    if (!collection)
        return 1;
    Bookmarks &list = *collection;
    if (settings.noNetAccess) {
        out << "NoNetAccess is set in the settings: nothing is fetched\n";
        return 0;
    }
    const WakeUp wake; // outlives the engine, whose worker posts to it
    if (options.all) {
        list.refreshAll();
        platform::syncFileSystem(list.favoritesPath());
    }
    const auto posted = [&wake] { wake.post(); };
    RefreshEngine engine(std::make_unique<LinkChecker>(
        std::make_unique<Downloader>(
            DownloadLimits{},
            PoolOptions{.jobs = options.jobs, .honourRetryAfter = true, .resultReady = posted}),
        CheckSeams{.resultReady = posted,
                   .decideWhenIdle = true,
                   .keepOrder = options.jobs == 1,
                   .lookups = options.jobs}));
    engine.initDownloader();
    RefreshPass pass(engine, list);
    const bool terminal = platform::standardOutputIsTerminal();
    RefreshReport report(out, list, pass.requested(), terminal);
    // A failed network or proxy ends the run at once: nothing more could be recorded.
    const auto failed = [&] { return engine.networkFailure().kind != NetworkFailure::None; };
    while (!pass.finished() && !wake.signal() && !failed()) {
        report.showProgress(engine.waitingHosts());
        const auto progress = WakeUp::Clock::now() + progressEvery;
        wake.wait(earliest(pass.flushDue(), terminal ? std::optional(progress) : std::nullopt));
        storeArrived(pass, report);
    }
    const RunFailure failure = engine.networkFailure();
    if (wake.signal() || failed())
        engine.abortDownload();
    engine.doneDownloader();
    const bool flushed = pass.flush();
    if (!flushed)
        err << "favrake-cli: could not flush the written files to the disk\n";
    report.finish(wake.signal() != 0, failure);
    if (wake.signal())
        return 128 + wake.signal();
    if (failure.kind != NetworkFailure::None)
        return exitNetworkFailed;
    return flushed ? 0 : 1;
}
