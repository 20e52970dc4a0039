#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

namespace exchange {
// The bookmarks of one source in its order. Folders name their parent by index, so a tree
// of any depth is built and walked without recursion.
struct SourceFolder
{
    int parent = -1; // -1 only for the root, folder 0
    QString name;
};

struct SourceBookmark
{
    int folder = 0;
    QString title;
    QString url;
    qint64 added = 0; // as the source gives it: seconds, milliseconds or microseconds
};

struct BookmarkTree
{
    std::vector<SourceFolder> folders{SourceFolder{}};
    std::vector<SourceBookmark> bookmarks;

    int addFolder(int parent, const QString &name)
    {
        folders.push_back({parent, name});
        return int(folders.size()) - 1;
    }
};

// The result of reading a source: its bookmarks, or why they could not be read.
struct SourceRead
{
    BookmarkTree tree;
    QString error; // empty when the source was read
    bool ok() const { return error.isEmpty(); }
};
} // namespace exchange
