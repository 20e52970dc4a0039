#pragma once

// Cells of the tables under tests/data/app that carry more than text.
#include <QList>
#include <QString>

// "1 2 0" as a list of numbers.
inline QList<int> numbers(const QString &words)
{
    QList<int> list;
    for (const QString &word : words.split(u' ', Qt::SkipEmptyParts))
        list << word.toInt();
    return list;
}
