#pragma once

// Runs the tray program inside a child process of the benchmark, so that its start is
// measured from the process's own start, on a collection of due, freshly refreshed
// bookmarks (the windows come up at once, no download is waited for).
#include <QString>
#include <QStringList>
#include <functional>

struct ProgramRun
{
    double firstShownMs = -1; // from process start to the first window on the screen
    double residentKb = -1;   // resident memory once the start has settled
};

inline constexpr int benchBookmarks = 10000;

// The main function of a program benchmark. In the parent, bench gets a Favorites folder
// with BenchBookmarks due bookmarks (on tmpfs) and a function that runs the program in a
// child process on any folder; in the child, the program runs and reports its figures.
using RunOn = std::function<ProgramRun(const QString &favorites)>;
int programBenchMain(int argc, char *argv[],
                     const std::function<int(const QString &favorites, const RunOn &run)> &bench);

double median(QList<double> values);
