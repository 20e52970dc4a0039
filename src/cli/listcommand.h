#pragma once

#include "store/linkhistory.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

class Bookmarks;

struct ListOptions
{
    enum class Format { Text, Tsv, Json };
    QString folder;              // empty: the Favorites folder
    QList<LinkVerdict> verdicts; // only bookmarks with one of these; empty: all
    Format form = Format::Text;
};

// One line per bookmark, then the totals; or every field, as a table with a head line or
// as JSON. Reads only, never writes a file.
void printBookmarkList(const Bookmarks &list, const ListOptions &options, QTextStream &out);
