#include "datetime.h"

#include <QDate>
#include <QDateTime>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {
constexpr int64_t daysFrom1601To1899 = 109205;
constexpr int64_t fileTimeTicksPerMs = 10000;
constexpr int64_t unixEpochInFileTimeSeconds = 11644473600LL;
const QDate dateTimeEpoch(1899, 12, 30);
} // namespace

DateTime nowDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return double(dateTimeEpoch.daysTo(now.date())) +
           double(now.time().msecsSinceStartOfDay()) / double(msPerDay);
}

bool isStoredDateTime(double value)
{
    return std::isfinite(value) && value >= 0.0 && value <= maxStoredDateTime;
}

uint64_t dateTimeBits(DateTime value)
{
    return std::bit_cast<uint64_t>(value);
}

DateTime dateTimeFromBits(uint64_t bits)
{
    return std::bit_cast<double>(bits);
}

DateTime fileTimeToDateTime(uint64_t fileTime)
{
    const int64_t ms = int64_t(fileTime / fileTimeTicksPerMs);
    const int64_t day = ms / msPerDay - daysFrom1601To1899;
    const double time = double(ms % msPerDay) / double(msPerDay);
    if (day > int64_t(maxStoredDateTime))
        return -1.0;
    // Dates before 1899 carry the time of day as a negative fraction.
    return day < 0 ? double(day) - time : double(day) + time;
}

DateTime unixTimeToDateTime(int64_t seconds, uint32_t nanoseconds)
{
    if (seconds < -unixEpochInFileTimeSeconds)
        return -1.0;
    const uint64_t ticks = uint64_t(seconds + unixEpochInFileTimeSeconds) * 10000000ULL;
    return fileTimeToDateTime(ticks + nanoseconds / 100);
}

int64_t dateTimeToMs(DateTime value)
{
    return std::llround(value * double(msPerDay));
}

QString formatDateTime(DateTime value, bool withTime)
{
    if (!isStoredDateTime(value))
        return QString();
    const int64_t ms = dateTimeToMs(value);
    const QDate date = dateTimeEpoch.addDays(ms / msPerDay);
    if (!withTime)
        return date.toString(Qt::ISODate);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms % msPerDay));
    return date.toString(Qt::ISODate) + u' ' + time.toString(u"HH:mm");
}

QString isoDateTimeText(DateTime value)
{
    if (!isStoredDateTime(value))
        return QString();
    const int64_t seconds = dateTimeToMs(value) / 1000;
    const QDate date = dateTimeEpoch.addDays(seconds / 86400);
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
