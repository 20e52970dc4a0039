#pragma once

#include "../store/storefixture.h"
#include "exchange/bookmarktree.h"

#include <QDir>
#include <QDirIterator>
#include <QStringList>

inline QByteArray dataFile(const QString &name)
{
    return readFile(QStringLiteral(FAVRAKE_TEST_DATA "/exchange/") + name);
}

// One line per bookmark: "/Folder/Sub|title|address|date as given".
inline QStringList lines(const exchange::BookmarkTree &tree)
{
    QStringList lines;
    for (const exchange::SourceBookmark &b : tree.bookmarks) {
        QString path;
        for (int f = b.folder; f > 0; f = tree.folders[size_t(f)].parent)
            path.prepend(u'/' + tree.folders[size_t(f)].name);
        lines << QStringLiteral("%1|%2|%3|%4").arg(path, b.title, b.url).arg(b.added);
    }
    return lines;
}

// Every file below folder as "relative/path.url=URL value", sorted.
inline QStringList shortcuts(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray content = readFile(path);
        const qsizetype at = content.indexOf("URL=");
        const QByteArray url = at < 0 ? QByteArray() : content.mid(at + 4).split('\r')[0];
        found << QDir(folder).relativeFilePath(path) + u'=' + QString::fromUtf8(url);
    }
    found.sort();
    return found;
}
