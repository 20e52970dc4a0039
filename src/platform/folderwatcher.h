#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>

namespace platform {
// Reports that a name changed somewhere in the watched folders (a file or folder added,
// removed or renamed). The owner hands in every folder of the tree after each scan.
class TFolderWatcher final : public QObject
{
    Q_OBJECT
  public:
    explicit TFolderWatcher(QObject *parent = nullptr);
    void SetFolders(const QStringList &folders);

  signals:
    void Changed();

  private:
    QFileSystemWatcher m_watcher;
};
} // namespace platform
