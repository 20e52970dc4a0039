#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// A read sees at most this many UTF-16 code units of a stored value.
inline constexpr int MaxValueLength = 2047;
// So a hex text gives back at most this many code units.
inline constexpr int MaxStoredTextLength = MaxValueLength / 4;

int HexDigitValue(char16_t c); // 0..15, or -1 for anything else
QByteArray EncodeHexText(const QString &text);
QString DecodeHexText(QStringView stored); // empty for anything that is not hex
int64_t HexToInt64(QStringView stored);    // -1 when a non-hex character appears
QByteArray Int64ToHex(int64_t value);

// The longest prefix of text that a save followed by a load gives back unchanged.
QString CutStoredText(const QString &text);
