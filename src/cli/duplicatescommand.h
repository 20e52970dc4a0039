#pragma once

#include <QString>
#include <QTextStream>

// Every group of bookmarks below folder (empty: the Favorites folder) that are one, with
// its tier and the copy to keep; 1 when the folder cannot be read.
int runDuplicates(const QString &folder, QTextStream &out, QTextStream &err);
