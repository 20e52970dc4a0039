#include "refresh/linkverdict.h"

namespace {
// A second check this long after the first confirms gone, parked or no domain, when it is
// among the checks of the last ConfirmWindowDays.
constexpr double confirmDays = 20.0 / 24.0;
constexpr double confirmWindowDays = 30.0;
// Unreachable takes this many failed checks over this many days.
constexpr int unreachableChecks = 3;
constexpr double unreachableDays = 14.0;

bool isGoneKind(QChar c)
{
    return c == u'G' || c == u'S';
}

bool isUnreachableKind(QChar c)
{
    return c == u'T' || c == u'C';
}

// The failed run holds at least least checks of a kind, its first check (the one that
// FailSince dates) among them, and spans at least days.
bool runShows(const LinkHistory &h, DateTime lastCheck, bool (*kind)(QChar), int least, double days)
{
    const QStringView run = QStringView(h.checks).first(failedRunLength(h.checks));
    if (run.isEmpty() || !kind(run.front()) || !kind(run.back()))
        return false;
    const auto count = std::count_if(run.begin(), run.end(), kind);
    return count >= least && h.failSince > 0 && lastCheck - h.failSince >= days;
}

// The newest check, of the kind, agrees with an earlier one of the failed run made at least
// ConfirmDays before it and within the last ConfirmWindowDays; other failures between them
// do not count. Checks kept without their times (older files) are judged by the run alone.
bool confirms(const LinkHistory &h, DateTime lastCheck, bool (*kind)(QChar))
{
    const int run = failedRunLength(h.checks);
    int i = 1;
    for (; i < run && i < h.checkTimes.size() && h.checkTimes[i] > 0; ++i) {
        const double age = lastCheck - h.checkTimes[i];
        if (age > confirmWindowDays)
            return false;
        if (kind(h.checks[i]) && age >= confirmDays)
            return true;
    }
    return i < run && runShows(h, lastCheck, kind, 2, confirmDays);
}

LinkVerdict verdictOf(const LinkHistory &h, DateTime lastCheck, bool atOnce)
{
    const auto confirmed = [&](bool (*kind)(QChar), LinkVerdict verdict) {
        return confirms(h, lastCheck, kind) ? verdict : LinkVerdict::Failing;
    };
    switch (h.checks.isEmpty() ? u'\0' : h.checks.front().unicode()) {
    case u'O':
        return LinkVerdict::Ok;
    case u'M':
        return LinkVerdict::Moved;
    case u'L':
        return LinkVerdict::Login;
    case u'B':
        return LinkVerdict::Blocked;
    case u'G':
    case u'S':
        return confirmed(isGoneKind, LinkVerdict::Gone);
    case u'P':
        return atOnce ? LinkVerdict::Parked
                      : confirmed([](QChar c) { return c == u'P'; }, LinkVerdict::Parked);
    case u'N':
        return confirmed([](QChar c) { return c == u'N'; }, LinkVerdict::NoDomain);
    case u'T':
    case u'C':
        return runShows(h, lastCheck, isUnreachableKind, unreachableChecks, unreachableDays)
                   ? LinkVerdict::Unreachable
                   : LinkVerdict::Failing;
    default:
        return LinkVerdict::None;
    }
}
} // namespace

LinkHistory addCheck(LinkHistory history, CheckCode code, DateTime now)
{
    if (code == CheckCode::None)
        return history;
    const bool worked = code == CheckCode::Ok || code == CheckCode::Moved;
    if (worked) {
        history.lastOk = now;
        history.failSince = 0;
    } else if (failedRunLength(history.checks) == 0 || history.failSince <= 0) {
        history.failSince = now;
    }
    // A file written before times were kept has none for its older checks.
    history.checkTimes.resize(std::min(history.checkTimes.size(), history.checks.size()));
    history.checks.prepend(QChar::fromLatin1(char(code)));
    history.checks.truncate(LinkHistory::maxChecks);
    history.checkTimes.prepend(now);
    history.checkTimes.resize(std::min(history.checkTimes.size(), history.checks.size()));
    return history;
}

LinkJudgement judgeLink(const LinkHistory &history, DateTime lastCheck, bool atOnce,
                        const Intervals &intervals)
{
    const LinkVerdict verdict = verdictOf(history, lastCheck, atOnce);
    const int64_t delay = recheckDelayMs(verdict, failedRunLength(history.checks),
                                         intervals.refreshAfterFail, intervals.refreshInterval);
    return {verdict, lastCheck + double(delay) / double(msPerDay)};
}
