#pragma once

#include "refresh/engine.h"

#include <QString>
#include <chrono>
#include <map>
#include <optional>

// Files written with batched write operations reach the disk in groups: a flush syncs each
// file system written to since the last one. Each file was replaced in one step already,
// so a power cut loses at most the results since the last flush, never a file's content.
class FlushBatch final
{
  public:
    using Clock = std::chrono::steady_clock;
    explicit FlushBatch(std::chrono::milliseconds every = std::chrono::seconds(1)) : m_every(every)
    {
    }
    void Written(const QString &file, Clock::time_point now);
    // When the oldest unflushed file has waited long enough; nullopt when none waits.
    std::optional<Clock::time_point> Due() const;
    bool Flush(); // false when a file system could not be synced

  private:
    const std::chrono::milliseconds m_every;
    std::optional<Clock::time_point> m_first;
    std::map<uint64_t, QString> m_written; // a file written, by the device holding it
};

// One pass over the list for a caller without a timer (the command line, benchmarks): every
// bookmark due now is asked for at once, each one once however short the intervals are,
// and the worker fetches as many at a time as it may. Each Step stores one result, in the
// order they arrive, and the files written reach the disk in groups (see FlushBatch).
class TRefreshPass final
{
  public:
    using Clock = std::chrono::steady_clock;
    TRefreshPass(TRefreshEngine &engine, TBookmarks &list);
    int Requested() const { return m_requested; }
    // Stores the next waiting result (Stored is Nothing when none waits), and flushes the
    // files written when a flush is due.
    TRefreshStep Step();
    // Every result has been collected (or the requests were withdrawn).
    bool Finished() const { return m_engine.Pending() == 0; }
    // When Step should run even if no result comes; nullopt: only for a result.
    std::optional<Clock::time_point> FlushDue() const;
    // Flushes what is left; false when any flush of the pass failed.
    bool Flush();

  private:
    TRefreshEngine &m_engine;
    TBookmarks &m_list;
    int m_requested = 0;
    FlushBatch m_batch;
    bool m_flushed = true;
};
