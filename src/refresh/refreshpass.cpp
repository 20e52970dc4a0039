#include "refresh/refreshpass.h"

#include "platform/files.h"

TRefreshPass::TRefreshPass(TRefreshEngine &engine, TBookmarks &list)
    : m_engine(engine), m_list(list)
{
    for (int i = 0; i < list.Count(); ++i)
        if (list.IsRefreshDue(i) &&
            engine.RequestDownload(list.Item(i)->URL, i, list.Item(i)->FileName))
            ++m_requested;
}

TRefreshStep TRefreshPass::Step()
{
    TRefreshStep step;
    step.Result = m_engine.GetDownloadResult();
    // The clock is read only for a result: a step that finds none is common.
    if (step.Result.Valid)
        step.Stored = StoreDownloadResult(m_list, step.Result, m_engine.Now());
    if (step.Stored == TStoreOutcome::NotWritten)
        step.NotWritten = m_list.lastSaveFailure();
    const Clock::time_point now = Clock::now();
    if (step.Stored == TStoreOutcome::Written)
        m_batch.Written(step.Result.FileName, now);
    if (const std::optional<Clock::time_point> due = m_batch.Due(); due && *due <= now)
        Flush();
    return step;
}

std::optional<TRefreshPass::Clock::time_point> TRefreshPass::FlushDue() const
{
    return m_batch.Due();
}

bool TRefreshPass::Flush()
{
    m_flushed = m_batch.Flush() && m_flushed;
    return m_flushed;
}

void FlushBatch::Written(const QString &file, Clock::time_point now)
{
    const std::optional<platform::FileStamp> stamp = platform::stampOf(file);
    if (!stamp)
        return;
    m_written.emplace(stamp->device, file);
    if (!m_first)
        m_first = now;
}

std::optional<FlushBatch::Clock::time_point> FlushBatch::Due() const
{
    return m_first ? std::optional(*m_first + m_every) : std::nullopt;
}

bool FlushBatch::Flush()
{
    bool synced = true;
    for (const auto &[device, file] : m_written)
        synced = platform::syncFileSystem(file) && synced;
    m_written.clear();
    m_first.reset();
    return synced;
}
