#include "folderwatcher.h"

#include <QDir>
#include <QFileInfo>

namespace platform {
TFolderWatcher::TFolderWatcher(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &TFolderWatcher::Changed);
}

namespace {
QString NearestExistingFolder(QString path)
{
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        path = parent == path ? QString() : parent;
    }
    return path;
}
} // namespace

void TFolderWatcher::SetFolders(const QStringList &folders, const QString &root)
{
    const QStringList old = m_watcher.directories();
    if (!old.isEmpty())
        m_watcher.removePaths(old);
    const QStringList watched =
        folders.isEmpty() ? QStringList{NearestExistingFolder(QDir::cleanPath(root))} : folders;
    if (!watched.first().isEmpty())
        m_watcher.addPaths(watched);
}
} // namespace platform
