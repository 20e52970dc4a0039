#include "entrytext.h"

#include "lang/phrases.h"
#include "store/textutil.h"

#include <QDir>
#include <QRegularExpression>

namespace {
bool isDirectionMark(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

bool isLineBreaking(QChar c)
{
    return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}
} // namespace

QString displayText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (isDirectionMark(c.unicode()))
            continue;
        shown += isLineBreaking(c) ? QChar(u' ') : c;
    }
    return shown;
}

QString plainToolTip(const QString &text)
{
    if (text.isEmpty())
        return QString();
    // As rich text, with every character escaped and blanks kept, the text shows as it stands.
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

QString failureCause(const QString &message)
{
    // A status line ("HTTP/1.1 404 Not Found") or our own "HTTP status 404".
    static const QRegularExpression status(QStringLiteral("^HTTP(?:/\\S+| status) (\\d{3})\\b"));
    if (const QRegularExpressionMatch answer = status.match(message); answer.hasMatch()) {
        const QString code = answer.captured(1);
        return fillPhrase(
            phrase(code == u"404" || code == u"410" ? "FailPageNotFound" : "FailStatus"), {code});
    }
    static const struct
    {
        const char *pattern;
        const char *phrase;
    } causes[] = {
        {"resolve host|resolve proxy", "FailNoServer"},
        {"connection refused|couldn't connect|failed to connect", "FailRefused"},
        {"timed? ?out|took longer than", "FailTimeout"},
        {"certificate|ssl|tls", "FailCertificate"},
        {"redirect", "FailRedirect"},
        {"only http and https", "FailNotWeb"},
        {"no address", "FailNoAddress"},
    };
    for (const auto &cause : causes)
        if (message.contains(QRegularExpression(QLatin1String(cause.pattern),
                                                QRegularExpression::CaseInsensitiveOption)))
            return phrase(cause.phrase);
    return phrase("FailOther");
}

QString shortFolderName(const QString &path)
{
    QString shown = QDir::cleanPath(displayFileName(path));
    const QString home = QDir::cleanPath(QDir::homePath());
    if (shown == home || shown.startsWith(home + u'/'))
        shown.replace(0, home.size(), QStringLiteral("~"));
    return shown;
}
