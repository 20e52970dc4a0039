#pragma once

#include "platform/files.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

class Bookmarks;

// The collection a command works on: folder, or the Favorites folder when it is empty,
// read with the user's settings; nullptr (and a message on err) when it is no folder.
// Saves go through writeOps.
std::unique_ptr<Bookmarks>
openCollection(const QString &folder, QTextStream &err,
               const platform::FileWriteOps &writeOps = platform::systemFileWriteOps());

// Control characters from a file or a page would break the one-line-per-bookmark layout.
QString oneLine(QString text);
// The fields of one bookmark's line, each made one line, separated by tabs.
QString oneLineFields(const QStringList &fields);

// A count with its noun: "1 bookmark", "2 bookmarks".
QString counted(qsizetype count, const char *one, const char *many);

// A bookmark's file name with its folder below the collection's, as "News/Paper.url".
QString relativeName(const Bookmarks &list, int i);
