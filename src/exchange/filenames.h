#pragma once

#include <QString>
#include <QStringView>

namespace exchange {
inline constexpr qsizetype maxNameBytes = 255;

// A name every common file system takes: "/ \ : * ? " < > |" and controls replaced by
// "_", blanks made single, no dots or blanks at either end (a leading dot would hide it),
// device names such as "CON" marked; empty when nothing is left.
QString portableName(QStringView text);

// The name of a bookmark's file, extension ".url" included: the title as a portable name,
// else the address's host; number 2 and on add " (2)" ... before the extension. At most
// MaxNameBytes bytes of UTF-8.
QString bookmarkFileName(QStringView title, QStringView url, int number = 1);

// A folder's name from the source's folder title; "Untitled folder" when nothing is left.
QString folderFileName(QStringView title, int number = 1);

// The key under which names collide: "News" and "NEWS" are one name.
inline QString nameKey(const QString &name)
{
    return name.toCaseFolded();
}
} // namespace exchange
