#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Leading and trailing blanks and control characters (everything up to the space) removed.
QStringView trimBlanks(QStringView text);
QByteArrayView trimBlanks(QByteArrayView text);

// Narrow text is UTF-8; bytes that are not valid UTF-8 are read as Windows-1252,
// so files written on Windows stay readable.
QByteArray toNarrow(const QString &text);
QString fromNarrow(QByteArrayView bytes);
QString fromWindows1252(QByteArrayView bytes);
std::optional<QByteArray> toWindows1252(QStringView text); // nullopt when a character has no byte

// A complete decimal 32-bit integer: blanks around it and a sign allowed.
std::optional<int> parseInteger(QStringView text);

QString wideUpperCase(const QString &text);
QString wideExtractFileName(const QString &path); // after the last "/"
QString wideExtractFilePath(const QString &path); // up to and including the last "/"

// A file name or path as the user sees it: what is no text (the bytes of a name that are
// not UTF-8) shows as the replacement mark U+FFFD. Never a path again.
QString displayFileName(QStringView name);
