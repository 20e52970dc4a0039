#include "filenames.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace platform {
namespace {
constexpr char16_t escapeBase = 0xDC00; // + a byte from 0x80 up

bool isEscape(QStringView name, qsizetype i)
{
    const char16_t u = name[i].unicode();
    // The low half of a surrogate pair is a character of its own, never an escaped byte.
    return u >= escapeBase + 0x80 && u <= escapeBase + 0xFF &&
           (i == 0 || !name[i - 1].isHighSurrogate());
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}
} // namespace

QString decodeFileName(QByteArrayView bytes)
{
    if (isAscii(bytes)) // most names
        return QString::fromLatin1(bytes);
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const auto *end = p + bytes.size();
    QString name;
    name.reserve(bytes.size());
    while (p < end) {
        char32_t codePoint = 0;
        const int length = utf8Sequence(p, end, codePoint);
        if (length == 0) {
            name.append(QChar(char16_t(escapeBase + *p++)));
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            const QChar pair[] = {QChar(QChar::highSurrogate(codePoint)),
                                  QChar(QChar::lowSurrogate(codePoint))};
            name.append(pair, 2);
        } else {
            name.append(QChar(char16_t(codePoint)));
        }
        p += length;
    }
    return name;
}

QByteArray encodeFileName(QStringView name)
{
    const auto escape = [&](qsizetype i) { return name[i].unicode() >= 0x80 && isEscape(name, i); };
    qsizetype first = 0;
    while (first < name.size() && !escape(first))
        ++first;
    if (first == name.size()) // most names
        return name.toUtf8();
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype run = 0; // start of the text not yet encoded
    for (qsizetype i = first; i < name.size(); ++i) {
        if (!escape(i))
            continue;
        bytes += name.sliced(run, i - run).toUtf8();
        bytes += char(name[i].unicode() - escapeBase);
        run = i + 1;
    }
    return bytes + name.sliced(run).toUtf8();
}

QString absolutePath(const QString &path)
{
    if (path.startsWith(u'/'))
        return path;
    char *cwd = ::getcwd(nullptr, 0);
    if (!cwd)
        return path;
    QString folder = decodeFileName(cwd);
    std::free(cwd);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return path.isEmpty() ? folder : folder + path;
}
} // namespace platform
