#include "scan.h"

#include "platform/files.h"
#include "platform/trash.h"
#include "textutil.h"

namespace {
QString WithSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

using FolderId = QPair<quint64, quint64>;

// Answers true as soon as an entry that is not a folder turns up anywhere below folder.
bool HoldsAnyFile(const QString &folder, QSet<FolderId> &seen)
{
    const std::optional<platform::FileStamp> self = platform::stampOf(folder);
    if (!self)
        return true;
    if (seen.contains({self->device, self->inode}))
        return false; // already searched through another path
    seen.insert({self->device, self->inode});
    bool found = false;
    const QString path = WithSlash(folder);
    const bool listed =
        platform::listFolder(path, [&](const QString &name, platform::EntryKind kind) {
            if (found || (kind == platform::EntryKind::File &&
                          platform::removeStaleTemporaryFile(path, name)))
                return;
            found = kind != platform::EntryKind::Folder || HoldsAnyFile(path + name, seen);
        });
    return found || !listed;
}
} // namespace

int TFolderScan::Run(const QString &folder)
{
    m_folders.clear();
    m_seenFolders.clear();
    return folder.isEmpty() ? 0 : ScanFolder(folder);
}

int TFolderScan::ScanFolder(const QString &folder)
{
    const QString path = WithSlash(folder);
    const std::optional<platform::FileStamp> self = platform::stampOf(path);
    if (!self || !self->directory || m_seenFolders.contains({self->device, self->inode}))
        return 0;
    m_seenFolders.insert({self->device, self->inode});
    int count = 0;
    const bool listed =
        platform::listFolder(path, [&](const QString &name, platform::EntryKind kind) {
            if (kind == platform::EntryKind::Folder) {
                count += ScanFolder(path + name);
            } else if (kind == platform::EntryKind::File &&
                       !platform::removeStaleTemporaryFile(path, name) && IsBookmarkName(name)) {
                m_visit(path, name);
                ++count;
            }
        });
    if (!listed)
        return 0;
    m_folders.append(path);
    return count;
}

bool IsBookmarkName(const QString &name)
{
    return name.endsWith(QLatin1String(".url"), Qt::CaseInsensitive);
}

bool ContainsFiles(const QString &folder)
{
    QSet<FolderId> seen;
    return HoldsAnyFile(folder, seen);
}

QString TopmostEmptyFolder(const QString &root, const QString &folder)
{
    if (root.isEmpty() || WideUpperCase(folder.left(root.size())) != WideUpperCase(root))
        return QString();
    QString result;
    QString current = folder;
    while (current.size() >= root.size() && !ContainsFiles(current)) {
        result = current;
        if (current.endsWith(u'/'))
            current.chop(1);
        current = WideExtractFilePath(current);
    }
    return result;
}

bool DeleteToRecycleBin(const QString &path)
{
    return platform::moveToTrash(path);
}
