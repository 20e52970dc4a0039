// The tray program's start with 10,000 bookmarks, from process start to the first window on
// the screen, against loading the same files.
#include "programbench.h"
#include "store/bookmarks.h"

#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    return ProgramBenchMain(argc, argv, [](const QString &favorites, const TRunOn &run) {
        QList<double> loads, starts;
        for (int r = 0; r < 5; ++r) {
            QElapsedTimer timer;
            timer.start();
            if (TBookmarks(favorites).Count() != BenchBookmarks)
                return 1;
            loads << double(timer.nsecsElapsed()) / 1e6;
            const double start = run(favorites).FirstShownMs;
            if (start < 0)
                return 1; // no window came up
            starts << start;
        }
        const double load = Median(loads), start = Median(starts);
        std::printf("RESULT startup ratio=%.3f extra_ms=%.1f startup_ms=%.1f load_ms=%.1f "
                    "bookmarks=%d\n",
                    start / load, start - load, start, load, BenchBookmarks);
        return 0;
    });
}
