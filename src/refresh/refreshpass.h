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
    void written(const QString &file, Clock::time_point now);
    // When the oldest unflushed file has waited long enough; nullopt when none waits.
    std::optional<Clock::time_point> due() const;
    bool flush(); // false when a file system could not be synced

  private:
    const std::chrono::milliseconds m_every;
    std::optional<Clock::time_point> m_first;
    std::map<uint64_t, QString> m_written; // a file written, by the device holding it
};

// One pass over the list for a caller without a timer (the command line, benchmarks): every
// bookmark due now is asked for at once, each one once however short the intervals are,
// and the worker fetches as many at a time as it may. Each Step stores one result, in the
// order they arrive, and the files written reach the disk in groups (see FlushBatch).
class RefreshPass final
{
  public:
    using Clock = std::chrono::steady_clock;
    RefreshPass(RefreshEngine &engine, Bookmarks &list);
    int requested() const { return m_requested; }
    // Stores the next waiting result (Stored is Nothing when none waits), and flushes the
    // files written when a flush is due.
    RefreshStep step();
    // Every result has been collected (or the requests were withdrawn).
    bool finished() const { return m_engine.pending() == 0; }
    // When Step should run even if no result comes; nullopt: only for a result.
    std::optional<Clock::time_point> flushDue() const;
    // Flushes what is left; false when any flush of the pass failed.
    bool flush();

  private:
    RefreshEngine &m_engine;
    Bookmarks &m_list;
    int m_requested = 0;
    FlushBatch m_batch;
    bool m_flushed = true;
};
