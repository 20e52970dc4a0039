#include "filenames.h"

#include <QStringList>

namespace exchange {
namespace {
bool isForbidden(char16_t c)
{
    return c < 0x20 || c == 0x7F || QStringView(u"/\\:*?\"<>|").contains(QChar(c));
}

bool isDeviceName(QStringView name)
{
    static const QStringList devices = {
        QStringLiteral("CON"),  QStringLiteral("PRN"),  QStringLiteral("AUX"),
        QStringLiteral("NUL"),  QStringLiteral("COM1"), QStringLiteral("COM2"),
        QStringLiteral("COM3"), QStringLiteral("COM4"), QStringLiteral("COM5"),
        QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8"),
        QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"),
        QStringLiteral("LPT3"), QStringLiteral("LPT4"), QStringLiteral("LPT5"),
        QStringLiteral("LPT6"), QStringLiteral("LPT7"), QStringLiteral("LPT8"),
        QStringLiteral("LPT9")};
    const qsizetype dot = name.indexOf(u'.');
    return devices.contains(dot < 0 ? name : name.first(dot), Qt::CaseInsensitive);
}

void chopTrailing(QString &name)
{
    while (!name.isEmpty() && (name.back() == u'.' || name.back() == u' '))
        name.chop(1);
}

// The longest start of name that takes at most bytes bytes of UTF-8, ending on a whole
// character.
QString cutToBytes(QString name, qsizetype bytes)
{
    qsizetype used = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < name.size() &&
                          QChar::isLowSurrogate(name[i + 1].unicode());
        const qsizetype size = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (used + size > bytes) {
            name.truncate(i);
            chopTrailing(name);
            return name;
        }
        used += size;
        i += pair ? 1 : 0;
    }
    return name;
}

QString hostOf(QStringView url)
{
    const qsizetype start = url.indexOf(u"//");
    if (start < 0)
        return {};
    QStringView host = url.sliced(start + 2);
    for (const char16_t end : {u'/', u'?', u'#'})
        if (const qsizetype at = host.indexOf(QChar(end)); at >= 0)
            host = host.first(at);
    host = host.sliced(host.lastIndexOf(u'@') + 1);
    if (const qsizetype colon = host.lastIndexOf(u':'); colon >= 0 && !host.endsWith(u']'))
        host = host.first(colon);
    return host.toString();
}

QString numbered(QString base, int number, QStringView extension)
{
    const QString suffix = number > 1 ? QStringLiteral(" (%1)").arg(number) : QString();
    const qsizetype room = maxNameBytes - suffix.toUtf8().size() - extension.toUtf8().size();
    return cutToBytes(std::move(base), room) + suffix + extension.toString();
}
} // namespace

QString portableName(QStringView text)
{
    QString name(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        name[i] = isForbidden(text[i].unicode()) ? QChar(u'_') : text[i];
    name = name.simplified();
    chopTrailing(name);
    // A leading dot would hide the bookmark in file managers.
    while (name.startsWith(u'.') || name.startsWith(u' '))
        name.remove(0, 1);
    if (isDeviceName(name))
        name.prepend(u'_');
    return name;
}

QString bookmarkFileName(QStringView title, QStringView url, int number)
{
    QString base = portableName(title);
    if (base.isEmpty())
        base = portableName(hostOf(url));
    if (base.isEmpty())
        base = QStringLiteral("Bookmark");
    return numbered(std::move(base), number, u".url");
}

QString folderFileName(QStringView title, int number)
{
    QString base = portableName(title);
    if (base.isEmpty())
        base = QStringLiteral("Untitled folder");
    return numbered(std::move(base), number, u"");
}
} // namespace exchange
