#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One language file as read: its lines, 8-bit, and the lookup of raw values by key.
class LngFile final
{
  public:
    QList<QByteArray> lines;
    bool loaded = false; // the last load gave at least one line

    // False for an empty name, an unreadable file (also one larger than MaxFileSize or
    // not a regular file) and a file without lines.
    bool load(const QString &fileName);
    // The same from bytes already in memory.
    bool loadText(QByteArrayView content);
    // The trimmed text after "=" of the first line whose key matches (ASCII letters
    // compare case-insensitively), else defaultValue.
    QByteArray readRawValue(QByteArrayView key, const QByteArray &defaultValue = {}) const;

    static constexpr qint64 maxFileSize = 1024 * 1024;
};

// A value in the notation of language files turned into its bytes.
QByteArray decodeLngValue(QByteArrayView raw);
// Decoded bytes as text: UTF-8 when they are valid UTF-8, else Windows-1252.
QString lngText(QByteArrayView bytes);
// ASCII letters upper-cased; every other byte kept.
QByteArray asciiUpper(QByteArrayView text);
QString asciiUpper(const QString &text);
