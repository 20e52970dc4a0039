#include "inidoc.h"

#include "hextext.h"
#include "html/charset.h"
#include "textutil.h"

#include <QStringDecoder>
#include <QVarLengthArray>
#include <algorithm>
#include <cstring>

namespace {
const QByteArray utf8Bom("\xEF\xBB\xBF");
const QByteArray utf16LeBom("\xFF\xFE");

QString joined(std::initializer_list<QStringView> parts)
{
    qsizetype size = 0;
    for (const QStringView part : parts)
        size += part.size();
    QString out;
    out.reserve(size);
    for (const QStringView part : parts)
        out += part;
    return out;
}

bool holdsLineBreak(QStringView text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c == u'\r' || c == u'\n' || c == u'\0'; });
}

// A key name that keeps the line a key line of its own.
bool isKeyName(QStringView key)
{
    const QStringView trimmed = trimBlanks(key);
    return !holdsLineBreak(key) && !trimmed.isEmpty() && !key.contains(u'=') &&
           !trimmed.startsWith(u'[') && !trimmed.startsWith(u';');
}

// Code units of 8-bit text (ANSI, UTF-8) and of UTF-16LE text, read the same way. Blanks,
// brackets, "=" and line breaks are single ASCII units in every encoding read here, so
// lines are split and classified without decoding them.
struct ByteUnits
{
    const uchar *p;
    qsizetype size;
    uint operator[](qsizetype i) const { return p[i]; }
    ByteUnits sliced(qsizetype begin, qsizetype n) const { return {p + begin, n}; }
    static constexpr int width = 1;
};

struct Utf16Units
{
    const uchar *p;
    qsizetype size;
    uint operator[](qsizetype i) const { return uint(p[2 * i]) | uint(p[2 * i + 1]) << 8; }
    Utf16Units sliced(qsizetype begin, qsizetype n) const { return {p + 2 * begin, n}; }
    static constexpr int width = 2;
};

template <typename F> auto withUnits(IniEncoding encoding, const QByteArray &bytes, F f)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    if (encoding == IniEncoding::Utf16LeBom)
        return f(Utf16Units{p, bytes.size() / 2});
    return f(ByteUnits{p, bytes.size()});
}

// Calls visit(line, eolEnd) for each line (without its CR LF, LF or CR) until it says stop.
// The position of the next CR or LF at or after from, or size.
template <typename Units> qsizetype nextBreak(const Units &all, qsizetype from)
{
    if constexpr (Units::width == 1) {
        const auto *p = all.p + from;
        const qsizetype n = all.size - from;
        const auto *lf = static_cast<const uchar *>(std::memchr(p, '\n', size_t(n)));
        const auto *cr = static_cast<const uchar *>(std::memchr(p, '\r', size_t(lf ? lf - p : n)));
        const auto *hit = cr ? cr : lf;
        return hit ? from + (hit - p) : all.size;
    } else {
        for (qsizetype i = from; i < all.size; ++i)
            if (all[i] == '\r' || all[i] == '\n')
                return i;
        return all.size;
    }
}

template <typename Units, typename Visit> void forEachLineOf(const Units &all, Visit visit)
{
    qsizetype lineStart = 0;
    for (qsizetype i = nextBreak(all, 0); i < all.size; i = nextBreak(all, i + 1)) {
        const uint u = all[i];
        qsizetype eolEnd = i + 1;
        if (u == '\r' && eolEnd < all.size && all[eolEnd] == '\n')
            ++eolEnd;
        if (!visit(all.sliced(lineStart, i - lineStart), eolEnd))
            return;
        lineStart = eolEnd;
        i = eolEnd - 1;
    }
    if (lineStart < all.size)
        visit(all.sliced(lineStart, all.size - lineStart), all.size);
}

template <typename Units> IniDocument::LineInfo classifyLine(const Units &line)
{
    IniDocument::LineInfo info;
    auto setName = [&](qsizetype begin, qsizetype end) {
        while (begin < end && line[begin] <= 0x20)
            ++begin;
        while (end > begin && line[end - 1] <= 0x20)
            --end;
        info.nameBegin = begin;
        info.nameSize = end - begin;
    };
    qsizetype begin = 0;
    while (begin < line.size && line[begin] <= 0x20)
        ++begin;
    if (begin < line.size && line[begin] == ';')
        return info; // a comment, whatever follows
    if (begin < line.size && line[begin] == '[') {
        qsizetype close = begin + 1;
        while (close < line.size && line[close] != ']')
            ++close;
        info.kind = IniDocument::LineKind::Header;
        setName(begin + 1, close);
        return info;
    }
    qsizetype eq = begin;
    if constexpr (Units::width == 1) {
        const void *hit = std::memchr(line.p + begin, '=', size_t(line.size - begin));
        eq = hit ? static_cast<const uchar *>(hit) - line.p : line.size;
    } else {
        while (eq < line.size && line[eq] != '=')
            ++eq;
    }
    if (eq == line.size)
        return info;
    info.kind = IniDocument::LineKind::Key;
    info.valueBegin = eq + 1;
    setName(begin, eq);
    return info;
}

bool isAscii(QStringView text)
{
    const char16_t *p = text.utf16();
    char16_t any = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        any |= p[i];
    return any < 0x80;
}

bool sameAsciiFolded(uint x, uint y)
{
    return x == y || ((x | 0x20) == (y | 0x20) && (x | 0x20) >= 'a' && (x | 0x20) <= 'z');
}

// A line's name, to be compared with names. Names match without regard to case: both are
// decoded and compared by simple Unicode case folding (Straße is STRAßE). A name and its
// place in the line come from the bytes alone, so decoding never changes which bytes form
// a name. Plain ASCII on both sides needs no decoding.
template <typename Units, typename Decode> class LineName
{
  public:
    LineName(const Units &line, const IniDocument::LineInfo &info, const Decode &decode)
        : m_units(line.sliced(info.nameBegin, info.nameSize)), m_decode(decode)
    {
    }

    bool is(QStringView name) const { return is(name, isAscii(name)); }

    bool is(QStringView name, bool asciiName) const
    {
        if (asciiName) {
            // Decoding never makes a name longer than its units, and an ASCII prefix of a
            // name stays its prefix; only a non-ASCII unit (the Kelvin sign folds to "k")
            // needs the full comparison.
            if (m_units.size < name.size())
                return false;
            for (qsizetype i = 0; i < name.size(); ++i) {
                if (m_units[i] >= 0x80)
                    return sameFolded(name);
                if (!sameAsciiFolded(m_units[i], name[i].unicode()))
                    return false;
            }
            return m_units.size == name.size();
        }
        return sameFolded(name);
    }

  private:
    bool sameFolded(QStringView name) const
    {
        return QStringView(m_decode(m_units)).compare(name, Qt::CaseInsensitive) == 0;
    }

    Units m_units;
    const Decode &m_decode;
};

// The value of a key line, without surrounding blanks and cut to what a read returns. It is
// decoded into scratch, which is reused from value to value.
template <typename Units, typename Decode>
QStringView valueOf(const Units &line, const IniDocument::LineInfo &info, const Decode &decode,
                    QString &scratch)
{
    qsizetype begin = info.valueBegin;
    qsizetype end = line.size;
    while (begin < end && line[begin] <= 0x20)
        ++begin;
    while (end > begin && line[end - 1] <= 0x20)
        --end;
    const Units value = line.sliced(begin, end - begin);
    scratch.resize(value.size);
    char16_t *out = reinterpret_cast<char16_t *>(scratch.data());
    for (qsizetype i = 0; i < value.size; ++i) {
        if (value[i] >= 0x80) { // plain ASCII is copied, anything else decoded
            scratch = decode(value);
            break;
        }
        out[i] = char16_t(value[i]);
    }
    return QStringView(scratch).first(qMin(scratch.size(), qsizetype(maxValueLength)));
}
} // namespace

IniDocument IniDocument::parse(const QByteArray &bytes)
{
    IniDocument doc;
    int width = 1;
    if (bytes.startsWith(utf16LeBom)) {
        doc.m_encoding = IniEncoding::Utf16LeBom;
        doc.m_bom = utf16LeBom;
        width = 2;
    } else if (bytes.startsWith(utf8Bom)) {
        doc.m_encoding = IniEncoding::Utf8Bom;
        doc.m_bom = utf8Bom;
    }
    const qsizetype start = doc.m_bom.size();
    const qsizetype size = (bytes.size() - start) / width * width;
    doc.m_body = start == 0 && size == bytes.size() ? bytes : bytes.mid(start, size);
    doc.m_tail = bytes.mid(start + size);
    if (width == 1)
        doc.m_ansiIsUtf8 = html::isStrictUtf8(doc.m_body);
    return doc;
}

QByteArray IniDocument::content() const
{
    if (!m_split)
        return m_body;
    qsizetype size = 0;
    for (const Line &line : m_lines)
        size += line.raw.size() + line.eol.size();
    QByteArray out(size, Qt::Uninitialized);
    char *p = out.data();
    for (const Line &line : m_lines) {
        p = std::copy(line.raw.begin(), line.raw.end(), p);
        p = std::copy(line.eol.begin(), line.eol.end(), p);
    }
    return out;
}

QByteArray IniDocument::serialize() const
{
    return m_bom + content() + m_tail;
}

// Calls visit(line, info) for each line until it returns false: the lines of a split
// document as they are kept, else the lines of the parsed bytes.
template <typename Visit> void IniDocument::forEachLine(Visit visit) const
{
    if (!m_split) {
        withUnits(m_encoding, m_body, [&](const auto &all) {
            forEachLineOf(
                all, [&](const auto &line, qsizetype) { return visit(line, classifyLine(line)); });
        });
        return;
    }
    for (const Line &line : m_lines) {
        const auto visitLine = [&](const auto &units) { return visit(units, line.info); };
        if (!withUnits(m_encoding, line.raw, visitLine))
            return;
    }
}

void IniDocument::forEachValue(const QList<IniQuery> &queries, const ValueVisit &visit) const
{
    auto decode = [this](const auto &units) {
        return decodeUnits(reinterpret_cast<const char *>(units.p), units.size);
    };
    // Per query: its section was entered (only its first one counts), and which keys
    // were found (the first of a name counts).
    QVarLengthArray<bool, 4> entered(queries.size(), false);
    // Per key of every query, one after the other: found already, and plain ASCII.
    QVarLengthArray<qsizetype, 4> firstKey;
    QVarLengthArray<bool, 32> found;
    QVarLengthArray<bool, 32> asciiKey;
    for (const IniQuery &query : queries) {
        firstKey.append(found.size());
        for (const QString &key : query.keys) {
            found.append(false);
            asciiKey.append(isAscii(key));
        }
    }
    qsizetype current = -1;
    QString scratch;
    forEachLine([&](const auto &line, const LineInfo &info) {
        if (info.kind == LineKind::Header) {
            current = -1;
            const LineName name(line, info, decode);
            for (qsizetype q = 0; q < queries.size() && current < 0; ++q)
                if (!entered[q] && name.is(queries[q].section))
                    entered[q] = true, current = q;
        } else if (info.kind == LineKind::Key && current >= 0) {
            const LineName name(line, info, decode);
            const QList<QString> &keys = queries[current].keys;
            const qsizetype first = firstKey[current];
            for (qsizetype k = 0; k < keys.size(); ++k) {
                if (!found[first + k] && name.is(keys[k], asciiKey[first + k])) {
                    found[first + k] = true;
                    visit(current, k, valueOf(line, info, decode, scratch));
                }
            }
        }
        return true;
    });
}

void IniDocument::forEachValue(QStringView section, const QList<QString> &keys,
                               const std::function<void(qsizetype, QStringView)> &visit) const
{
    forEachValue({{section.toString(), keys}},
                 [&](qsizetype, qsizetype k, QStringView value) { visit(k, value); });
}

std::vector<std::optional<QString>> IniDocument::values(QStringView section,
                                                        const QList<QString> &keys) const
{
    std::vector<std::optional<QString>> found(size_t(keys.size()));
    forEachValue(section, keys,
                 [&](qsizetype k, QStringView value) { found[size_t(k)] = value.toString(); });
    return found;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    return values(section, {key.toString()}).front();
}

bool IniDocument::sectionHasKeys(QStringView section) const
{
    auto decode = [this](const auto &units) {
        return decodeUnits(reinterpret_cast<const char *>(units.p), units.size);
    };
    bool hasKeys = false;
    bool inSection = false;
    forEachLine([&](const auto &line, const LineInfo &info) {
        if (info.kind == LineKind::Header) {
            if (inSection)
                return false;
            inSection = LineName(line, info, decode).is(section);
        }
        hasKeys = inSection && info.kind == LineKind::Key;
        return !hasKeys;
    });
    return hasKeys;
}

QString IniDocument::decodeUnits(const char *p, qsizetype units) const
{
    if (m_encoding == IniEncoding::Utf16LeBom) {
        QString text(units, Qt::Uninitialized);
        std::memcpy(text.data(), p, size_t(units) * 2);
        return text;
    }
    const QByteArrayView bytes(p, units);
    if (!m_ansiIsUtf8)
        return fromWindows1252(bytes);
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    // A byte-order mark inside the text is text, not a mark to drop.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

IniDocument::LineInfo IniDocument::classify(const QByteArray &raw) const
{
    return withUnits(m_encoding, raw, [](const auto &line) { return classifyLine(line); });
}

bool IniDocument::nameIs(const Line &line, QStringView name) const
{
    return withUnits(m_encoding, line.raw, [&](const auto &units) {
        auto decode = [this](const auto &part) {
            return decodeUnits(reinterpret_cast<const char *>(part.p), part.size);
        };
        return LineName(units, line.info, decode).is(name);
    });
}

void IniDocument::splitIntoLines()
{
    if (m_split)
        return;
    m_split = true;
    withUnits(m_encoding, m_body, [&](const auto &all) {
        const int width = std::decay_t<decltype(all)>::width;
        const char *base = m_body.constData();
        forEachLineOf(all, [&](const auto &line, qsizetype eolEnd) {
            // Unchanged lines point into the parsed bytes, which the document keeps.
            const char *begin = reinterpret_cast<const char *>(line.p);
            const qsizetype end = (begin - base) + line.size * width;
            m_lines.append({QByteArray::fromRawData(begin, line.size * width),
                            QByteArray::fromRawData(base + end, eolEnd * width - end),
                            classifyLine(line)});
            return true;
        });
    });
}

std::optional<QByteArray> IniDocument::encodeText(QStringView text) const
{
    if (m_encoding == IniEncoding::Utf16LeBom)
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    // New text goes in as the file's other bytes are read, also in a file marked as UTF-8
    // that holds other bytes: a value written must read back as it was.
    if (m_ansiIsUtf8)
        return text.toUtf8();
    return toWindows1252(text);
}

IniDocument::Line IniDocument::makeLine(const QByteArray &raw, const QByteArray &eol) const
{
    return {raw, eol, classify(raw)};
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
        if (m_lines[i].info.kind == LineKind::Header && nameIs(m_lines[i], section))
            return i;
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].info.kind != LineKind::Header)
        ++i;
    return i;
}

// For each key, the line of the section that holds it (the first of its name), or -1.
std::vector<qsizetype> IniDocument::findKeys(qsizetype header, const QList<QString> &keys) const
{
    std::vector<qsizetype> lines(size_t(keys.size()), -1);
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].info.kind != LineKind::Key)
            continue;
        for (size_t k = 0; k < lines.size(); ++k) {
            if (lines[k] < 0 && nameIs(m_lines[i], keys[qsizetype(k)])) {
                lines[k] = i;
                break;
            }
        }
    }
    return lines;
}

// The section's last line that is not blank (its header when there is none).
qsizetype IniDocument::lastFilledLine(qsizetype header) const
{
    qsizetype last = header;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (!isBlank(m_lines[i]))
            last = i;
    return last;
}

bool IniDocument::isBlank(const Line &line) const
{
    return withUnits(m_encoding, line.raw, [](const auto &units) {
        for (qsizetype i = 0; i < units.size; ++i)
            if (units[i] > 0x20)
                return false;
        return true;
    });
}

bool IniDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    const QString text = value.toString();
    return setValues(section, {key.toString()}, std::span(&text, 1));
}

bool IniDocument::canEncode(QStringView text) const
{
    return isAscii(text) || encodeText(text).has_value();
}

bool IniDocument::setValues(QStringView section, const QList<QString> &keys,
                            std::span<const QString> values)
{
    if (holdsLineBreak(section) || section.contains(u']') || !canEncode(section))
        return false;
    splitIntoLines();
    qsizetype header = findSection(section);
    const std::vector<qsizetype> existing =
        header < 0 ? std::vector<qsizetype>(size_t(keys.size()), -1) : findKeys(header, keys);
    // Every key's bytes are made before the first change: the value for a line that keeps
    // its key, the whole line for a new one.
    std::vector<QByteArray> encoded;
    encoded.reserve(existing.size());
    for (size_t k = 0; k < existing.size(); ++k) {
        const QString &key = keys[qsizetype(k)];
        const QString &value = values[k];
        if (!isKeyName(key) || holdsLineBreak(value) || !canEncode(key))
            return false;
        const std::optional<QByteArray> bytes =
            existing[k] < 0 ? encodeText(joined({key, u"=", value})) : encodeText(value);
        if (!bytes)
            return false;
        encoded.push_back(*bytes);
    }
    const QByteArray eol = newLineEnding();
    QList<Line> added;
    added.reserve(keys.size());
    for (size_t k = 0; k < existing.size(); ++k) {
        if (existing[k] < 0) {
            added.append(makeLine(encoded[k], eol));
            continue;
        }
        // The line keeps its bytes up to the "=", spelling and blanks of the key included.
        Line &line = m_lines[existing[k]];
        const qsizetype width = m_encoding == IniEncoding::Utf16LeBom ? 2 : 1;
        line.raw = QByteArray(line.raw.constData(), line.info.valueBegin * width) + encoded[k];
    }
    if (added.isEmpty())
        return true;
    if (header < 0) {
        if (!m_lines.isEmpty() && m_lines.last().eol.isEmpty())
            m_lines.last().eol = eol;
        m_lines.append(makeLine(*encodeText(joined({u"[", section, u"]"})), eol));
        header = m_lines.size() - 1;
    }
    // After the section's last key, so blank lines before the next section stay there.
    const qsizetype insertAt = lastFilledLine(header) + 1;
    if (m_lines[insertAt - 1].eol.isEmpty())
        m_lines[insertAt - 1].eol = eol;
    m_lines.insert(insertAt, added.size(), Line());
    std::move(added.begin(), added.end(), m_lines.begin() + insertAt);
    return true;
}

bool IniDocument::eraseSection(QStringView section)
{
    splitIntoLines();
    bool erased = false;
    for (qsizetype header = findSection(section); header >= 0;
         header = findSection(section, header)) {
        m_lines.remove(header, sectionEnd(header) - header);
        erased = true;
    }
    return erased;
}
