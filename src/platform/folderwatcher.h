#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>

namespace platform {
// Reports the watched folder in which something changed (a file or folder added, removed,
// renamed or replaced). The owner hands in every folder of the tree after each scan; for a
// tree that does not exist the nearest folder above it that does is watched, so that its
// coming is seen.
class FolderWatcher final : public QObject
{
    Q_OBJECT
  public:
    explicit FolderWatcher(QObject *parent = nullptr);
    void setFolders(const QStringList &folders, const QString &root);

  signals:
    void changed(const QString &folder);

  private:
    QFileSystemWatcher m_watcher;
};
} // namespace platform
