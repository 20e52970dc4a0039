#pragma once

#include "datetime.h"
#include "platform/files.h"

#include <QString>
#include <functional>
#include <optional>

// How the values of a bookmark's state section are read and written.

// A stored date-time, or nothing when it is missing or no date this program writes.
std::optional<TDateTime> StoredDateTime(QStringView text);
// The codes of the kept checks: letters only, at most as many as are kept.
QString StoredChecks(QStringView text);
// The times of the kept checks, stored date-times separated by commas; 0 for one that is
// not a stored date-time.
QList<TDateTime> StoredCheckTimes(QStringView text);
QString CheckTimesValue(const QList<TDateTime> &times);
// The browser's "Modified" value: a FILETIME as 16 hex digits, least significant byte first.
std::optional<TDateTime> ModifiedOf(QStringView text);
// The earliest of a file's time stamps; 0 when none is a stored date-time.
TDateTime EarliestStamp(const platform::FileStamp &stamp);

QString HexValue(const QString &text);
QString DateTimeValue(TDateTime value);

// Runs work(0 .. count-1) on up to threads threads; small jobs stay on the calling thread.
void ForEachIndex(qsizetype count, int threads, const std::function<void(qsizetype)> &work);
