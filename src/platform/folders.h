#pragma once

#include <QString>
#include <QStringList>

namespace platform {
// Each ends with "/"; empty when the platform cannot give the folder.
QString favoritesFolder(); // $FAVRAKE_FAVORITES, else ~/Favorites
QString appDataFolder();   // $XDG_CONFIG_HOME, else ~/.config
QString userDataFolder();  // $XDG_DATA_HOME, else ~/.local/share

// Where the program's shipped data (language files, help) lies: <prefix>/share/favrake
// beside an installed program, and first the sources' data folder for a program started
// from its build tree (named by the note "favrake-build-data" beside it). Without "/" at
// the end.
QStringList programDataFolders();
} // namespace platform
