#include "folders.h"

#include "files.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// A program built from the sources finds a note beside it that names their data folder, so
// it runs from its build tree without any path compiled in; an install never carries the
// note. Empty when there is no usable note.
QString BuildTreeDataFolder(const QString &programFolder)
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

QString userDataFolder()
{
    const QString configured = FromEnvironment("XDG_DATA_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return WithSlash(configured);
    return BelowHome(QStringLiteral(".local/share/"));
}

QStringList programDataFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders;
    const QString sources = BuildTreeDataFolder(program);
    if (!sources.isEmpty())
        folders.append(sources);
    folders.append(QDir::cleanPath(program + QStringLiteral("/../share/favrake")));
    return folders;
}
} // namespace platform
