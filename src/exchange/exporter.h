#pragma once

#include <QByteArray>

class Bookmarks;

namespace exchange {
// The collection as a bookmark HTML file that browsers import: one H3 heading and DL list
// per folder, holding bookmarks, the bookmarks with their address, title (the file's
// name), the reference date as ADD_DATE and the file's modification time as
// LAST_MODIFIED. Folders and bookmarks come sorted by name, each folder's bookmarks
// before its subfolders; files without an address are left out.
QByteArray exportCollection(const Bookmarks &list);
} // namespace exchange
