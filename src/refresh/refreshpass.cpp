#include "refresh/refreshpass.h"

#include "platform/files.h"

RefreshPass::RefreshPass(RefreshEngine &engine, Bookmarks &list) : m_engine(engine), m_list(list)
{
    for (int i = 0; i < list.count(); ++i)
        if (list.isRefreshDue(i) &&
            engine.requestDownload(list.item(i)->url, i, list.item(i)->fileName))
            ++m_requested;
}

RefreshStep RefreshPass::step()
{
    RefreshStep step;
    step.result = m_engine.getDownloadResult();
    // The clock is read only for a result: a step that finds none is common.
    if (step.result.valid)
        step.stored = storeDownloadResult(m_list, step.result, m_engine.now());
    if (step.stored == StoreOutcome::NotWritten)
        step.notWritten = m_list.lastSaveFailure();
    const Clock::time_point now = Clock::now();
    if (step.stored == StoreOutcome::Written)
        m_batch.written(step.result.fileName, now);
    if (const std::optional<Clock::time_point> due = m_batch.due(); due && *due <= now)
        flush();
    return step;
}

std::optional<RefreshPass::Clock::time_point> RefreshPass::flushDue() const
{
    return m_batch.due();
}

bool RefreshPass::flush()
{
    m_flushed = m_batch.flush() && m_flushed;
    return m_flushed;
}

void FlushBatch::written(const QString &file, Clock::time_point now)
{
    const std::optional<platform::FileStamp> stamp = platform::stampOf(file);
    if (!stamp)
        return;
    m_written.emplace(stamp->device, file);
    if (!m_first)
        m_first = now;
}

std::optional<FlushBatch::Clock::time_point> FlushBatch::due() const
{
    return m_first ? std::optional(*m_first + m_every) : std::nullopt;
}

bool FlushBatch::flush()
{
    bool synced = true;
    for (const auto &[device, file] : m_written)
        synced = platform::syncFileSystem(file) && synced;
    m_written.clear();
    m_first.reset();
    return synced;
}
