#pragma once

#include <QString>
#include <QStringList>

namespace platform {
// Each ends with "/"; empty when the platform cannot give the folder.
// $FAVRAKE_FAVORITES, else configured (the user's choice in the settings), else ~/Favorites.
QString favoritesFolder(const QString &configured = QString());
bool favoritesFolderFromEnvironment();
QString homeFolder();     // $HOME when it is an absolute path, else empty
QString appDataFolder();  // the configuration folder
QString userDataFolder(); // the data folder

// The user's folders of the freedesktop.org base directories: the variable's value when it
// is an absolute path (a relative one is ignored, as those base directories ask), else the
// default below the home folder; the runtime folder has no default (empty then).
enum class XdgFolder { Config, Data, Cache, Runtime };
QString xdgFolder(XdgFolder which);

// Where the program's shipped data (language files, help) lies: <prefix>/share/favrake
// beside an installed program, and first the sources' data folder for a program started
// from its build tree (named by the note "favrake-build-data" beside it). Without "/" at
// the end.
QStringList programDataFolders();

// $XDG_RUNTIME_DIR/favrake/, else /tmp/favrake-<uid>/: the running copy's lock and socket.
// The name is fixed, so a renamed program or one started from its build tree still finds
// the running copy.
QString runtimeInstanceFolder();
} // namespace platform
