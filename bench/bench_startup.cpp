// The tray program's start with 10,000 bookmarks, from process start to the first window on
// the screen, against loading the same files.
#include "programbench.h"
#include "store/bookmarks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr int FileCount = 10000;
constexpr int Repeats = 5;
} // namespace

int main(int argc, char *argv[])
{
    int exitCode = 0;
    if (RunChildIfAsked(argc, argv, &exitCode))
        return exitCode;
    QCoreApplication application(argc, argv);
    QTemporaryDir favorites(QStringLiteral("/dev/shm/favrake-bench-XXXXXX"));
    QTemporaryDir home;
    MakeDueCollection(favorites.path(), FileCount);
    QList<double> loads, starts;
    for (int r = 0; r < Repeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        if (TBookmarks(favorites.path()).Count() != FileCount)
            return 1;
        loads << double(timer.nsecsElapsed()) / 1e6;
        const TProgramRun run =
            RunProgram(QCoreApplication::applicationFilePath(), favorites.path(), home.path());
        if (run.FirstShownMs < 0)
            return 1; // no window came up
        starts << run.FirstShownMs;
    }
    const double load = Median(loads), start = Median(starts);
    std::printf("RESULT startup ratio=%.3f extra_ms=%.1f startup_ms=%.1f load_ms=%.1f "
                "bookmarks=%d\n",
                start / load, start - load, start, load, FileCount);
}
