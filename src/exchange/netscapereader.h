#pragma once

#include "bookmarktree.h"

#include <QByteArray>
#include <QString>

namespace exchange {
// The bookmarks of a file in the bookmark HTML that browsers export and import: folders
// from H3 headings and their DL lists, bookmarks from the first A of each DT. Anything is
// read; only bytes without any list or link are an error. Nesting of any depth costs no
// recursion.
SourceRead readBookmarkHtml(QByteArray bytes);

// The same for a file; an error when it is no readable regular file or holds neither a
// bookmark list nor a bookmark.
SourceRead readBookmarkFile(const QString &path);
} // namespace exchange
