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

// text cut to width in the middle (or at the end), with an ellipsis where it was cut.
QString elided(const QString &text, int width, const TextAdvance &advance, bool middle)
{
    if (advance(text) <= width)
        return text;
    for (qsizetype keep = text.size() - 1; keep > 0; --keep) {
        const qsizetype front = middle ? (keep + 1) / 2 : keep;
        const QString cut = text.left(front) + u'\u2026' + text.right(keep - front);
        if (advance(cut) <= width)
            return cut;
    }
    return QStringLiteral("\u2026");
}

// "404" from a status line ("HTTP/1.1 404 Not Found") or our own "HTTP status 404".
QString statusCode(const QString &message)
{
    static const QRegularExpression status(QStringLiteral("^HTTP(?:/\\S+| status) (\\d{3})\\b"));
    return status.match(message).captured(1);
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
    if (const QString code = statusCode(message); !code.isEmpty())
        return fillPhrase(
            phrase(code == u"404" || code == u"410" ? "FailPageNotFound" : "FailStatus"), {code});
    static const struct
    {
        const char *pattern;
        const char *phrase;
    } causes[] = {
        {"resolve host|resolve proxy", "FailNoServer"},
        {"no route to host|network is unreachable", "FailNoRoute"},
        {"connection refused|couldn't connect|failed to connect", "FailRefused"},
        {"timed? ?out|took longer than", "FailTimeout"},
        {"certificate|ssl|tls", "FailCertificate"},
        {"redirect", "FailRedirect"},
        {"empty reply|reset by peer|recv failure|send failure", "FailDropped"},
        {"only http and https", "FailNotWeb"},
        {"no address", "FailNoAddress"},
    };
    for (const auto &cause : causes)
        if (message.contains(QRegularExpression(QLatin1String(cause.pattern),
                                                QRegularExpression::CaseInsensitiveOption)))
            return phrase(cause.phrase);
    return phrase("FailOther");
}

QString shortCause(const QString &evidence)
{
    if (const QString code = statusCode(evidence); !code.isEmpty())
        return code;
    // A page served for any address, or a redirect to the front page: the address reached.
    if (evidence.startsWith(QLatin1String("http"), Qt::CaseInsensitive))
        return phrase("FailOtherPage");
    return failureCause(evidence);
}

QString elidedAddress(const QString &address, int width, const TextAdvance &advance)
{
    static const QRegularExpression web(QStringLiteral("^https?://"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString shown = displayText(address).remove(web);
    if (advance(shown) <= width)
        return shown;
    const qsizetype pathAt = shown.indexOf(u'/');
    QString host = pathAt < 0 ? shown : shown.left(pathAt);
    const QString path = pathAt < 0 ? QString() : shown.mid(pathAt + 1);
    // The query and the fragment belong to the last part of the path.
    static const QRegularExpression queryStart(QStringLiteral("[?#]"));
    const qsizetype queryAt = path.indexOf(queryStart);
    QStringList parts = path.left(queryAt < 0 ? path.size() : queryAt).split(u'/');
    if (parts.size() > 1 && parts.last().isEmpty()) {
        parts.removeLast();
        parts.last() += u'/';
    }
    QString rest = parts.takeLast() + (queryAt < 0 ? QString() : path.mid(queryAt));
    const QString gap = parts.isEmpty() ? QStringLiteral("/") : QStringLiteral("/\u2026/");
    while (!parts.isEmpty() && advance(host + gap + parts.last() + u'/' + rest) <= width)
        rest = parts.takeLast() + u'/' + rest;
    rest = (parts.isEmpty() ? QStringLiteral("/") : gap) + rest;
    host = elided(host, qMax(width / 2, width - advance(rest)), advance, true);
    return host + elided(rest, width - advance(host), advance, false);
}

QString shortFolderName(const QString &path)
{
    QString shown = QDir::cleanPath(displayFileName(path));
    const QString home = QDir::cleanPath(QDir::homePath());
    if (shown == home || shown.startsWith(home + u'/'))
        shown.replace(0, home.size(), QStringLiteral("~"));
    return shown;
}

QString captionInLines(const QString &caption, int width, const TextAdvance &advance)
{
    if (caption.contains(u'\n') || advance(caption) <= width)
        return caption;
    QString best = caption;
    int bestWidth = advance(caption);
    for (qsizetype blank = caption.indexOf(u' '); blank >= 0;
         blank = caption.indexOf(u' ', blank + 1)) {
        const int wider = std::max(advance(caption.left(blank)), advance(caption.mid(blank + 1)));
        if (wider < bestWidth) {
            bestWidth = wider;
            best = caption.left(blank) + u'\n' + caption.mid(blank + 1);
        }
    }
    return best;
}
