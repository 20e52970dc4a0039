// Resident memory of the running tray program with 10,000 bookmarks against the same
// program on an empty Favorites folder.
#include "programbench.h"

#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    return programBenchMain(argc, argv, [](const QString &favorites, const RunOn &run) {
        QTemporaryDir empty;
        QList<double> withBookmarks, without;
        for (int r = 0; r < 3; ++r) {
            withBookmarks << run(favorites).residentKb;
            without << run(empty.path()).residentKb;
        }
        const double ours = median(withBookmarks), baseline = median(without);
        if (ours <= 0 || baseline <= 0)
            return 1;
        std::printf("RESULT memory ratio=%.3f per_bookmark_kb=%.2f rss_kb=%.0f empty_rss_kb=%.0f "
                    "bookmarks=%d\n",
                    ours / baseline, (ours - baseline) / benchBookmarks, ours, baseline,
                    benchBookmarks);
        return 0;
    });
}
