#include "shortcutwriter.h"

#include "addresskeys.h"
#include "filenames.h"
#include "platform/newfile.h"

namespace exchange {
namespace {
// Room for a path below a folder: the system's limit less a file name of full length.
constexpr qsizetype maxFolderPathBytes = 4095 - 1 - maxNameBytes;
constexpr int maxNumber = 100000;
} // namespace

QByteArray shortcutContent(const QString &asciiUrl)
{
    return "[InternetShortcut]\r\nURL=" + asciiUrl.toLatin1() + "\r\n";
}

ShortcutWriter::ShortcutWriter(const QString &root, const BookmarkTree &tree, bool dryRun,
                               const platform::FileWriteOps &ops)
    : m_root(root), m_tree(tree), m_dryRun(dryRun), m_ops(ops), m_folders(tree.folders.size()),
      m_resolved(tree.folders.size(), false)
{
}

std::optional<QString> ShortcutWriter::folderFor(int sourceFolder)
{
    // Resolve the chain of folders above first, from the top, without recursion.
    std::vector<int> chain;
    for (int f = sourceFolder; f > 0 && !m_resolved[size_t(f)];
         f = m_tree.folders[size_t(f)].parent)
        chain.push_back(f);
    if (!m_resolved[0]) {
        m_resolved[0] = true;
        m_folders[0] = platform::isFolder(m_root) || makeFolder(m_root)
                           ? std::optional<QString>(m_root)
                           : std::nullopt;
    }
    for (auto f = chain.rbegin(); f != chain.rend(); ++f) {
        const std::optional<QString> &parent = m_folders[size_t(m_tree.folders[size_t(*f)].parent)];
        m_folders[size_t(*f)] =
            parent ? childFolder(*parent, m_tree.folders[size_t(*f)].name) : std::nullopt;
        m_resolved[size_t(*f)] = true;
    }
    return m_folders[size_t(sourceFolder)];
}

ShortcutWriter::Names &ShortcutWriter::namesIn(const QString &folder)
{
    auto found = m_names.find(folder);
    if (found != m_names.end())
        return found->second;
    Names &names = m_names[folder];
    platform::listFolder(folder, [&](const QString &name, platform::EntryKind kind) {
        names.insert(nameKey(name), {name, kind == platform::EntryKind::Folder});
    });
    return names;
}

std::optional<QString> ShortcutWriter::childFolder(const QString &parent, const QString &title)
{
    Names &names = namesIn(parent);
    for (int number = 1; number < maxNumber; ++number) {
        const QString name = folderFileName(title, number);
        const QString path = parent + u'/' + name;
        if (platform::encodeFileName(path).size() > maxFolderPathBytes) {
            ++m_foldersTooDeep;
            return parent;
        }
        const auto taken = names.constFind(nameKey(name));
        if (taken != names.cend()) {
            if (taken->folder) // the same folder, perhaps written in other case
                return parent + u'/' + taken->name;
            continue;
        }
        if (!makeFolder(path)) {
            const std::optional<platform::FileStamp> stamp = platform::stampOf(path);
            if (!stamp)
                return std::nullopt;
            names.insert(nameKey(name), {name, stamp->directory});
            --number; // made meanwhile by someone else: look again
            continue;
        }
        names.insert(nameKey(name), {name, true});
        m_names.emplace(path, Names());
        return path;
    }
    return std::nullopt;
}

bool ShortcutWriter::makeFolder(const QString &path)
{
    if (!m_dryRun && !platform::makeNewFolder(path))
        return false;
    ++m_foldersCreated;
    return true;
}

bool ShortcutWriter::write(const QString &folder, const QString &title, const QString &url,
                           std::optional<int64_t> modifiedAt)
{
    Names &names = namesIn(folder);
    const QByteArray content = shortcutContent(asciiAddress(url));
    for (int number = 1; number < maxNumber; ++number) {
        const QString name = bookmarkFileName(title, url, number);
        if (names.contains(nameKey(name)))
            continue;
        const platform::NewFileResult result =
            m_dryRun ? platform::NewFileResult::Created
                     : platform::createNewFile(folder + u'/' + name, content, modifiedAt, m_ops);
        if (result == platform::NewFileResult::Failed)
            return false;
        names.insert(nameKey(name), {name, false});
        if (result == platform::NewFileResult::Created)
            return true;
    }
    return false;
}
} // namespace exchange
