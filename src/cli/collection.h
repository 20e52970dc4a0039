#pragma once

#include <QString>
#include <QTextStream>
#include <memory>

class TBookmarks;

// The collection a command works on: folder, or the Favorites folder when it is empty,
// read with the user's settings; nullptr (and a message on err) when it is no folder.
std::unique_ptr<TBookmarks> OpenCollection(const QString &folder, QTextStream &err);

// Control characters from a file or a page would break the one-line-per-bookmark layout.
QString OneLine(QString text);

// A bookmark's file name with its folder below the collection's, as "News/Paper.url".
QString RelativeName(const TBookmarks &list, int i);
