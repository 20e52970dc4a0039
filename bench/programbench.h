#pragma once

// Runs the tray program inside a child process of the benchmark, so that its start is
// measured from the process's own start, on a collection of due, freshly refreshed
// bookmarks (the windows come up at once, no download is waited for).
#include <QString>
#include <QStringList>

struct TProgramRun
{
    double FirstShownMs = -1; // from process start to the first window on the screen
    double ResidentKb = -1;   // resident memory once the start has settled
};

// Writes count bookmarks in 100 folders below root.
void MakeDueCollection(const QString &root, int count);

// Starts this benchmark again in child mode on favorites and reads what it reports.
TProgramRun RunProgram(const QString &self, const QString &favorites, const QString &home);

// The child's side: when the arguments ask for child mode, runs the program, prints its
// figures and returns true (main then returns).
bool RunChildIfAsked(int argc, char *argv[], int *exitCode);

double Median(QList<double> values);
