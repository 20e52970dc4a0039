#include "foldernames.h"

#include "platform/files.h"
#include "store/bookmarks.h"
#include "store/scan.h"

#include <QDir>

namespace {
QString folderKey(const QString &folder)
{
    const QString clean = QDir::cleanPath(folder);
    return clean.endsWith(u'/') ? clean : clean + u'/';
}

// The folder of path (a file, or a folder with its "/") and the name in it.
std::pair<QString, QString> split(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/', path.endsWith(u'/') ? -2 : -1);
    return {folderKey(path.left(slash + 1)), path.mid(slash + 1)};
}
} // namespace

void FolderNames::take(const Bookmarks &list)
{
    m_names.clear();
    for (const QString &folder : list.folders())
        m_names[folderKey(folder)];
    for (const QString &folder : list.folders()) {
        const auto [parent, name] = split(folderKey(folder));
        if (m_names.contains(parent))
            m_names[parent].insert(name);
    }
    for (int i = 0; i < list.count(); ++i) {
        const auto [parent, name] = split(list.item(i)->fileName);
        m_names[parent].insert(name);
    }
}

bool FolderNames::changed(const QString &folder) const
{
    const auto known = m_names.constFind(folderKey(folder));
    if (known == m_names.cend())
        return true;
    QSet<QString> names;
    const bool listed =
        platform::listFolder(known.key(), [&names](const QString &name, platform::EntryKind kind) {
            if (kind == platform::EntryKind::Folder)
                names.insert(name + u'/');
            else if (kind == platform::EntryKind::File && isBookmarkName(name))
                names.insert(name);
        });
    return !listed || names != *known;
}
