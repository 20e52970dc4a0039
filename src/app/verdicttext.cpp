#include "verdicttext.h"

#include "entrytext.h"
#include "lang/phrases.h"
#include "refresh/fetchaddress.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

namespace {
QString dateText(DateTime value)
{
    if (!isStoredDateTime(value) || value <= 0)
        return QString();
    const QDate date = QDate(1899, 12, 30).addDays(dateTimeToMs(value) / msPerDay);
    return QLocale().toString(date, QLocale::ShortFormat);
}

// "404" from a status line; any other evidence as it stands.
QString statusOf(const QString &evidence)
{
    static const QRegularExpression status(QStringLiteral("^HTTP/\\S+\\s+(\\d{3})"));
    const QRegularExpressionMatch match = status.match(evidence);
    return match.hasMatch() ? match.captured(1) : evidence;
}

QString failures(const char *key, const BookmarkRec &rec)
{
    return fillPhrase(phrase(key),
                      {statusOf(rec.evidence), QString::number(failedRunLength(rec.history.checks)),
                       dateText(rec.history.failSince)});
}
} // namespace

QString verdictText(const BookmarkRec &rec)
{
    if (const QByteArray scheme = unfetchedScheme(toNarrow(rec.url)); !scheme.isEmpty())
        return fillPhrase(phrase("NotChecked"), {QString::fromLatin1(scheme)});
    switch (rec.verdict) {
    case LinkVerdict::Failing:
        return failures("VerdictFailing", rec);
    case LinkVerdict::Gone:
        return failures("VerdictGone", rec);
    case LinkVerdict::Unreachable:
        return fillPhrase(phrase("VerdictUnreachable"), {dateText(rec.history.failSince)});
    case LinkVerdict::Parked:
        return phrase("VerdictParked");
    case LinkVerdict::NoDomain:
        return phrase("VerdictNoDomain");
    case LinkVerdict::Login:
        return phrase("VerdictLogin");
    case LinkVerdict::Moved:
        return fillPhrase(phrase("VerdictMoved"), {displayText(rec.storedUrl)});
    case LinkVerdict::Blocked:
        return rec.history.lastOk > 0
                   ? fillPhrase(phrase("VerdictBlockedWorked"), {dateText(rec.history.lastOk)})
                   : phrase("VerdictBlocked");
    default:
        return QString();
    }
}
