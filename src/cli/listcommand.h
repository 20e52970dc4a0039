#pragma once

#include <QString>
#include <QTextStream>

class TBookmarks;

// One line per bookmark, then the totals; reads only, never writes a file.
void PrintBookmarkList(const TBookmarks &list, QTextStream &out);
