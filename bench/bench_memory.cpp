// Resident memory of the running tray program with 10,000 bookmarks against the same
// program on an empty Favorites folder.
#include "programbench.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr int FileCount = 10000;
constexpr int Repeats = 3;
} // namespace

int main(int argc, char *argv[])
{
    int exitCode = 0;
    if (RunChildIfAsked(argc, argv, &exitCode))
        return exitCode;
    QCoreApplication application(argc, argv);
    QTemporaryDir full(QStringLiteral("/dev/shm/favrake-bench-XXXXXX"));
    QTemporaryDir empty;
    QTemporaryDir home;
    MakeDueCollection(full.path(), FileCount);
    QList<double> withBookmarks, without;
    for (int r = 0; r < Repeats; ++r) {
        const QString self = QCoreApplication::applicationFilePath();
        withBookmarks << RunProgram(self, full.path(), home.path()).ResidentKb;
        without << RunProgram(self, empty.path(), home.path()).ResidentKb;
    }
    const double ours = Median(withBookmarks), baseline = Median(without);
    if (ours <= 0 || baseline <= 0)
        return 1;
    std::printf("RESULT memory ratio=%.3f per_bookmark_kb=%.2f rss_kb=%.0f empty_rss_kb=%.0f "
                "bookmarks=%d\n",
                ours / baseline, (ours - baseline) / FileCount, ours, baseline, FileCount);
}
