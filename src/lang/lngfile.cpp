#include "lngfile.h"

#include "platform/files.h"
#include "store/textutil.h"

#include <QStringDecoder>
#include <optional>

namespace {
struct TEntryLine
{
    QByteArrayView Key;
    QByteArrayView Value;
};

// Key and raw value of an entry line; nullopt for every other line.
std::optional<TEntryLine> SplitEntry(QByteArrayView line)
{
    const QByteArrayView trimmed = TrimBlanks(line);
    const qsizetype equals = trimmed.indexOf('=');
    if (trimmed.size() < 2 || equals <= 0)
        return std::nullopt;
    return TEntryLine{TrimBlanks(trimmed.first(equals)), TrimBlanks(trimmed.sliced(equals + 1))};
}

QList<QByteArray> SplitLines(QByteArrayView text)
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

bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c)
{
    if (IsDecimalDigit(c))
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The number after "#" or "$" at pos, modulo 256 at every step so that any number of
// digits fits; pos ends behind the digits. No digit at all gives 0.
char ReadCharCode(QByteArrayView raw, qsizetype &pos, int base)
{
    int code = 0;
    while (pos < raw.size()) {
        const int digit =
            base == 10 ? (IsDecimalDigit(raw[pos]) ? raw[pos] - '0' : -1) : HexDigitValue(raw[pos]);
        if (digit < 0)
            break;
        code = (code * base + digit) % 256;
        ++pos;
    }
    return char(code);
}

bool StartsNotation(char c)
{
    return c == '#' || c == '$' || c == '\\';
}
} // namespace

bool TLngFile::Load(const QString &fileName)
{
    Lines.clear();
    Loaded = false;
    if (fileName.isEmpty())
        return false;
    const std::optional<platform::SmallFile> file = platform::readSmallFile(fileName, MaxFileSize);
    if (!file || !file->content)
        return false;
    return LoadText(*file->content);
}

bool TLngFile::LoadText(QByteArrayView content)
{
    const qsizetype nul = content.indexOf('\0');
    QByteArrayView text = nul < 0 ? content : content.first(nul);
    // A byte-order mark written by an editor is no part of the first key.
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    Lines = SplitLines(text);
    Loaded = !Lines.isEmpty();
    return Loaded;
}

QByteArray TLngFile::ReadRawValue(QByteArrayView key, const QByteArray &defaultValue) const
{
    if (!Loaded)
        return defaultValue;
    const QByteArray wanted = AsciiUpper(TrimBlanks(key));
    for (const QByteArray &line : Lines) {
        const std::optional<TEntryLine> entry = SplitEntry(line);
        if (entry && AsciiUpper(entry->Key) == wanted)
            return entry->Value.toByteArray();
    }
    return defaultValue;
}

QByteArray DecodeLngValue(QByteArrayView raw)
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
            out.append(ReadCharCode(raw, pos, c == '#' ? 10 : 16));
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
            while (pos < raw.size() && !StartsNotation(raw[pos]))
                ++pos;
        }
    }
    return out;
}

QString LngText(QByteArrayView bytes)
{
    // A leading U+FEFF is text here, not a byte-order mark to drop.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? FromWindows1252(bytes) : text;
}

QByteArray AsciiUpper(QByteArrayView text)
{
    QByteArray upper = text.toByteArray();
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return upper;
}

QString AsciiUpper(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return upper;
}
