#include "inidoc.h"

#include "hextext.h"
#include "textutil.h"

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

// Names are nearly always ASCII, so that case is compared without the Unicode tables.
bool SameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x == y)
            continue;
        if (x >= 0x80 || y >= 0x80)
            return a.compare(b, Qt::CaseInsensitive) == 0;
        if ((x | 0x20) != (y | 0x20) || (x | 0x20) < u'a' || (x | 0x20) > u'z')
            return false;
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

void IniDocument::classify(Line &line)
{
    const QStringView text = line.text;
    qsizetype begin = 0;
    while (begin < text.size() && text[begin].unicode() <= 0x20)
        ++begin;
    line.kind = Line::Other;
    if (begin < text.size() && text[begin] == u'[') {
        const qsizetype close = text.indexOf(u']', begin);
        const QStringView inner =
            text.sliced(begin + 1, (close < 0 ? text.size() : close) - begin - 1);
        const QStringView name = TrimBlanks(inner);
        line.kind = Line::Header;
        line.nameBegin = name.isEmpty() ? 0 : name.data() - text.data();
        line.nameSize = name.size();
        return;
    }
    const qsizetype eq = text.indexOf(u'=', begin);
    if (eq < 0)
        return;
    const QStringView name = TrimBlanks(text.sliced(begin, eq - begin));
    line.kind = Line::Key;
    line.nameBegin = name.isEmpty() ? 0 : name.data() - text.data();
    line.nameSize = name.size();
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
    const QByteArrayView body = QByteArrayView(bytes).sliced(start, units * unitSize);
    doc.m_tail = bytes.mid(start + units * unitSize);

    // One decoded text for the whole file; each line's text points into it, as each
    // line's bytes point into the source. Line breaks are single units in every encoding.
    if (unitSize == 2)
        doc.m_text = QString(reinterpret_cast<const QChar *>(body.data()), units);
    else if ((doc.m_ansiIsUtf8 = IsValidUtf8(body)))
        doc.m_text = QString::fromUtf8(body);
    else
        doc.m_text = FromWindows1252(body);
    const QList<LineRange> text = SplitLines(doc.m_text.utf16(), doc.m_text.size());
    const QList<LineRange> raw =
        unitSize == 2 ? text : SplitLines(reinterpret_cast<const uchar *>(body.data()), units);
    doc.m_lines.reserve(raw.size());
    const char *base = bytes.constData() + start;
    for (qsizetype n = 0; n < raw.size(); ++n) {
        const LineRange &r = raw[n];
        const LineRange &t = text[n];
        Line line{QByteArray::fromRawData(base + r.begin * unitSize, (r.end - r.begin) * unitSize),
                  QByteArray::fromRawData(base + r.end * unitSize, (r.eolEnd - r.end) * unitSize),
                  QString::fromRawData(doc.m_text.constData() + t.begin, t.end - t.begin)};
        classify(line);
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

bool IniDocument::makeLine(QStringView text, Line &line) const
{
    const std::optional<QByteArray> raw = encodeText(text);
    if (!raw)
        return false;
    line.raw = *raw;
    line.text = text.toString();
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
        if (m_lines[i].kind == Line::Header && SameName(m_lines[i].name(), section))
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
        if (m_lines[i].kind == Line::Key && SameName(m_lines[i].name(), key))
            return i;
    return -1;
}

std::optional<QString> IniDocument::valueAt(qsizetype line) const
{
    if (line < 0)
        return std::nullopt;
    const QStringView text = m_lines[line].text;
    const QStringView value = TrimBlanks(text.sliced(text.indexOf(u'=') + 1));
    return value.first(qMin(value.size(), qsizetype(MaxValueLength))).toString();
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

bool IniDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    const bool nameBreaks = TrimBlanks(key).isEmpty() || key.contains(u'=') ||
                            TrimBlanks(key).startsWith(u'[') || section.contains(u']');
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value) || nameBreaks)
        return false;

    const qsizetype header = findSection(section);
    const qsizetype existing = header < 0 ? -1 : findKey(header, key);
    if (existing >= 0) {
        const QString &old = m_lines[existing].text;
        Line changed = m_lines[existing];
        if (!makeLine(Joined({QStringView(old).first(old.indexOf(u'=') + 1), value}), changed))
            return false;
        m_lines[existing] = changed;
        return true;
    }

    const QByteArray eol = newLineEnding();
    Line keyLine{QByteArray(), eol, QString()};
    if (!makeLine(Joined({key, u"=", value}), keyLine))
        return false;
    if (header < 0) {
        Line headerLine{QByteArray(), eol, QString()};
        if (!makeLine(Joined({u"[", section, u"]"}), headerLine))
            return false;
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
        if (!TrimBlanks(m_lines[i].text).isEmpty())
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
