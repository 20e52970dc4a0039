#include "refreshcommand.h"

#include "collection.h"
#include "config/settings.h"
#include "platform/files.h"
#include "refresh/downloader.h"
#include "refresh/linkchecker.h"
#include "refresh/refreshpass.h"
#include "refreshreport.h"
#include "store/bookmarks.h"
#include "wakeup.h"

#include <unistd.h>

namespace {
// Nothing (more) was recorded because the network, a proxy or a sign-in page failed.
constexpr int ExitNetworkFailed = 3;
// A progress line on a terminal counts down at least this often.
constexpr std::chrono::seconds ProgressEvery{1};

std::optional<WakeUp::Clock::time_point> Earliest(std::optional<WakeUp::Clock::time_point> a,
                                                  std::optional<WakeUp::Clock::time_point> b)
{
    return a && b ? std::min(*a, *b) : a ? a : b;
}

// Stores every result that waits.
void StoreArrived(TRefreshPass &pass, RefreshReport &report)
{
    for (TRefreshStep step = pass.Step(); step.Stored != TStoreOutcome::Nothing; step = pass.Step())
        report.Add(step);
}
} // namespace

int RunRefresh(const TRefreshOptions &options, QTextStream &out, QTextStream &err)
{
    const std::unique_ptr<TBookmarks> collection =
        OpenCollection(options.Folder, err, platform::batchedFileWriteOps());
    if (!collection)
        return 1;
    TBookmarks &list = *collection;
    if (Settings.NoNetAccess) {
        out << "NoNetAccess is set in the settings: nothing is fetched\n";
        return 0;
    }
    const WakeUp wake; // outlives the engine, whose worker posts to it
    if (options.All) {
        list.RefreshAll();
        platform::syncFileSystem(list.FavoritesPath());
    }
    const auto posted = [&wake] { wake.Post(); };
    TRefreshEngine engine(std::make_unique<LinkChecker>(
        std::make_unique<Downloader>(
            DownloadLimits{},
            PoolOptions{.jobs = options.Jobs, .honourRetryAfter = true, .resultReady = posted}),
        CheckSeams{.resultReady = posted,
                   .decideWhenIdle = true,
                   .keepOrder = options.Jobs == 1,
                   .lookups = options.Jobs}));
    engine.InitDownloader();
    TRefreshPass pass(engine, list);
    const bool terminal = isatty(STDOUT_FILENO) != 0;
    RefreshReport report(out, list, pass.Requested(), terminal);
    // A failed network or proxy ends the run at once: nothing more could be recorded.
    const auto failed = [&] { return engine.networkFailure().kind != NetworkFailure::None; };
    while (!pass.Finished() && !wake.Signal() && !failed()) {
        report.ShowProgress(engine.WaitingHosts());
        const auto progress = WakeUp::Clock::now() + ProgressEvery;
        wake.Wait(Earliest(pass.FlushDue(), terminal ? std::optional(progress) : std::nullopt));
        StoreArrived(pass, report);
    }
    const RunFailure failure = engine.networkFailure();
    if (wake.Signal() || failed())
        engine.AbortDownload();
    engine.DoneDownloader();
    const bool flushed = pass.Flush();
    if (!flushed)
        err << "favrake-cli: could not flush the written files to the disk\n";
    report.Finish(wake.Signal() != 0, failure);
    if (wake.Signal())
        return 128 + wake.Signal();
    if (failure.kind != NetworkFailure::None)
        return ExitNetworkFailed;
    return flushed ? 0 : 1;
}
