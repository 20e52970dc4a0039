#include "refresh/linkverdict.h"

namespace {
// A second check this long after the first confirms gone, parked or no domain, when it is
// among the checks of the last ConfirmWindowDays.
constexpr double ConfirmDays = 20.0 / 24.0;
constexpr double ConfirmWindowDays = 30.0;
// Unreachable takes this many failed checks over this many days.
constexpr int UnreachableChecks = 3;
constexpr double UnreachableDays = 14.0;

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
bool runShows(const LinkHistory &h, TDateTime lastCheck, bool (*kind)(QChar), int least,
              double days)
{
    const QStringView run = QStringView(h.Checks).first(FailedRunLength(h.Checks));
    if (run.isEmpty() || !kind(run.front()) || !kind(run.back()))
        return false;
    const auto count = std::count_if(run.begin(), run.end(), kind);
    return count >= least && h.FailSince > 0 && lastCheck - h.FailSince >= days;
}

// The newest check, of the kind, agrees with an earlier one of the failed run made at least
// ConfirmDays before it and within the last ConfirmWindowDays; other failures between them
// do not count. Checks kept without their times (older files) are judged by the run alone.
bool confirms(const LinkHistory &h, TDateTime lastCheck, bool (*kind)(QChar))
{
    const int run = FailedRunLength(h.Checks);
    int i = 1;
    for (; i < run && i < h.CheckTimes.size() && h.CheckTimes[i] > 0; ++i) {
        const double age = lastCheck - h.CheckTimes[i];
        if (age > ConfirmWindowDays)
            return false;
        if (kind(h.Checks[i]) && age >= ConfirmDays)
            return true;
    }
    return i < run && runShows(h, lastCheck, kind, 2, ConfirmDays);
}

LinkVerdict verdictOf(const LinkHistory &h, TDateTime lastCheck, bool atOnce)
{
    const auto confirmed = [&](bool (*kind)(QChar), LinkVerdict verdict) {
        return confirms(h, lastCheck, kind) ? verdict : LinkVerdict::Failing;
    };
    switch (h.Checks.isEmpty() ? u'\0' : h.Checks.front().unicode()) {
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
        return runShows(h, lastCheck, isUnreachableKind, UnreachableChecks, UnreachableDays)
                   ? LinkVerdict::Unreachable
                   : LinkVerdict::Failing;
    default:
        return LinkVerdict::None;
    }
}
} // namespace

LinkHistory addCheck(LinkHistory history, CheckCode code, TDateTime now)
{
    if (code == CheckCode::None)
        return history;
    const bool worked = code == CheckCode::Ok || code == CheckCode::Moved;
    if (worked) {
        history.LastOK = now;
        history.FailSince = 0;
    } else if (FailedRunLength(history.Checks) == 0 || history.FailSince <= 0) {
        history.FailSince = now;
    }
    // A file written before times were kept has none for its older checks.
    history.CheckTimes.resize(std::min(history.CheckTimes.size(), history.Checks.size()));
    history.Checks.prepend(QChar::fromLatin1(char(code)));
    history.Checks.truncate(LinkHistory::MaxChecks);
    history.CheckTimes.prepend(now);
    history.CheckTimes.resize(std::min(history.CheckTimes.size(), history.Checks.size()));
    return history;
}

LinkJudgement judgeLink(const LinkHistory &history, TDateTime lastCheck, bool atOnce,
                        const TIntervals &intervals)
{
    const LinkVerdict verdict = verdictOf(history, lastCheck, atOnce);
    const int64_t delay = RecheckDelayMs(verdict, FailedRunLength(history.Checks),
                                         intervals.RefreshAfterFail, intervals.RefreshInterval);
    return {verdict, lastCheck + double(delay) / double(MsPerDay)};
}
