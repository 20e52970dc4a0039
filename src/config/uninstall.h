#pragma once

#include <QString>
#include <QStringList>

class Bookmarks;

// What an uninstall removed, and what it could not.
struct UninstallReport
{
    QString favoritesPath;
    int cleaned = 0;          // bookmark files whose state went
    QStringList notCleaned;   // files that still hold state
    QString settingsFile;     // the settings file deleted; empty when there was none
    QString autostartFile;    // the login entry removed; empty when there was none of ours
    QString cacheFolder;      // the cache folder deleted; empty when there was none
    QStringList runtimeFiles; // the running copy's lock and socket removed
    bool complete() const { return notCleaned.isEmpty(); }
};

// Removes every trace of the program: the state section of each bookmark that still holds
// the address it had (the folder is read again first, so files added or edited meanwhile
// are judged as they are now), then the settings file, which is not written again in this
// run, the login autostart entry the program wrote, the cache folder, and the lock and socket
// in the runtime folder (only those; the folder goes when nothing else is in it).
UninstallReport uninstallCleanup(Bookmarks &list);

// The report as the command line prints it.
QString uninstallText(const UninstallReport &report);
