#pragma once

#include <QStringList>

class TBookmarks;

// Removes every trace of the program: the state section of each bookmark that still holds
// the address it had (the folder is read again first, so files added or edited meanwhile
// are judged as they are now), then the settings file, which is not written again in this
// run, and the login autostart entry the program wrote. Returns the files that still hold
// state.
QStringList UninstallCleanup(TBookmarks &list);
