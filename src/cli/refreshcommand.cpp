#include "refreshcommand.h"

#include "collection.h"
#include "config/settings.h"
#include "refresh/downloader.h"
#include "refresh/engine.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QDir>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t StopSignal = 0;

void OnStopSignal(int signal)
{
    StopSignal = signal;
}

// SIGINT and SIGTERM only ask the loop to stop, so the transfer is abandoned cleanly.
class StopSignals final
{
  public:
    StopSignals()
    {
        StopSignal = 0;
        struct sigaction action = {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~StopSignals()
    {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    int Received() const { return StopSignal; }

  private:
    struct sigaction m_oldInt = {};
    struct sigaction m_oldTerm = {};
};

struct Totals
{
    int ok = 0;
    int failed = 0;
    int notWritten = 0;
};

// On a terminal, a status line under the results: count, failures, current address.
class StatusLine final
{
  public:
    StatusLine(QTextStream &out, QTextStream &err, int due)
        : m_out(out), m_err(err), m_due(due), m_shown(isatty(fileno(stderr)) != 0)
    {
    }
    void Clear()
    {
        if (m_shown)
            m_err << "\r\033[K" << Qt::flush;
    }
    void Show(int done, int failed, const QString &address)
    {
        if (!m_shown)
            return;
        m_out << Qt::flush;
        m_err << "\r\033[K[" << done << '/' << m_due << "] " << failed << " failed  "
              << OneLine(address).left(60) << Qt::flush;
    }

  private:
    QTextStream &m_out;
    QTextStream &m_err;
    const int m_due;
    const bool m_shown;
};

void Report(const TBookmarks &list, const TRefreshStep &step, Totals &totals, QTextStream &out)
{
    const TDownloadResult &result = step.Result;
    const QString name =
        displayFileName(QDir(list.FavoritesPath()).relativeFilePath(result.FileName));
    QString line = name + u'\t';
    if (step.Stored == TStoreOutcome::Dropped) {
        line += QStringLiteral("SKIPPED\tthe bookmark changed meanwhile");
    } else {
        line += result.Success ? QStringLiteral("OK\t") + result.Title
                               : QStringLiteral("FAILED\t") + result.ErrorMsg;
        ++(result.Success ? totals.ok : totals.failed);
    }
    if (step.Stored == TStoreOutcome::NotWritten)
        line += result.RequestedURL.isEmpty()
                    ? QStringLiteral("\t(not written: the bookmark has no address)")
                    : QStringLiteral("\t(not written: the file changed meanwhile)");
    if (step.Stored != TStoreOutcome::Written)
        ++totals.notWritten;
    out << OneLine(line) << '\n';
}
} // namespace

std::optional<TRefreshOptions> ParseRefreshArguments(const QStringList &arguments)
{
    TRefreshOptions options;
    for (const QString &argument : arguments) {
        if (argument == u"--all" && !options.All)
            options.All = true;
        else if (!argument.startsWith(u"--") && options.Folder.isEmpty())
            options.Folder = argument;
        else
            return std::nullopt;
    }
    return options;
}

int RunRefresh(const TRefreshOptions &options, QTextStream &out, QTextStream &err)
{
    const std::unique_ptr<TBookmarks> collection = OpenCollection(options.Folder, err);
    if (!collection)
        return 1;
    TBookmarks &list = *collection;
    if (Settings.NoNetAccess) {
        out << "NoNetAccess is set in the settings: nothing is fetched\n";
        return 0;
    }
    const StopSignals stopSignals; // outlives the engine, whose end joins the worker
    if (options.All)
        list.RefreshAll();
    TRefreshEngine engine(std::make_unique<Downloader>());
    engine.InitDownloader();
    TRefreshPass pass(engine, list);
    Totals totals;
    StatusLine status(out, err, list.RefreshDueCount());
    while (!stopSignals.Received()) {
        const TRefreshStep step = pass.Step();
        if (step.Stored != TStoreOutcome::Nothing) {
            status.Clear();
            Report(list, step, totals, out);
        }
        if (step.Requested >= 0)
            status.Show(totals.ok + totals.failed, totals.failed, list.Item(step.Requested)->URL);
        if (pass.Finished())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    status.Clear();
    if (stopSignals.Received()) {
        engine.AbortDownload();
        out << "interrupted: the download in progress was abandoned\n";
    }
    engine.DoneDownloader();
    out << totals.ok + totals.failed << " refreshed: " << totals.ok << " OK, " << totals.failed
        << " failed; " << totals.notWritten << " not written; " << list.RefreshDueCount()
        << " still due\n";
    return stopSignals.Received() ? 128 + stopSignals.Received() : 0;
}
