#include "folders.h"

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

bool RunsFromBuildTree(const QString &programFolder)
{
    const QString buildTree = QFileInfo(QStringLiteral(FAVRAKE_BUILD_DIR)).canonicalFilePath();
    const QString program = QFileInfo(programFolder).canonicalFilePath();
    return !buildTree.isEmpty() && program.startsWith(buildTree + u'/');
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
    if (RunsFromBuildTree(program))
        folders.append(QStringLiteral(FAVRAKE_SOURCE_DATA_DIR));
    folders.append(QDir::cleanPath(program + QStringLiteral("/../share/favrake")));
    return folders;
}
} // namespace platform
