#include "folderwatcher.h"

#include <QDir>
#include <QFileInfo>

namespace platform {
FolderWatcher::FolderWatcher(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::changed);
}

namespace {
QString nearestExistingFolder(QString path)
{
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        path = parent == path ? QString() : parent;
    }
    return path;
}
} // namespace

void FolderWatcher::setFolders(const QStringList &folders, const QString &root)
{
    const QStringList old = m_watcher.directories();
    if (!old.isEmpty())
        m_watcher.removePaths(old);
    const QStringList watched =
        folders.isEmpty() ? QStringList{nearestExistingFolder(QDir::cleanPath(root))} : folders;
    if (!watched.first().isEmpty())
        m_watcher.addPaths(watched);
}
} // namespace platform
