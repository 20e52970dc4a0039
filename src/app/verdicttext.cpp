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
QString DateText(TDateTime value)
{
    if (!IsStoredDateTime(value) || value <= 0)
        return QString();
    const QDate date = QDate(1899, 12, 30).addDays(DateTimeToMs(value) / MsPerDay);
    return QLocale().toString(date, QLocale::ShortFormat);
}

// "404" from a status line; any other evidence as it stands.
QString StatusOf(const QString &evidence)
{
    static const QRegularExpression status(QStringLiteral("^HTTP/\\S+\\s+(\\d{3})"));
    const QRegularExpressionMatch match = status.match(evidence);
    return match.hasMatch() ? match.captured(1) : evidence;
}

QString Failures(const char *key, const TBookmarkRec &rec)
{
    return FillPhrase(Phrase(key),
                      {StatusOf(rec.Evidence), QString::number(FailedRunLength(rec.History.Checks)),
                       DateText(rec.History.FailSince)});
}
} // namespace

QString VerdictText(const TBookmarkRec &rec)
{
    if (const QByteArray scheme = unfetchedScheme(ToNarrow(rec.URL)); !scheme.isEmpty())
        return FillPhrase(Phrase("NotChecked"), {QString::fromLatin1(scheme)});
    switch (rec.Verdict) {
    case LinkVerdict::Failing:
        return Failures("VerdictFailing", rec);
    case LinkVerdict::Gone:
        return Failures("VerdictGone", rec);
    case LinkVerdict::Unreachable:
        return FillPhrase(Phrase("VerdictUnreachable"), {DateText(rec.History.FailSince)});
    case LinkVerdict::Parked:
        return Phrase("VerdictParked");
    case LinkVerdict::NoDomain:
        return Phrase("VerdictNoDomain");
    case LinkVerdict::Login:
        return Phrase("VerdictLogin");
    case LinkVerdict::Moved:
        return FillPhrase(Phrase("VerdictMoved"), {DisplayText(rec.StoredURL)});
    case LinkVerdict::Blocked:
        return rec.History.LastOK > 0
                   ? FillPhrase(Phrase("VerdictBlockedWorked"), {DateText(rec.History.LastOK)})
                   : Phrase("VerdictBlocked");
    default:
        return QString();
    }
}
