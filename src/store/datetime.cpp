#include "datetime.h"

#include <QDate>
#include <QDateTime>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {
constexpr int64_t DaysFrom1601To1899 = 109205;
constexpr int64_t FileTimeTicksPerMs = 10000;
constexpr int64_t UnixEpochInFileTimeSeconds = 11644473600LL;
const QDate DateTimeEpoch(1899, 12, 30);
} // namespace

TDateTime NowDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return double(DateTimeEpoch.daysTo(now.date())) +
           double(now.time().msecsSinceStartOfDay()) / double(MsPerDay);
}

bool IsStoredDateTime(double value)
{
    return std::isfinite(value) && value >= 0.0 && value <= MaxStoredDateTime;
}

uint64_t DateTimeBits(TDateTime value)
{
    return std::bit_cast<uint64_t>(value);
}

TDateTime DateTimeFromBits(uint64_t bits)
{
    return std::bit_cast<double>(bits);
}

TDateTime FileTimeToDateTime(uint64_t fileTime)
{
    const int64_t ms = int64_t(fileTime / FileTimeTicksPerMs);
    const int64_t day = ms / MsPerDay - DaysFrom1601To1899;
    const double time = double(ms % MsPerDay) / double(MsPerDay);
    if (day > int64_t(MaxStoredDateTime))
        return -1.0;
    // Dates before 1899 carry the time of day as a negative fraction.
    return day < 0 ? double(day) - time : double(day) + time;
}

TDateTime UnixTimeToDateTime(int64_t seconds, uint32_t nanoseconds)
{
    if (seconds < -UnixEpochInFileTimeSeconds)
        return -1.0;
    const uint64_t ticks = uint64_t(seconds + UnixEpochInFileTimeSeconds) * 10000000ULL;
    return FileTimeToDateTime(ticks + nanoseconds / 100);
}

int64_t DateTimeToMs(TDateTime value)
{
    return std::llround(value * double(MsPerDay));
}

QString FormatDateTime(TDateTime value, bool withTime)
{
    if (!IsStoredDateTime(value))
        return QString();
    const int64_t ms = DateTimeToMs(value);
    const QDate date = DateTimeEpoch.addDays(ms / MsPerDay);
    if (!withTime)
        return date.toString(Qt::ISODate);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms % MsPerDay));
    return date.toString(Qt::ISODate) + u' ' + time.toString(u"HH:mm");
}

QString isoDateTimeText(TDateTime value)
{
    if (!IsStoredDateTime(value))
        return QString();
    const int64_t seconds = DateTimeToMs(value) / 1000;
    const QDate date = DateTimeEpoch.addDays(seconds / 86400);
    // The C library knows the zone's rules at every moment, also the TZ variable's.
    std::tm wallClock{};
    wallClock.tm_year = date.year() - 1900;
    wallClock.tm_mon = date.month() - 1;
    wallClock.tm_mday = date.day();
    wallClock.tm_sec = int(seconds % 86400);
    wallClock.tm_isdst = -1; // summer time or not: as the zone had it then
    const QDateTime local = QDateTime::fromSecsSinceEpoch(std::mktime(&wallClock));
    const int offset = local.offsetFromUtc() / 60;
    return local.toString(u"yyyy-MM-ddTHH:mm:ss") + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(std::abs(offset) / 60, 2, 10, QChar(u'0'))
               .arg(std::abs(offset) % 60, 2, 10, QChar(u'0'));
}
