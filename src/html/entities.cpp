#include "entities.h"

#include "charset.h"
#include "entitytable.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace html {
namespace {
bool isAlnum(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

int digitValue(char16_t c, int base)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (base == 16 && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (base == 16 && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// A table name against a run of ASCII letters and digits, as bytes compare.
int compareName(const char *name, QStringView run)
{
    for (const QChar c : run) {
        const int diff = int(uchar(*name)) - int(c.unicode());
        if (diff != 0 || *name == '\0')
            return diff;
        ++name;
    }
    return *name == '\0' ? 0 : 1;
}

// The first eight letters of a name as one number that sorts as the name does, so that a
// lookup compares numbers.
template <typename Letters> quint64 prefixKey(const Letters &name, qsizetype size)
{
    quint64 key = 0;
    for (qsizetype i = 0; i < 8; ++i)
        key = (key << 8) | (i < size ? quint64(name[i]) & 0x7F : 0);
    return key;
}

// Every name begins with two letters: A-Z, then a-z, as bytes sort.
int letterIndex(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    return c >= u'a' && c <= u'z' ? c - u'a' + 26 : -1;
}

constexpr int pairs = 52 * 52;

// The keys of the table's names, and where the names of each pair of first letters begin.
struct EntityIndex
{
    std::array<quint64, entityCount> keys;
    std::array<quint16, pairs + 1> pairStarts;
};

const EntityIndex &entityIndex()
{
    static const EntityIndex index = [] {
        EntityIndex made{};
        size_t next = 0;
        for (int pair = 0; pair <= pairs; ++pair) {
            for (; next < entityCount; ++next) {
                const char *name = entities[next].name;
                if (letterIndex(uchar(name[0])) * 52 + letterIndex(uchar(name[1])) >= pair)
                    break;
            }
            made.pairStarts[size_t(pair)] = quint16(next);
        }
        for (size_t i = 0; i < entityCount; ++i)
            made.keys[i] = prefixKey(entities[i].name, qsizetype(std::strlen(entities[i].name)));
        return made;
    }();
    return index;
}

const Entity *findEntity(QStringView name)
{
    if (name.size() < 2 || letterIndex(name[0].unicode()) < 0 || letterIndex(name[1].unicode()) < 0)
        return nullptr;
    const EntityIndex &index = entityIndex();
    const int pair = letterIndex(name[0].unicode()) * 52 + letterIndex(name[1].unicode());
    const auto *keys = index.keys.data();
    const auto *end = keys + index.pairStarts[size_t(pair) + 1];
    const quint64 key = prefixKey(name.utf16(), name.size());
    for (const auto *it = std::lower_bound(keys + index.pairStarts[size_t(pair)], end, key);
         it != end && *it == key; ++it) {
        const Entity &entity = entities[it - keys];
        if (compareName(entity.name, name) == 0)
            return &entity;
    }
    return nullptr;
}

bool isLegacy(QStringView name)
{
    const auto *end = legacyNames + legacyCount;
    const auto *hit = std::lower_bound(
        legacyNames, end, name, [](const char *l, QStringView n) { return compareName(l, n) < 0; });
    return hit != end && compareName(*hit, name) == 0;
}

// Where the decoded text goes, and the name found last: a text repeats the same few.
struct Output
{
    char16_t *next;
    QStringView lastName;
    const Entity *lastEntity = nullptr;

    void append(char32_t code)
    {
        if (code > 0xFFFF) {
            *next++ = QChar::highSurrogate(code);
            *next++ = QChar::lowSurrogate(code);
        } else {
            *next++ = char16_t(code);
        }
    }

    const Entity *find(QStringView name)
    {
        if (!lastEntity || name.size() != lastName.size() ||
            !std::equal(name.begin(), name.end(), lastName.begin())) {
            lastEntity = findEntity(name);
            lastName = name;
        }
        return lastEntity;
    }
};

char32_t numericCharacter(char32_t value)
{
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0xFFFD;
    if (value >= 0x80 && value <= 0x9F)
        return windows1252(uchar(value));
    return value;
}

// "&#...": the length of the reference at the text's start, its character appended; 0 when
// no digit follows.
qsizetype decodeNumeric(QStringView text, Output &out)
{
    qsizetype i = 2;
    const bool hex = i < text.size() && (text[i] == u'x' || text[i] == u'X');
    const int base = hex ? 16 : 10;
    i += hex ? 1 : 0;
    const qsizetype digits = i;
    char32_t value = 0;
    for (int digit = 0; i < text.size() && (digit = digitValue(text[i].unicode(), base)) >= 0; ++i)
        value = std::min<char32_t>(value * base + char32_t(digit), 0x110000);
    if (i == digits)
        return 0;
    if (i < text.size() && text[i] == u';')
        ++i;
    out.append(numericCharacter(value));
    return i;
}

// "&name": the length of the reference at the text's start, its characters appended; 0 when
// it is none.
qsizetype decodeNamed(QStringView text, ReferenceContext context, Output &out)
{
    qsizetype end = 1;
    while (end < text.size() && end <= qsizetype(longestEntityName) && isAlnum(text[end].unicode()))
        ++end;
    const QStringView run = text.sliced(1, end - 1);
    if (run.isEmpty())
        return 0;
    if (end < text.size() && text[end] == u';') {
        if (const Entity *entity = out.find(run)) {
            out.append(entity->first);
            if (entity->second)
                out.append(entity->second);
            return end + 1;
        }
    }
    for (qsizetype length = std::min(run.size(), qsizetype(longestLegacyName)); length > 1;
         --length) {
        const QStringView name = run.first(length);
        if (!isLegacy(name))
            continue;
        const qsizetype next = length + 1;
        if (context == ReferenceContext::Attribute && next < text.size() &&
            (isAlnum(text[next].unicode()) || text[next] == u'='))
            return 0;
        out.append(out.find(name)->first);
        return next;
    }
    return 0;
}
} // namespace

QString decodeReferences(QStringView text, ReferenceContext context)
{
    if (!text.contains(u'&'))
        return text.toString();
    // No reference is shorter than the characters it stands for.
    QString decoded(text.size(), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(decoded.data());
    Output out{begin, {}, nullptr};
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] != u'&') {
            *out.next++ = text[i++].unicode();
            continue;
        }
        const QStringView rest = text.sliced(i);
        const qsizetype length = rest.size() > 1 && rest[1] == u'#'
                                     ? decodeNumeric(rest, out)
                                     : decodeNamed(rest, context, out);
        if (length == 0)
            *out.next++ = u'&';
        i += std::max<qsizetype>(length, 1);
    }
    decoded.truncate(out.next - begin);
    return decoded;
}

QString collapseBlanks(QString text)
{
    QChar *const begin = text.data();
    QChar *o = begin;
    bool blank = true; // none at the start
    for (const QChar *c = begin; c != begin + text.size(); ++c) {
        if (c->unicode() > 0x20) {
            *o++ = *c;
            blank = false;
        } else if (!blank) {
            *o++ = u' ';
            blank = true;
        }
    }
    if (blank && o != begin)
        --o;
    text.truncate(o - begin);
    return text;
}
} // namespace html
