#include "folders.h"

#include <QByteArray>
#include <QFile>

namespace platform {
namespace {
QString WithSlash(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

QString FromEnvironment(const char *name)
{
    return QFile::decodeName(qgetenv(name));
}

QString BelowHome(const QString &name)
{
    const QString home = FromEnvironment("HOME");
    return home.isEmpty() ? QString() : WithSlash(home) + name;
}
} // namespace

QString favoritesFolder()
{
    const QString configured = FromEnvironment("FAVRAKE_FAVORITES");
    return WithSlash(configured.isEmpty() ? BelowHome(QStringLiteral("Favorites")) : configured);
}

QString appDataFolder()
{
    const QString configured = FromEnvironment("XDG_CONFIG_HOME");
    return WithSlash(configured.isEmpty() ? BelowHome(QStringLiteral(".config")) : configured);
}
} // namespace platform
