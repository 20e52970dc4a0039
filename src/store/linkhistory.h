#pragma once

#include "datetime.h"

#include <QList>
#include <QString>
#include <cstdint>

// What the checks of a link say, from the codes of the last checks and their dates.
enum class LinkVerdict {
    None, // never checked
    Ok,
    Moved,
    Login,
    Blocked,
    Failing, // something is wrong, but not often or long enough to say what
    Gone,
    Parked,
    NoDomain,
    Unreachable,
};

// The word a verdict is stored and listed as ("ok", "no-domain"); empty for None.
QString verdictName(LinkVerdict verdict);
LinkVerdict verdictFromName(QStringView name); // None for anything unknown
// A link the user should look at: gone, parked, no domain or unreachable.
bool isBrokenVerdict(LinkVerdict verdict);

// The kept checks of one link: their codes and times newest first, when a check last worked,
// and since when the current run of failed checks goes on.
struct LinkHistory
{
    static constexpr int maxChecks = 12;
    QString checks;
    DateTime lastOk = 0;
    DateTime failSince = 0; // 0 while the last check worked
    // When each check was made; files written before times were kept have fewer times than
    // checks (the times belong to the newest ones). 0: not known.
    QList<DateTime> checkTimes;
};

// The checks at the front of the history since the last one that worked (O or M).
int failedRunLength(QStringView checks);

// How long after the last check a link is checked again: a failing one after
// afterFailMinutes, then after a day, then after a week; any other after intervalDays.
int64_t recheckDelayMs(LinkVerdict verdict, int failedRun, int afterFailMinutes, int intervalDays);
