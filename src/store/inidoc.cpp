#include "inidoc.h"

#include "hextext.h"
#include "textutil.h"

#include <QStringDecoder>
#include <algorithm>

namespace {
const QByteArray Utf8Bom("\xEF\xBB\xBF");
const QByteArray Utf16LeBom("\xFF\xFE");

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const uchar b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        uint min = 0;
        uint cp = 0;
        if ((b & 0xE0) == 0xC0) {
            more = 1, min = 0x80, cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            more = 2, min = 0x800, cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, cp = b & 0x07;
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += more + 1;
    }
    return true;
}

QString Joined(std::initializer_list<QStringView> parts)
{
    QString out;
    for (const QStringView part : parts)
        out += part;
    return out;
}

bool HoldsLineBreak(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

struct LineRange
{
    qsizetype begin, end, eolEnd;
};

// Lines end at CR LF, LF or CR.
template <typename Unit> QList<LineRange> SplitLines(const Unit *units, qsizetype count)
{
    QList<LineRange> lines;
    lines.reserve(count / 16 + 4);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const Unit u = units[i];
        if (u > '\r' || (u != '\r' && u != '\n'))
            continue;
        qsizetype eolEnd = i + 1;
        if (u == '\r' && eolEnd < count && units[eolEnd] == '\n')
            ++eolEnd;
        lines.append({lineStart, i, eolEnd});
        lineStart = eolEnd;
        i = eolEnd - 1;
    }
    if (lineStart < count)
        lines.append({lineStart, count, count});
    return lines;
}
} // namespace

uint IniDocument::unitAt(const QByteArray &raw, qsizetype i) const
{
    const auto *p = reinterpret_cast<const uchar *>(raw.constData());
    return m_encoding == IniEncoding::Utf16LeBom ? uint(p[2 * i]) | uint(p[2 * i + 1]) << 8
                                                 : uint(p[i]);
}

qsizetype IniDocument::unitCount(const QByteArray &raw) const
{
    return m_encoding == IniEncoding::Utf16LeBom ? raw.size() / 2 : raw.size();
}

QString IniDocument::decodeUnits(const QByteArray &raw, qsizetype begin, qsizetype end) const
{
    if (m_encoding == IniEncoding::Utf16LeBom)
        return QString(reinterpret_cast<const QChar *>(raw.constData() + 2 * begin), end - begin);
    const QByteArrayView bytes = QByteArrayView(raw).sliced(begin, end - begin);
    if (!m_ansiIsUtf8)
        return FromWindows1252(bytes);
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    // A byte-order mark inside the text is text, not a mark to drop.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

// Blanks, brackets and "=" are single ASCII units in every encoding read here, so lines
// are classified on their code units without decoding them.
void IniDocument::classify(Line &line) const
{
    const qsizetype count = unitCount(line.raw);
    auto trimmedRange = [&](qsizetype begin, qsizetype end) {
        while (begin < end && unitAt(line.raw, begin) <= 0x20)
            ++begin;
        while (end > begin && unitAt(line.raw, end - 1) <= 0x20)
            --end;
        line.nameBegin = begin;
        line.nameSize = end - begin;
    };
    qsizetype begin = 0;
    while (begin < count && unitAt(line.raw, begin) <= 0x20)
        ++begin;
    line.kind = Line::Other;
    if (begin < count && unitAt(line.raw, begin) == '[') {
        qsizetype close = begin + 1;
        while (close < count && unitAt(line.raw, close) != ']')
            ++close;
        line.kind = Line::Header;
        trimmedRange(begin + 1, close);
        return;
    }
    qsizetype eq = begin;
    while (eq < count && unitAt(line.raw, eq) != '=')
        ++eq;
    if (eq == count)
        return;
    line.kind = Line::Key;
    line.valueBegin = eq + 1;
    trimmedRange(begin, eq);
}

// Names match with ASCII letters taken without case and every other character exactly, so
// a name means the same whichever way the file's bytes are decoded.
bool IniDocument::nameIs(const Line &line, QStringView name) const
{
    QString decoded;
    QStringView have;
    bool ascii = true;
    for (qsizetype i = 0; ascii && i < line.nameSize; ++i)
        ascii = unitAt(line.raw, line.nameBegin + i) < 0x80;
    if (ascii && line.nameSize != name.size())
        return false;
    if (!ascii) {
        decoded = decodeUnits(line.raw, line.nameBegin, line.nameBegin + line.nameSize);
        have = decoded;
        if (have.size() != name.size())
            return false;
    }
    for (qsizetype i = 0; i < name.size(); ++i) {
        const uint x = ascii ? unitAt(line.raw, line.nameBegin + i) : have[i].unicode();
        const uint y = name[i].unicode();
        if (x != y && (x >= 0x80 || y >= 0x80 || (x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' ||
                       (x | 0x20) > 'z'))
            return false;
    }
    return true;
}

IniDocument IniDocument::parse(const QByteArray &bytes)
{
    IniDocument doc;
    doc.m_source = bytes;
    int unitSize = 1;
    if (bytes.startsWith(Utf16LeBom)) {
        doc.m_encoding = IniEncoding::Utf16LeBom;
        doc.m_bom = Utf16LeBom;
        unitSize = 2;
    } else if (bytes.startsWith(Utf8Bom)) {
        doc.m_encoding = IniEncoding::Utf8Bom;
        doc.m_bom = Utf8Bom;
    }
    const qsizetype start = doc.m_bom.size();
    const qsizetype units = (bytes.size() - start) / unitSize;
    const char *base = bytes.constData() + start;
    doc.m_tail = bytes.mid(start + units * unitSize);
    QList<LineRange> ranges;
    if (unitSize == 2) {
        ranges = SplitLines(reinterpret_cast<const char16_t *>(base), units);
    } else {
        doc.m_ansiIsUtf8 = IsValidUtf8(QByteArrayView(base, units));
        ranges = SplitLines(reinterpret_cast<const uchar *>(base), units);
    }
    doc.m_lines.reserve(ranges.size());
    for (const LineRange &r : ranges) {
        Line line{QByteArray::fromRawData(base + r.begin * unitSize, (r.end - r.begin) * unitSize),
                  QByteArray::fromRawData(base + r.end * unitSize, (r.eolEnd - r.end) * unitSize)};
        doc.classify(line);
        doc.m_lines.append(std::move(line));
    }
    return doc;
}

std::vector<std::optional<QString>> IniDocument::values(QStringView section,
                                                        const QList<QString> &keys) const
{
    std::vector<std::optional<QString>> found(size_t(keys.size()));
    const qsizetype header = findSection(section);
    if (header < 0)
        return found;
    for (qsizetype k = 0; k < keys.size(); ++k)
        found[size_t(k)] = valueAt(findKey(header, keys[k]));
    return found;
}

QByteArray IniDocument::serialize() const
{
    QByteArray out = m_bom;
    for (const Line &line : m_lines) {
        out += line.raw;
        out += line.eol;
    }
    out += m_tail;
    return out;
}

std::optional<QByteArray> IniDocument::encodeText(QStringView text) const
{
    switch (m_encoding) {
    case IniEncoding::Utf16LeBom:
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    case IniEncoding::Utf8Bom:
        return text.toUtf8();
    case IniEncoding::Ansi:
        break;
    }
    if (m_ansiIsUtf8)
        return text.toUtf8();
    return ToWindows1252(text);
}

bool IniDocument::makeLine(const QByteArray &raw, const QByteArray &eol, Line &line) const
{
    line.raw = raw;
    line.eol = eol;
    classify(line);
    return true;
}

QByteArray IniDocument::newLineEnding() const
{
    for (const Line &line : m_lines)
        if (!line.eol.isEmpty())
            return QByteArray(line.eol.constData(), line.eol.size());
    return *encodeText(u"\r\n");
}

qsizetype IniDocument::findSection(QStringView section, qsizetype from) const
{
    for (qsizetype i = from; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Line::Header && nameIs(m_lines[i], section))
            return i;
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Header)
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, QStringView key) const
{
    for (qsizetype i = header + 1; i < m_lines.size() && m_lines[i].kind != Line::Header; ++i)
        if (m_lines[i].kind == Line::Key && nameIs(m_lines[i], key))
            return i;
    return -1;
}

std::optional<QString> IniDocument::valueAt(qsizetype line) const
{
    if (line < 0)
        return std::nullopt;
    const Line &l = m_lines[line];
    qsizetype begin = l.valueBegin;
    qsizetype end = unitCount(l.raw);
    while (begin < end && unitAt(l.raw, begin) <= 0x20)
        ++begin;
    while (end > begin && unitAt(l.raw, end - 1) <= 0x20)
        --end;
    const QString value = decodeUnits(l.raw, begin, end);
    return value.size() > MaxValueLength ? value.first(MaxValueLength) : value;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const qsizetype header = findSection(section);
    return header < 0 ? std::nullopt : valueAt(findKey(header, key));
}

bool IniDocument::sectionHasKeys(QStringView section) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return false;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Line::Key)
            return true;
    return false;
}

bool IniDocument::isBlank(const Line &line) const
{
    for (qsizetype i = 0; i < unitCount(line.raw); ++i)
        if (unitAt(line.raw, i) > 0x20)
            return false;
    return true;
}

bool IniDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    const bool nameBreaks = TrimBlanks(key).isEmpty() || key.contains(u'=') ||
                            TrimBlanks(key).startsWith(u'[') || section.contains(u']');
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value) || nameBreaks)
        return false;
    const std::optional<QByteArray> encodedValue = encodeText(value);
    if (!encodedValue)
        return false;

    const qsizetype header = findSection(section);
    const qsizetype existing = header < 0 ? -1 : findKey(header, key);
    if (existing >= 0) {
        // The line keeps its bytes up to the "=", spelling and blanks of the key included.
        Line &line = m_lines[existing];
        const qsizetype prefix = line.valueBegin * (m_encoding == IniEncoding::Utf16LeBom ? 2 : 1);
        line.raw = QByteArray(line.raw.constData(), prefix) + *encodedValue;
        return true;
    }

    const QByteArray eol = newLineEnding();
    const std::optional<QByteArray> keyText = encodeText(Joined({key, u"="}));
    if (!keyText)
        return false;
    Line keyLine;
    makeLine(*keyText + *encodedValue, eol, keyLine);
    if (header < 0) {
        const std::optional<QByteArray> headerText = encodeText(Joined({u"[", section, u"]"}));
        if (!headerText)
            return false;
        Line headerLine;
        makeLine(*headerText, eol, headerLine);
        if (!m_lines.isEmpty() && m_lines.last().eol.isEmpty())
            m_lines.last().eol = eol;
        m_lines.append(headerLine);
        m_lines.append(keyLine);
        return true;
    }
    // After the section's last key, so blank lines before the next section stay there.
    qsizetype insertAt = header + 1;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (!isBlank(m_lines[i]))
            insertAt = i + 1;
    if (m_lines[insertAt - 1].eol.isEmpty())
        m_lines[insertAt - 1].eol = eol;
    m_lines.insert(insertAt, keyLine);
    return true;
}

bool IniDocument::eraseSection(QStringView section)
{
    bool erased = false;
    for (qsizetype header = findSection(section); header >= 0;
         header = findSection(section, header)) {
        m_lines.remove(header, sectionEnd(header) - header);
        erased = true;
    }
    return erased;
}
