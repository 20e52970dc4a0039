#include "linkhistory.h"

#include <array>

namespace {
const std::array<QString, 10> names = {
    QString(),
    QStringLiteral("ok"),
    QStringLiteral("moved"),
    QStringLiteral("login"),
    QStringLiteral("blocked"),
    QStringLiteral("failing"),
    QStringLiteral("gone"),
    QStringLiteral("parked"),
    QStringLiteral("no-domain"),
    QStringLiteral("unreachable"),
};
} // namespace

QString verdictName(LinkVerdict verdict)
{
    return names[size_t(verdict)];
}

LinkVerdict verdictFromName(QStringView name)
{
    for (size_t i = 1; i < names.size(); ++i)
        if (name.compare(names[i], Qt::CaseInsensitive) == 0)
            return LinkVerdict(i);
    return LinkVerdict::None;
}

bool isBrokenVerdict(LinkVerdict verdict)
{
    return verdict == LinkVerdict::Gone || verdict == LinkVerdict::Parked ||
           verdict == LinkVerdict::NoDomain || verdict == LinkVerdict::Unreachable;
}

int failedRunLength(QStringView checks)
{
    int n = 0;
    while (n < checks.size() && checks[n] != u'O' && checks[n] != u'M')
        ++n;
    return n;
}

int64_t recheckDelayMs(LinkVerdict verdict, int failedRun, int afterFailMinutes, int intervalDays)
{
    if (verdict != LinkVerdict::Failing)
        return intervalDays * msPerDay;
    if (failedRun <= 1)
        return int64_t(afterFailMinutes) * 60000;
    return (failedRun == 2 ? 1 : 7) * msPerDay;
}
