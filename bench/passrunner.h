#pragma once

// A refresh pass driven as the command line drives it: a wait for each result the worker
// posts instead of polling, the files flushed in groups.
#include "refresh/refreshpass.h"

#include <condition_variable>
#include <functional>
#include <mutex>

class PassRunner final
{
  public:
    // For the worker and the link check to call when a result is ready.
    std::function<void()> poster()
    {
        return [this] {
            const std::lock_guard lock(m_mutex);
            m_ready = true;
            m_arrived.notify_one();
        };
    }

    // Requests every due bookmark and stores the results; the number written, or -1 when a
    // flush failed or a bookmark is still due.
    int run(RefreshEngine &engine, Bookmarks &list)
    {
        engine.initDownloader();
        RefreshPass pass(engine, list);
        int written = 0;
        while (!pass.finished()) {
            {
                std::unique_lock lock(m_mutex);
                if (const auto due = pass.flushDue())
                    m_arrived.wait_until(lock, *due, [&] { return m_ready; });
                else
                    m_arrived.wait(lock, [&] { return m_ready; });
                m_ready = false;
            }
            for (RefreshStep step = pass.step(); step.stored != StoreOutcome::Nothing;
                 step = pass.step())
                written += step.stored == StoreOutcome::Written ? 1 : 0;
        }
        return pass.flush() && list.refreshDueCount() == 0 ? written : -1;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    bool m_ready = false;
};
