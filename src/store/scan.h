#pragma once

#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

// Walks a Favorites tree depth first, in the order the file system lists each folder.
// Linked folders are followed, but every real folder is entered once, so a link cycle ends
// and no file is reached through two paths.
class FolderScan final
{
  public:
    // Called for each regular file with a bookmark name; folderPath ends with "/".
    using Visit = std::function<void(const QString &folderPath, const QString &name)>;

    explicit FolderScan(Visit visitBookmark) : m_visit(std::move(visitBookmark)) {}
    int run(const QString &folder); // bookmark files found
    int folderCount() const { return int(m_folders.size()); }
    const QStringList &folders() const { return m_folders; } // each listed folder, with "/"

  private:
    int scanFolder(const QString &folder);

    Visit m_visit;
    QStringList m_folders;
    QSet<QPair<quint64, quint64>> m_seenFolders;
};

// A file name that counts as a bookmark: its extension, upper-cased, is ".URL".
bool isBookmarkName(const QString &name);

// True when folder or any folder below it holds an entry that is not a folder; a folder
// that cannot be listed counts as holding something, so it is never offered for deletion.
bool containsFiles(const QString &folder);

// The highest folder between folder (without trailing "/") and root (with it) whose whole
// tree holds no file, with a trailing "/"; empty when folder still holds files.
QString topmostEmptyFolder(const QString &root, const QString &folder);

// Moves a file or a folder with its content to the trash; false when nothing was moved.
bool deleteToRecycleBin(const QString &path);
