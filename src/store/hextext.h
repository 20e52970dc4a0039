#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// A read sees at most this many UTF-16 code units of a stored value.
inline constexpr int maxValueLength = 2047;
// So a hex text gives back at most this many code units.
inline constexpr int maxStoredTextLength = maxValueLength / 4;

int hexDigitValue(char16_t c); // 0..15, or -1 for anything else
QByteArray encodeHexText(const QString &text);
QString decodeHexText(QStringView stored); // empty for anything that is not hex
int64_t hexToInt64(QStringView stored);    // -1 when a non-hex character appears
QByteArray int64ToHex(int64_t value);

// The longest prefix of text that a save followed by a load gives back unchanged.
QString cutStoredText(const QString &text);
