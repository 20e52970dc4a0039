// Resident memory of the running tray program with 10,000 bookmarks against the same
// program on an empty Favorites folder.
#include "programbench.h"

#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    return ProgramBenchMain(argc, argv, [](const QString &favorites, const TRunOn &run) {
        QTemporaryDir empty;
        QList<double> withBookmarks, without;
        for (int r = 0; r < 3; ++r) {
            withBookmarks << run(favorites).ResidentKb;
            without << run(empty.path()).ResidentKb;
        }
        const double ours = Median(withBookmarks), baseline = Median(without);
        if (ours <= 0 || baseline <= 0)
            return 1;
        std::printf("RESULT memory ratio=%.3f per_bookmark_kb=%.2f rss_kb=%.0f empty_rss_kb=%.0f "
                    "bookmarks=%d\n",
                    ours / baseline, (ours - baseline) / BenchBookmarks, ours, baseline,
                    BenchBookmarks);
        return 0;
    });
}
