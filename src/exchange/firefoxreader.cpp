#include "firefoxreader.h"

#include "platform/files.h"

#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <memory>
#include <sqlite3.h>

namespace exchange {
namespace {
struct Root
{
    const char *guid;
    const char *name;
};
constexpr std::array<Root, 4> roots = {{{"menu________", "Bookmarks Menu"},
                                        {"toolbar_____", "Bookmarks Toolbar"},
                                        {"unfiled_____", "Other Bookmarks"},
                                        {"mobile______", "Mobile Bookmarks"}}};

enum ItemType { BookmarkType = 1, FolderType = 2 };

struct Item
{
    qint64 id = 0;
    int type = 0;
    QString title;
    QString url;
    qint64 added = 0;
};

struct Places
{
    QHash<qint64, std::vector<Item>> children; // by parent, in position order
    QHash<QByteArray, qint64> roots;           // by guid
};

struct DatabaseCloser
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

struct StatementCloser
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

Database open(const QByteArray &uri, int flags)
{
    sqlite3 *db = nullptr;
    const int status = sqlite3_open_v2(uri.constData(), &db, flags | SQLITE_OPEN_URI, nullptr);
    Database database(db);
    if (status != SQLITE_OK)
        return nullptr;
    sqlite3_busy_timeout(db, 2000);
    return database;
}

// Every bookmark row with its address, or nullopt when the database cannot be read.
std::optional<Places> readPlaces(sqlite3 *db)
{
    static const char query[] =
        "SELECT b.id, b.type, b.parent, b.title, b.dateAdded, p.url, b.guid "
        "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
        "ORDER BY b.parent, b.position, b.id";
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &raw, nullptr) != SQLITE_OK)
        return std::nullopt;
    const Statement statement(raw);
    Places places;
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(raw)) == SQLITE_ROW) {
        Item item{sqlite3_column_int64(raw, 0), sqlite3_column_int(raw, 1), columnText(raw, 3),
                  columnText(raw, 5), sqlite3_column_int64(raw, 4)};
        const QByteArray guid = columnText(raw, 6).toLatin1();
        places.roots.insert(guid, item.id);
        places.children[sqlite3_column_int64(raw, 2)].push_back(std::move(item));
    }
    if (status != SQLITE_DONE)
        return std::nullopt;
    return places;
}

// Walks the four roots depth first with a stack of its own; a folder met twice (a damaged
// database whose parents form a loop) is entered once.
BookmarkTree buildTree(const Places &places)
{
    struct Pending
    {
        qint64 id;
        int folder;
    };
    BookmarkTree tree;
    std::vector<Pending> stack;
    for (const Root &root : roots)
        if (const auto id = places.roots.constFind(root.guid); id != places.roots.cend())
            stack.push_back({*id, tree.addFolder(0, QString::fromLatin1(root.name))});
    std::reverse(stack.begin(), stack.end());
    QSet<qint64> entered;
    while (!stack.empty()) {
        const Pending pending = stack.back();
        stack.pop_back();
        const auto children = places.children.constFind(pending.id);
        if (entered.contains(pending.id) || children == places.children.cend())
            continue;
        entered.insert(pending.id);
        std::vector<Pending> folders;
        for (const Item &item : *children) {
            if (item.type == BookmarkType)
                tree.bookmarks.push_back({pending.folder, item.title, item.url, item.added});
            else if (item.type == FolderType)
                folders.push_back({item.id, tree.addFolder(pending.folder, item.title)});
        }
        // Pushed backwards, so that the folders come out in their order.
        stack.insert(stack.end(), folders.rbegin(), folders.rend());
    }
    return tree;
}

// The database's address for SQLite, made of the path's bytes: a name that is not UTF-8
// is found as well.
QByteArray databaseUri(const QString &path)
{
    return "file:" + platform::encodeFileName(platform::absolutePath(path)).toPercentEncoding("/");
}

std::optional<Places> readCopy(const QString &placesPath)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("places.sqlite"));
    if (!dir.isValid() || !platform::copyFile(placesPath, copy))
        return std::nullopt;
    const QString wal = placesPath + QStringLiteral("-wal");
    if (platform::stampOf(wal) && !platform::copyFile(wal, copy + QStringLiteral("-wal")))
        return std::nullopt;
    const Database db = open(databaseUri(copy), SQLITE_OPEN_READWRITE);
    return db ? readPlaces(db.get()) : std::nullopt;
}

std::optional<Places> readImmutable(const QString &placesPath)
{
    const Database db = open(databaseUri(placesPath) + "?immutable=1", SQLITE_OPEN_READONLY);
    return db ? readPlaces(db.get()) : std::nullopt;
}
} // namespace

SourceRead readFirefoxPlaces(const QString &placesPath)
{
    const std::optional<platform::FileStamp> stamp = platform::stampOf(placesPath);
    if (!stamp || !stamp->regular)
        return {{}, QStringLiteral("no bookmark database at %1").arg(placesPath)};
    std::optional<Places> places = readCopy(placesPath);
    if (!places)
        places = readImmutable(placesPath);
    if (!places)
        return {{}, QStringLiteral("cannot read the bookmark database %1").arg(placesPath)};
    if (std::none_of(roots.begin(), roots.end(),
                     [&](const Root &root) { return places->roots.contains(root.guid); }))
        return {{}, QStringLiteral("%1 holds no bookmark folders").arg(placesPath)};
    return {buildTree(*places), {}};
}
} // namespace exchange
