#include "importer.h"

#include "addresskeys.h"
#include "filenames.h"
#include "shortcutwriter.h"
#include "store/bookmarks.h"

#include <QDir>
#include <QSet>

namespace exchange {
namespace {
constexpr qint64 Year1990 = 631152000;

QSet<QString> CollectionKeys(const QString &favorites)
{
    QSet<QString> keys;
    if (!QFileInfo(favorites).isDir())
        return keys;
    const TBookmarks collection(favorites);
    for (int i = 0; i < collection.Count(); ++i)
        keys.insert(sameKey(collection.Item(i)->URL));
    return keys;
}

// Why a bookmark is not imported at all; empty when it is.
QString SkipReason(const QString &url)
{
    if (url.trimmed().isEmpty())
        return QStringLiteral("no address");
    if (isWebAddress(url))
        return {};
    const QString scheme = schemeOf(url);
    return scheme.isEmpty() ? QStringLiteral("no scheme") : scheme;
}

QString DefaultDestination(const ImportOptions &options, bool collectionEmpty)
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
    if (seconds < Year1990 || seconds > nowSeconds)
        return std::nullopt;
    return seconds;
}

ImportReport importTree(const BookmarkTree &tree, const ImportOptions &options)
{
    QSet<QString> present = CollectionKeys(options.favorites);
    ImportReport report;
    report.destination =
        options.into.isEmpty() ? DefaultDestination(options, present.isEmpty()) : options.into;
    const QString root = QDir::cleanPath(options.favorites + u'/' + report.destination);
    ShortcutWriter writer(root, tree, options.dryRun, *options.ops);
    const qint64 now = options.now.toSecsSinceEpoch();
    for (const SourceBookmark &bookmark : tree.bookmarks) {
        if (const QString reason = SkipReason(bookmark.url); !reason.isEmpty()) {
            ++report.skipped[reason];
            continue;
        }
        const QString key = sameKey(bookmark.url);
        if (present.contains(key)) {
            ++report.alreadyPresent;
            continue;
        }
        const std::optional<QString> folder = writer.folderFor(bookmark.folder);
        if (folder && writer.write(*folder, bookmark.title, bookmark.url,
                                   addDateSeconds(bookmark.added, now))) {
            ++report.imported;
            present.insert(key);
        } else {
            ++report.failed;
        }
    }
    report.foldersCreated = writer.foldersCreated();
    report.foldersTooDeep = writer.foldersTooDeep();
    if (!options.dryRun && report.imported > 0 && options.ops->batched)
        report.synced = platform::syncFileSystem(root);
    return report;
}
} // namespace exchange
