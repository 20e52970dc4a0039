#include "verdicttext.h"

#include "entrytext.h"
#include "lang/phrases.h"
#include "refresh/fetchaddress.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

namespace {
// "Failing: Connection refused on 2 checks since 3 May": key + "S" for one check, + "M" for
// more (and the other endings of languages with more plural forms, else "M").
QString failures(const QByteArray &key, const BookmarkRec &rec, DateTime now)
{
    const int checks = failedRunLength(rec.history.checks);
    QString pattern = phrase(key + countSuffix(checks));
    if (pattern.isEmpty())
        pattern = phrase(key + 'M');
    return fillPhrase(pattern, {shortCause(rec.evidence), QString::number(checks),
                                dayText(rec.history.failSince, now)});
}
} // namespace

QString verdictText(const BookmarkRec &rec, DateTime now, const AddressFit &fitAddress)
{
    if (const QByteArray scheme = unfetchedScheme(toNarrow(rec.url)); !scheme.isEmpty())
        return fillPhrase(phrase("NotChecked"), {QString::fromLatin1(scheme)});
    switch (rec.verdict) {
    case LinkVerdict::Failing:
        return failures("VerdictFailing", rec, now);
    case LinkVerdict::Gone:
        return failures("VerdictGone", rec, now);
    case LinkVerdict::Unreachable:
        return failures("VerdictUnreachable", rec, now);
    case LinkVerdict::Parked:
        return phrase("VerdictParked");
    case LinkVerdict::NoDomain:
        return phrase("VerdictNoDomain");
    case LinkVerdict::Login:
        return phrase("VerdictLogin");
    case LinkVerdict::Moved: {
        const QString address = displayText(rec.storedUrl);
        return fillPhrase(phrase("VerdictMoved"), {fitAddress ? fitAddress(address) : address});
    }
    case LinkVerdict::Blocked:
        return rec.history.lastOk > 0
                   ? fillPhrase(phrase("VerdictBlockedWorked"), {dayText(rec.history.lastOk, now)})
                   : phrase("VerdictBlocked");
    default:
        // A failed download that left no verdict (no check was recorded).
        return refreshFailed(rec)
                   ? fillPhrase(phrase("VerdictDownloadFailed"), {failureCause(rec.refreshMsg)})
                   : QString();
    }
}
