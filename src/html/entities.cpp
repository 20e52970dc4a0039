#include "entities.h"

#include "charset.h"
#include "entitytable.h"

#include <algorithm>

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

const Entity *findEntity(QStringView name)
{
    const auto *end = Entities + EntityCount;
    const auto *hit = std::lower_bound(Entities, end, name, [](const Entity &e, QStringView n) {
        return compareName(e.name, n) < 0;
    });
    return hit != end && compareName(hit->name, name) == 0 ? hit : nullptr;
}

bool isLegacy(QStringView name)
{
    const auto *end = LegacyNames + LegacyCount;
    const auto *hit = std::lower_bound(
        LegacyNames, end, name, [](const char *l, QStringView n) { return compareName(l, n) < 0; });
    return hit != end && compareName(*hit, name) == 0;
}

void append(QString &out, char32_t code)
{
    out += QStringView(QChar::fromUcs4(code));
}

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
qsizetype decodeNumeric(QStringView text, QString &out)
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
    append(out, numericCharacter(value));
    return i;
}

// "&name": the length of the reference at the text's start, its characters appended; 0 when
// it is none.
qsizetype decodeNamed(QStringView text, ReferenceContext context, QString &out)
{
    qsizetype end = 1;
    while (end < text.size() && end <= qsizetype(LongestEntityName) && isAlnum(text[end].unicode()))
        ++end;
    const QStringView run = text.sliced(1, end - 1);
    if (end < text.size() && text[end] == u';') {
        if (const Entity *entity = findEntity(run)) {
            append(out, entity->first);
            if (entity->second)
                append(out, entity->second);
            return end + 1;
        }
    }
    for (qsizetype length = std::min(run.size(), qsizetype(LongestLegacyName)); length > 1;
         --length) {
        const QStringView name = run.first(length);
        if (!isLegacy(name))
            continue;
        const qsizetype next = length + 1;
        if (context == ReferenceContext::Attribute && next < text.size() &&
            (isAlnum(text[next].unicode()) || text[next] == u'='))
            return 0;
        append(out, findEntity(name)->first);
        return next;
    }
    return 0;
}
} // namespace

QString decodeReferences(QStringView text, ReferenceContext context)
{
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0)
        return text.toString();
    QString out;
    out.reserve(text.size());
    qsizetype done = 0;
    for (; amp >= 0; amp = text.indexOf(u'&', done)) {
        out += text.sliced(done, amp - done);
        const QStringView rest = text.sliced(amp);
        const qsizetype length = rest.size() > 1 && rest[1] == u'#'
                                     ? decodeNumeric(rest, out)
                                     : decodeNamed(rest, context, out);
        if (length == 0)
            out += u'&';
        done = amp + std::max<qsizetype>(length, 1);
    }
    out += text.sliced(done);
    return out;
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
