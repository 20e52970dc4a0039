#include "entrytext.h"

#include "store/textutil.h"

#include <QDir>

namespace {
bool IsDirectionMark(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

bool IsLineBreaking(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}
} // namespace

QString DisplayText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (IsDirectionMark(c.unicode()))
            continue;
        shown += IsLineBreaking(c) ? QChar(u' ') : c;
    }
    return shown;
}

QString PlainToolTip(const QString &text)
{
    if (text.isEmpty())
        return QString();
    // As rich text, with every character escaped and blanks kept, the text shows as it stands.
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

QString ShortFolderName(const QString &path)
{
    QString shown = QDir::cleanPath(displayFileName(path));
    const QString home = QDir::cleanPath(QDir::homePath());
    if (shown == home || shown.startsWith(home + u'/'))
        shown.replace(0, home.size(), QStringLiteral("~"));
    return shown;
}
