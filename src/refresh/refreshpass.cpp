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
    step.Stored = StoreDownloadResult(m_list, step.Result, m_engine.Now());
    if (step.Stored == TStoreOutcome::NotWritten)
        step.NotWritten = m_list.lastSaveFailure();
    return step;
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
