#include "lngfile.h"

#include "platform/files.h"
#include "store/textutil.h"

#include <QStringDecoder>
#include <optional>

namespace {
struct EntryLine
{
    QByteArrayView key;
    QByteArrayView value;
};

// Key and raw value of an entry line; nullopt for every other line.
std::optional<EntryLine> splitEntry(QByteArrayView line)
{
    const QByteArrayView trimmed = trimBlanks(line);
    const qsizetype equals = trimmed.indexOf('=');
    if (trimmed.size() < 2 || equals <= 0)
        return std::nullopt;
    return EntryLine{trimBlanks(trimmed.first(equals)), trimBlanks(trimmed.sliced(equals + 1))};
}

QList<QByteArray> splitLines(QByteArrayView text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.append(text.sliced(start, i - start).toByteArray());
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        lines.append(text.sliced(start).toByteArray());
    return lines;
}

bool isDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c)
{
    if (isDecimalDigit(c))
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The number after "#" or "$" at pos, modulo 256 at every step so that any number of
// digits fits; pos ends behind the digits. No digit at all gives 0.
char readCharCode(QByteArrayView raw, qsizetype &pos, int base)
{
    int code = 0;
    while (pos < raw.size()) {
        const int digit =
            base == 10 ? (isDecimalDigit(raw[pos]) ? raw[pos] - '0' : -1) : hexDigitValue(raw[pos]);
        if (digit < 0)
            break;
        code = (code * base + digit) % 256;
        ++pos;
    }
    return char(code);
}

bool startsNotation(char c)
{
    return c == '#' || c == '$' || c == '\\';
}
} // namespace

bool LngFile::load(const QString &fileName)
{
    lines.clear();
    loaded = false;
    if (fileName.isEmpty())
        return false;
    const std::optional<platform::SmallFile> file = platform::readSmallFile(fileName, maxFileSize);
    if (!file || !file->content)
        return false;
    return loadText(*file->content);
}

bool LngFile::loadText(QByteArrayView content)
{
    const qsizetype nul = content.indexOf('\0');
    QByteArrayView text = nul < 0 ? content : content.first(nul);
    // A byte-order mark written by an editor is no part of the first key.
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    lines = splitLines(text);
    loaded = !lines.isEmpty();
    return loaded;
}

QByteArray LngFile::readRawValue(QByteArrayView key, const QByteArray &defaultValue) const
{
    if (!loaded)
        return defaultValue;
    const QByteArray wanted = asciiUpper(trimBlanks(key));
    for (const QByteArray &line : lines) {
        const std::optional<EntryLine> entry = splitEntry(line);
        if (entry && asciiUpper(entry->key) == wanted)
            return entry->value.toByteArray();
    }
    return defaultValue;
}

QByteArray decodeLngValue(QByteArrayView raw)
{
    QByteArray out;
    bool quoted = false;
    qsizetype pos = 0;
    while (pos < raw.size()) {
        const char c = raw[pos++];
        if (c == '\'') {
            quoted = !quoted;
        } else if (quoted) {
            out.append(c);
        } else if (c == '#' || c == '$') {
            out.append(readCharCode(raw, pos, c == '#' ? 10 : 16));
        } else if (c == '\\') {
            if (pos == raw.size())
                break;
            const char next = raw[pos++];
            if (next == 'n' || next == 'N')
                out.append("\r\n");
            else if (next == 't' || next == 'T')
                out.append('\t');
            else
                out.append(next);
        } else {
            // Unquoted text is no value; quotes inside it do not open a quoted run.
            while (pos < raw.size() && !startsNotation(raw[pos]))
                ++pos;
        }
    }
    return out;
}

QString lngText(QByteArrayView bytes)
{
    // A leading U+FEFF is text here, not a byte-order mark to drop.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

QByteArray asciiUpper(QByteArrayView text)
{
    QByteArray upper = text.toByteArray();
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return upper;
}

QString asciiUpper(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return upper;
}
