// The tray program's start with 10,000 bookmarks, from process start to the first window on
// the screen, against loading the same files.
#include "programbench.h"
#include "store/bookmarks.h"

#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    return programBenchMain(argc, argv, [](const QString &favorites, const RunOn &run) {
        QList<double> loads, starts;
        for (int r = 0; r < 5; ++r) {
            QElapsedTimer timer;
            timer.start();
            if (Bookmarks(favorites).count() != benchBookmarks)
                return 1;
            loads << double(timer.nsecsElapsed()) / 1e6;
            const double start = run(favorites).firstShownMs;
            if (start < 0)
                return 1; // no window came up
            starts << start;
        }
        const double load = median(loads), start = median(starts);
        std::printf("RESULT startup ratio=%.3f extra_ms=%.1f startup_ms=%.1f load_ms=%.1f "
                    "bookmarks=%d\n",
                    start / load, start - load, start, load, benchBookmarks);
        return 0;
    });
}
