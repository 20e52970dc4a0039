#include "statevalues.h"

#include "hextext.h"
#include "linkhistory.h"
#include "textutil.h"

#include <atomic>
#include <thread>
#include <vector>

std::optional<DateTime> storedDateTime(QStringView text)
{
    const int64_t bits = text.isEmpty() ? 0 : hexToInt64(text);
    const DateTime value = dateTimeFromBits(uint64_t(bits));
    if (bits == 0 || !isStoredDateTime(value))
        return std::nullopt;
    return value;
}

QString storedChecks(QStringView text)
{
    QString checks;
    for (const QChar c : text)
        if (c >= u'A' && c <= u'Z' && checks.size() < LinkHistory::maxChecks)
            checks += c;
    return checks;
}

QList<DateTime> storedCheckTimes(QStringView text)
{
    QList<DateTime> times;
    for (const QStringView time : text.split(u','))
        if (times.size() < LinkHistory::maxChecks)
            times.append(storedDateTime(trimBlanks(time)).value_or(0.0));
    return times;
}

QString checkTimesValue(const QList<DateTime> &times)
{
    QStringList values;
    for (const DateTime time : times)
        values.append(dateTimeValue(time));
    return values.join(u',');
}

std::optional<DateTime> modifiedOf(QStringView text)
{
    const QStringView digits = trimBlanks(text);
    if (digits.size() < 16)
        return std::nullopt;
    uint64_t fileTime = 0;
    for (int byte = 7; byte >= 0; --byte) {
        const QStringView pair = digits.sliced(byte * 2, 2);
        const int64_t value = hexToInt64(pair);
        if (value < 0 || pair[0].unicode() <= u' ' || pair[1].unicode() <= u' ')
            return std::nullopt;
        fileTime = (fileTime << 8) | uint64_t(value);
    }
    const DateTime value = fileTimeToDateTime(fileTime);
    return isStoredDateTime(value) ? std::optional(value) : std::nullopt;
}

DateTime earliestStamp(const platform::FileStamp &stamp)
{
    std::optional<DateTime> earliest;
    auto consider = [&](const platform::FileTime &t) {
        const DateTime value = unixTimeToDateTime(t.seconds, t.nanoseconds);
        if (isStoredDateTime(value) && (!earliest || value < *earliest))
            earliest = value;
    };
    if (stamp.birth)
        consider(*stamp.birth);
    consider(stamp.access);
    consider(stamp.modification);
    return earliest.value_or(0.0);
}

QString hexValue(const QString &text)
{
    return QString::fromLatin1(encodeHexText(text));
}

QString dateTimeValue(DateTime value)
{
    return QString::fromLatin1(int64ToHex(int64_t(dateTimeBits(value))));
}

void forEachIndex(qsizetype count, int threads, const std::function<void(qsizetype)> &work)
{
    constexpr qsizetype minPerThread = 64;
    const qsizetype useful = qBound(qsizetype(1), count / minPerThread, qsizetype(threads));
    std::atomic<qsizetype> next{0};
    auto run = [&] {
        for (qsizetype i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::thread> helpers;
    for (qsizetype t = 1; t < useful; ++t)
        helpers.emplace_back(run);
    run();
    for (std::thread &helper : helpers)
        helper.join();
}
