#include "folders.h"

#include "filenames.h"
#include "files.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace platform {
namespace {
QString withSlash(const QString &folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

// A folder named by the environment; relative values lead nowhere sensible and count as unset.
QString fromEnvironment(const char *name)
{
    const QString value = decodeFileName(qgetenv(name));
    return value.startsWith(u'/') ? withSlash(value) : QString();
}

QString belowHome(const char *name)
{
    const QString home = homeFolder();
    return home.isEmpty() ? QString() : home + QLatin1StringView(name);
}

// A program built from the sources finds a note beside it that names their data folder, so
// it runs from its build tree without any path compiled in; an install never carries the
// note. Empty when there is no usable note.
QString buildTreeDataFolder(const QString &programFolder)
{
    const std::optional<SmallFile> note =
        readSmallFile(programFolder + QStringLiteral("/favrake-build-data"), 4096);
    if (!note || !note->content)
        return QString();
    QByteArray path = *note->content;
    if (path.endsWith('\n'))
        path.chop(1);
    const QString folder = QFile::decodeName(path);
    return QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir() ? QDir::cleanPath(folder)
                                                                     : QString();
}
} // namespace

QString homeFolder()
{
    return fromEnvironment("HOME");
}

QString xdgFolder(XdgFolder which)
{
    struct Place
    {
        const char *variable;
        const char *belowHome; // nullptr: no default
    };
    static const Place places[] = {{"XDG_CONFIG_HOME", ".config/"},
                                   {"XDG_DATA_HOME", ".local/share/"},
                                   {"XDG_CACHE_HOME", ".cache/"},
                                   {"XDG_RUNTIME_DIR", nullptr}};
    const Place &place = places[int(which)];
    const QString configured = fromEnvironment(place.variable);
    if (!configured.isEmpty() || !place.belowHome)
        return configured;
    return belowHome(place.belowHome);
}

QString favoritesFolder(const QString &configured)
{
    const QString named = withSlash(decodeFileName(qgetenv("FAVRAKE_FAVORITES")));
    if (!named.isEmpty())
        return absolutePath(named);
    // A relative choice would depend on the folder the program happens to start in.
    if (configured.startsWith(u'/'))
        return withSlash(configured);
    return belowHome("Favorites/");
}

bool favoritesFolderFromEnvironment()
{
    return !qgetenv("FAVRAKE_FAVORITES").isEmpty();
}

QString appDataFolder()
{
    return xdgFolder(XdgFolder::Config);
}

QString userDataFolder()
{
    return xdgFolder(XdgFolder::Data);
}

QString runtimeInstanceFolder()
{
    const QString runtime = xdgFolder(XdgFolder::Runtime);
    if (!runtime.isEmpty())
        return QDir::cleanPath(runtime) + QStringLiteral("/favrake/");
    return QStringLiteral("/tmp/favrake-%1/").arg(::geteuid());
}

QStringList programDataFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders;
    const QString sources = buildTreeDataFolder(program);
    if (!sources.isEmpty())
        folders.append(sources);
    folders.append(QDir::cleanPath(program + QStringLiteral("/../share/favrake")));
    return folders;
}
} // namespace platform
