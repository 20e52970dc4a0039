#pragma once

#include "store/linkhistory.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

class TBookmarks;

struct TListOptions
{
    enum class Format { Text, Tsv, Json };
    QString Folder;              // empty: the Favorites folder
    QList<LinkVerdict> Verdicts; // only bookmarks with one of these; empty: all
    Format Form = Format::Text;
};

// One line per bookmark, then the totals; or every field, as a table with a head line or
// as JSON. Reads only, never writes a file.
void PrintBookmarkList(const TBookmarks &list, const TListOptions &options, QTextStream &out);
