#pragma once

#include "datetime.h"
#include "platform/files.h"

#include <QString>
#include <functional>
#include <optional>

// How the values of a bookmark's state section are read and written.

// A stored date-time, or nothing when it is missing or no date this program writes.
std::optional<DateTime> storedDateTime(QStringView text);
// The codes of the kept checks: letters only, at most as many as are kept.
QString storedChecks(QStringView text);
// The times of the kept checks, stored date-times separated by commas; 0 for one that is
// not a stored date-time.
QList<DateTime> storedCheckTimes(QStringView text);
QString checkTimesValue(const QList<DateTime> &times);
// The browser's "Modified" value: a FILETIME as 16 hex digits, least significant byte first.
std::optional<DateTime> modifiedOf(QStringView text);
// The earliest of a file's time stamps; 0 when none is a stored date-time.
DateTime earliestStamp(const platform::FileStamp &stamp);

QString hexValue(const QString &text);
QString dateTimeValue(DateTime value);

// Runs work(0 .. count-1) on up to threads threads; small jobs stay on the calling thread.
void forEachIndex(qsizetype count, int threads, const std::function<void(qsizetype)> &work);
