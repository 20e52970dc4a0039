#pragma once

#include <QString>

namespace platform {
// The entry that starts the program when the user logs in. An entry of the same name that
// the program did not write (it lacks the program's marker) is the user's and is never
// changed or deleted.
QString autostartFile();   // $XDG_CONFIG_HOME/autostart/favrake.desktop, else below ~/.config
bool isAutostartEnabled(); // our entry exists and the desktop has not switched it off
bool isAutostartForeign(); // an entry of that name is there that the program did not write
// Writes our entry (replacing an older one of ours) or removes it; false when that failed
// or a foreign entry is in the way.
bool setAutostart(bool enable, const QString &programPath);
bool removeAutostartIfOurs(); // false only when our entry is there and could not be deleted

// The Exec value that starts programPath, quoted and escaped as desktop entries require.
QString desktopExecValue(const QString &programPath);
} // namespace platform
