#include "folderwatcher.h"

namespace platform {
TFolderWatcher::TFolderWatcher(QObject *parent) : QObject(parent)
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &TFolderWatcher::Changed);
}

void TFolderWatcher::SetFolders(const QStringList &folders)
{
    const QStringList old = m_watcher.directories();
    if (!old.isEmpty())
        m_watcher.removePaths(old);
    if (!folders.isEmpty())
        m_watcher.addPaths(folders);
}
} // namespace platform
