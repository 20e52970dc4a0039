#include "importer.h"

#include "addresskeys.h"
#include "filenames.h"
#include "shortcutwriter.h"
#include "store/bookmarks.h"

#include <QDir>
#include <QHash>
#include <QSet>

namespace exchange {
namespace {
constexpr qint64 year1990 = 631152000;

QSet<QString> collectionKeys(const QString &favorites)
{
    QSet<QString> keys;
    if (!platform::isFolder(favorites))
        return keys;
    const Bookmarks collection(favorites);
    for (int i = 0; i < collection.count(); ++i)
        keys.insert(sameKey(collection.item(i)->url));
    return keys;
}

// Why a bookmark is not imported at all; empty when it is.
QString skipReason(const QString &url)
{
    if (url.trimmed().isEmpty())
        return QStringLiteral("no address");
    if (isWebAddress(url))
        return {};
    const QString scheme = schemeOf(url);
    return scheme.isEmpty() ? QStringLiteral("no scheme") : scheme;
}

// What this import wrote: each bookmark once per folder and title, and the folders of
// each address.
class Written final
{
  public:
    // False when the bookmark was written into that folder with that title already.
    bool isNew(const QString &folder, const QString &title, const QString &url) const
    {
        return !m_bookmarks.contains(bookmarkKey(folder, title, url));
    }
    void add(const QString &folder, const QString &title, const QString &url, const QString &key)
    {
        m_bookmarks.insert(bookmarkKey(folder, title, url));
        const auto first = m_firstFolder.constFind(key);
        if (first == m_firstFolder.cend())
            m_firstFolder.insert(key, folder);
        else if (*first != folder)
            m_inSeveralFolders.insert(key);
    }
    int addressesInSeveralFolders() const { return int(m_inSeveralFolders.size()); }

  private:
    static QString bookmarkKey(const QString &folder, const QString &title, const QString &url)
    {
        return folder + u'\n' + title + u'\n' + url;
    }

    QSet<QString> m_bookmarks;
    QHash<QString, QString> m_firstFolder; // by "same" key
    QSet<QString> m_inSeveralFolders;
};

QString defaultDestination(const ImportOptions &options, bool collectionEmpty)
{
    if (collectionEmpty)
        return {};
    return folderFileName(QStringLiteral("Imported from %1 %2")
                              .arg(options.sourceName, options.now.date().toString(Qt::ISODate)));
}
} // namespace

std::optional<int64_t> addDateSeconds(qint64 raw, qint64 nowSeconds)
{
    qint64 seconds = raw;
    if (raw >= 100'000'000'000'000'000LL || raw <= 0)
        return std::nullopt;
    if (raw >= 100'000'000'000'000LL)
        seconds = raw / 1'000'000;
    else if (raw >= 100'000'000'000LL)
        seconds = raw / 1000;
    if (seconds < year1990 || seconds > nowSeconds)
        return std::nullopt;
    return seconds;
}

ImportReport importTree(const BookmarkTree &tree, const ImportOptions &options)
{
    // Only what lay in the collection before counts as present: the source's own copies in
    // other folders are written too.
    const QSet<QString> present = collectionKeys(options.favorites);
    ImportReport report;
    report.destination =
        options.into.isEmpty() ? defaultDestination(options, present.isEmpty()) : options.into;
    const QString root = QDir::cleanPath(options.favorites + u'/' + report.destination);
    ShortcutWriter writer(root, tree, options.dryRun, *options.ops);
    Written written;
    const qint64 now = options.now.toSecsSinceEpoch();
    for (const SourceBookmark &bookmark : tree.bookmarks) {
        if (const QString reason = skipReason(bookmark.url); !reason.isEmpty()) {
            ++report.skipped[reason];
            continue;
        }
        const QString key = sameKey(bookmark.url);
        if (present.contains(key)) {
            ++report.alreadyPresent;
            continue;
        }
        const std::optional<QString> folder = writer.folderFor(bookmark.folder);
        if (folder && !written.isNew(*folder, bookmark.title, bookmark.url)) {
            ++report.alreadyPresent; // the same bookmark once more in the same folder
        } else if (folder && writer.write(*folder, bookmark.title, bookmark.url,
                                          addDateSeconds(bookmark.added, now))) {
            ++report.imported;
            written.add(*folder, bookmark.title, bookmark.url, key);
        } else {
            ++report.failed;
        }
    }
    report.foldersCreated = writer.foldersCreated();
    report.foldersTooDeep = writer.foldersTooDeep();
    report.addressesInSeveralFolders = written.addressesInSeveralFolders();
    if (!options.dryRun && report.imported > 0 && options.ops->batched)
        report.synced = platform::syncFileSystem(root);
    return report;
}
} // namespace exchange
