#include "chromiumreader.h"

#include "platform/files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>

namespace exchange {
namespace {
constexpr int64_t maxFileSize = int64_t(256) << 20;
constexpr qint64 microsecondsFrom1601To1970 = 11644473600LL * 1000000;

struct Root
{
    QLatin1StringView key;
    QLatin1StringView name; // when the file gives none
};
constexpr std::array<Root, 3> rootFolders = {
    {{QLatin1StringView("bookmark_bar"), QLatin1StringView("Bookmarks bar")},
     {QLatin1StringView("other"), QLatin1StringView("Other bookmarks")},
     {QLatin1StringView("synced"), QLatin1StringView("Mobile bookmarks")}}};

// Microseconds since 1601 as a string; 0 when there is none.
qint64 addDate(const QJsonValue &value)
{
    const qint64 since1601 = value.toString().toLongLong();
    return since1601 > microsecondsFrom1601To1970 ? since1601 - microsecondsFrom1601To1970 : 0;
}

// Every node below the roots, depth first with a stack of its own.
BookmarkTree buildTree(const QJsonObject &roots)
{
    struct Pending
    {
        QJsonArray children;
        int folder;
    };
    BookmarkTree tree;
    std::vector<Pending> stack;
    for (const Root &root : rootFolders) {
        const QJsonObject node = roots.value(root.key).toObject();
        if (node.isEmpty())
            continue;
        const QString name = node.value(u"name").toString();
        stack.push_back({node.value(u"children").toArray(),
                         tree.addFolder(0, name.isEmpty() ? QString(root.name) : name)});
    }
    std::reverse(stack.begin(), stack.end());
    while (!stack.empty()) {
        const Pending pending = std::move(stack.back());
        stack.pop_back();
        std::vector<Pending> folders;
        for (const QJsonValue &child : pending.children) {
            const QJsonObject node = child.toObject();
            const QString type = node.value(u"type").toString();
            const QString name = node.value(u"name").toString();
            if (type == u"url")
                tree.bookmarks.push_back({pending.folder, name, node.value(u"url").toString(),
                                          addDate(node.value(u"date_added"))});
            else if (type == u"folder")
                folders.push_back(
                    {node.value(u"children").toArray(), tree.addFolder(pending.folder, name)});
        }
        stack.insert(stack.end(), std::make_move_iterator(folders.rbegin()),
                     std::make_move_iterator(folders.rend()));
    }
    return tree;
}
} // namespace

SourceRead readChromiumJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const QJsonObject roots = document.object().value(u"roots").toObject();
    if (error.error != QJsonParseError::NoError || roots.isEmpty())
        return {{}, QStringLiteral("no bookmark roots in it")};
    return {buildTree(roots), {}};
}

SourceRead readChromiumBookmarks(const QString &bookmarksPath)
{
    const std::optional<platform::SmallFile> file =
        platform::readSmallFile(bookmarksPath, maxFileSize);
    if (!file || !file->content)
        return {{}, QStringLiteral("cannot read %1").arg(bookmarksPath)};
    SourceRead result = readChromiumJson(*file->content);
    if (!result.ok())
        result.error = QStringLiteral("%1: %2").arg(bookmarksPath, result.error);
    return result;
}
} // namespace exchange
