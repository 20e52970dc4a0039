#pragma once

#include <QStringList>

// Test tables kept as tab-separated files under tests/data, so that the rows read as a
// table and the test code holds only the check. The first line that is not a comment
// ("#") names the columns; the first column is the row's name. A column is text unless
// its name ends in ":bytes", ":int", ":int64", ":double", ":bool" (true or false) or ":list" (text
// parts split at "|"). Cells escape \t \n \r \\ \| and \xHH (one byte). Empty cells at the
// end of a row may be left out.
//
// addRowsFromFile("exchange/keys.tsv") adds the columns and rows for the running
// test's _data function; a malformed file fails that test.
void addRowsFromFile(const QString &relativePath);

// The lines of a text file under tests/data, without empty lines and "#" comment lines.
QStringList dataLines(const QString &relativePath);
