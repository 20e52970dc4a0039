#pragma once

#include <QString>
#include <QStringList>

class TBookmarks;

// What an uninstall removed, and what it could not.
struct TUninstallReport
{
    QString FavoritesPath;
    int Cleaned = 0;        // bookmark files whose state went
    QStringList NotCleaned; // files that still hold state
    QString SettingsFile;   // the settings file deleted; empty when there was none
    QString AutostartFile;  // the login entry removed; empty when there was none of ours
    bool Complete() const { return NotCleaned.isEmpty(); }
};

// Removes every trace of the program: the state section of each bookmark that still holds
// the address it had (the folder is read again first, so files added or edited meanwhile
// are judged as they are now), then the settings file, which is not written again in this
// run, and the login autostart entry the program wrote.
TUninstallReport UninstallCleanup(TBookmarks &list);

// The report as the command line prints it.
QString UninstallText(const TUninstallReport &report);
