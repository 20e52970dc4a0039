#pragma once

#include "bookmarktree.h"
#include "platform/files.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace exchange {
// Writes a source's bookmarks as .URL files in a folder tree that mirrors the source's
// folders below a root. Folders are made when their first bookmark is written, so a run
// that writes nothing leaves no trace. Names collide without regard to case, with what is
// on disk and with what this run wrote. A dry run decides every name alike and writes
// nothing.
class ShortcutWriter final
{
  public:
    ShortcutWriter(const QString &root, const BookmarkTree &tree, bool dryRun,
                   const platform::FileWriteOps &ops);

    // The folder that holds a source folder's bookmarks; nullopt when it cannot be made.
    // A folder whose path would grow too long for the system holds its bookmarks in the
    // deepest folder above it that fits.
    std::optional<QString> folderFor(int sourceFolder);

    // Writes one bookmark into folder, its address in ASCII form; false when the file could
    // not be written. modifiedAt (seconds since 1970) becomes the file's modification time.
    bool write(const QString &folder, const QString &title, const QString &url,
               std::optional<int64_t> modifiedAt);

    int foldersCreated() const { return m_foldersCreated; }
    int foldersTooDeep() const { return m_foldersTooDeep; }

  private:
    struct Entry
    {
        QString name;
        bool folder = false;
    };
    using Names = QHash<QString, Entry>; // by nameKey

    Names &namesIn(const QString &folder);
    std::optional<QString> childFolder(const QString &parent, const QString &title);
    bool makeFolder(const QString &path);

    QString m_root;
    const BookmarkTree &m_tree;
    bool m_dryRun;
    const platform::FileWriteOps &m_ops;
    std::vector<std::optional<QString>> m_folders; // by source folder, once resolved
    std::vector<bool> m_resolved;
    std::unordered_map<QString, Names> m_names; // by folder path
    int m_foldersCreated = 0;
    int m_foldersTooDeep = 0;
};

// The content of a new .URL file for an address.
QByteArray shortcutContent(const QString &asciiUrl);
} // namespace exchange
