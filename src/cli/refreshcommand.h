#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

struct RefreshOptions
{
    QString folder; // empty: the Favorites folder
    bool all = false;
    int jobs = 32; // downloads at once
};

// Refreshes every due bookmark once (with All, every one not kept for good) and writes the
// outcome into its file as it arrives; then the totals. Stops early on SIGINT or SIGTERM,
// with no transfer left running and everything written flushed. Returns the exit code: 0,
// 3 when the network, the proxy or a sign-in page kept it from recording, 1 for other
// errors, 128 plus the signal when stopped.
int runRefresh(const RefreshOptions &options, QTextStream &out, QTextStream &err);
