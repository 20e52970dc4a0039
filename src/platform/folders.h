#pragma once

#include <QString>

namespace platform {
// Each ends with "/"; empty when the platform cannot give the folder.
QString favoritesFolder(); // $FAVRAKE_FAVORITES, else ~/Favorites
QString appDataFolder();   // $XDG_CONFIG_HOME, else ~/.config
} // namespace platform
