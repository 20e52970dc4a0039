#pragma once

#include "platform/files.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

class TBookmarks;

// The collection a command works on: folder, or the Favorites folder when it is empty,
// read with the user's settings; nullptr (and a message on err) when it is no folder.
// Saves go through writeOps.
std::unique_ptr<TBookmarks>
OpenCollection(const QString &folder, QTextStream &err,
               const platform::FileWriteOps &writeOps = platform::systemFileWriteOps());

// Control characters from a file or a page would break the one-line-per-bookmark layout.
QString OneLine(QString text);
// The fields of one bookmark's line, each made one line, separated by tabs.
QString OneLineFields(const QStringList &fields);

// A count with its noun: "1 bookmark", "2 bookmarks".
QString Counted(qsizetype count, const char *one, const char *many);

// A bookmark's file name with its folder below the collection's, as "News/Paper.url".
QString RelativeName(const TBookmarks &list, int i);
