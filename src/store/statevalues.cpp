#include "statevalues.h"

#include "hextext.h"
#include "linkhistory.h"
#include "textutil.h"

#include <atomic>
#include <thread>
#include <vector>

std::optional<TDateTime> StoredDateTime(QStringView text)
{
    const int64_t bits = text.isEmpty() ? 0 : HexToInt64(text);
    const TDateTime value = DateTimeFromBits(uint64_t(bits));
    if (bits == 0 || !IsStoredDateTime(value))
        return std::nullopt;
    return value;
}

QString StoredChecks(QStringView text)
{
    QString checks;
    for (const QChar c : text)
        if (c >= u'A' && c <= u'Z' && checks.size() < LinkHistory::MaxChecks)
            checks += c;
    return checks;
}

QList<TDateTime> StoredCheckTimes(QStringView text)
{
    QList<TDateTime> times;
    for (const QStringView time : text.split(u','))
        if (times.size() < LinkHistory::MaxChecks)
            times.append(StoredDateTime(TrimBlanks(time)).value_or(0.0));
    return times;
}

QString CheckTimesValue(const QList<TDateTime> &times)
{
    QStringList values;
    for (const TDateTime time : times)
        values.append(DateTimeValue(time));
    return values.join(u',');
}

std::optional<TDateTime> ModifiedOf(QStringView text)
{
    const QStringView digits = TrimBlanks(text);
    if (digits.size() < 16)
        return std::nullopt;
    uint64_t fileTime = 0;
    for (int byte = 7; byte >= 0; --byte) {
        const QStringView pair = digits.sliced(byte * 2, 2);
        const int64_t value = HexToInt64(pair);
        if (value < 0 || pair[0].unicode() <= u' ' || pair[1].unicode() <= u' ')
            return std::nullopt;
        fileTime = (fileTime << 8) | uint64_t(value);
    }
    const TDateTime value = FileTimeToDateTime(fileTime);
    return IsStoredDateTime(value) ? std::optional(value) : std::nullopt;
}

TDateTime EarliestStamp(const platform::FileStamp &stamp)
{
    std::optional<TDateTime> earliest;
    auto consider = [&](const platform::FileTime &t) {
        const TDateTime value = UnixTimeToDateTime(t.seconds, t.nanoseconds);
        if (IsStoredDateTime(value) && (!earliest || value < *earliest))
            earliest = value;
    };
    if (stamp.birth)
        consider(*stamp.birth);
    consider(stamp.access);
    consider(stamp.modification);
    return earliest.value_or(0.0);
}

QString HexValue(const QString &text)
{
    return QString::fromLatin1(EncodeHexText(text));
}

QString DateTimeValue(TDateTime value)
{
    return QString::fromLatin1(Int64ToHex(int64_t(DateTimeBits(value))));
}

void ForEachIndex(qsizetype count, int threads, const std::function<void(qsizetype)> &work)
{
    constexpr qsizetype MinPerThread = 64;
    const qsizetype useful = qBound(qsizetype(1), count / MinPerThread, qsizetype(threads));
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
