#pragma once

#include <QString>
#include <cstdint>
#include <functional>

// Day count since 30 December 1899; the fraction is the time of day.
using DateTime = double;
using Clock = std::function<DateTime()>;

inline constexpr DateTime maxStoredDateTime = 2958465.0; // 31 December 9999
inline constexpr int64_t msPerDay = 86400000;

DateTime nowDateTime(); // local wall-clock time

// A value this program could have written: finite and between 30 Dec 1899 and 31 Dec 9999.
bool isStoredDateTime(double value);

uint64_t dateTimeBits(DateTime value);
DateTime dateTimeFromBits(uint64_t bits);

// 100-ns steps since 1 January 1601, without time-zone adjustment; -1 beyond the year 9999.
DateTime fileTimeToDateTime(uint64_t fileTime);
DateTime unixTimeToDateTime(int64_t seconds, uint32_t nanoseconds);

// Whole milliseconds of a stored date-time; the caller checks IsStoredDateTime first.
int64_t dateTimeToMs(DateTime value);

// "2004-01-15 12:00" (or the date alone); empty for a value that is no stored date-time.
QString formatDateTime(DateTime value, bool withTime);

// ISO 8601 with the offset this computer's time zone had at that moment, as
// "2024-07-01T12:00:00+02:00"; empty for a value that is no stored date-time. A time that
// a change to summer time skipped is given as the moment just as long after the change.
QString isoDateTimeText(DateTime value);
