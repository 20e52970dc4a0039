#include "scan.h"

#include "platform/files.h"
#include "platform/trash.h"
#include "textutil.h"

namespace {
QString withSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

using FolderId = QPair<quint64, quint64>;

// Answers true as soon as an entry that is not a folder turns up anywhere below folder.
bool holdsAnyFile(const QString &folder, QSet<FolderId> &seen)
{
    const std::optional<platform::FileStamp> self = platform::stampOf(folder);
    if (!self)
        return true;
    if (seen.contains({self->device, self->inode}))
        return false; // already searched through another path
    seen.insert({self->device, self->inode});
    bool found = false;
    const QString path = withSlash(folder);
    const bool listed =
        platform::listFolder(path, [&](const QString &name, platform::EntryKind kind) {
            if (found || (kind == platform::EntryKind::File &&
                          platform::removeStaleTemporaryFile(path, name)))
                return;
            found = kind != platform::EntryKind::Folder || holdsAnyFile(path + name, seen);
        });
    return found || !listed;
}
} // namespace

int FolderScan::run(const QString &folder)
{
    m_folders.clear();
    m_seenFolders.clear();
    return folder.isEmpty() ? 0 : scanFolder(folder);
}

int FolderScan::scanFolder(const QString &folder)
{
    const QString path = withSlash(folder);
    const std::optional<platform::FileStamp> self = platform::stampOf(path);
    if (!self || !self->directory || m_seenFolders.contains({self->device, self->inode}))
        return 0;
    m_seenFolders.insert({self->device, self->inode});
    int count = 0;
    const bool listed =
        platform::listFolder(path, [&](const QString &name, platform::EntryKind kind) {
            if (kind == platform::EntryKind::Folder) {
                count += scanFolder(path + name);
            } else if (kind == platform::EntryKind::File &&
                       !platform::removeStaleTemporaryFile(path, name) && isBookmarkName(name)) {
                m_visit(path, name);
                ++count;
            }
        });
    if (!listed)
        return 0;
    m_folders.append(path);
    return count;
}

bool isBookmarkName(const QString &name)
{
    return name.endsWith(QLatin1String(".url"), Qt::CaseInsensitive);
}

bool containsFiles(const QString &folder)
{
    QSet<FolderId> seen;
    return holdsAnyFile(folder, seen);
}

QString topmostEmptyFolder(const QString &root, const QString &folder)
{
    if (root.isEmpty() || wideUpperCase(folder.left(root.size())) != wideUpperCase(root))
        return QString();
    QString result;
    QString current = folder;
    while (current.size() >= root.size() && !containsFiles(current)) {
        result = current;
        if (current.endsWith(u'/'))
            current.chop(1);
        current = wideExtractFilePath(current);
    }
    return result;
}

bool deleteToRecycleBin(const QString &path)
{
    return platform::moveToTrash(path);
}
