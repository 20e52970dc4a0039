#include "review.h"

namespace {
BookmarksEnv listEnv(const Clock &now, const ReviewOptions &options,
                     const platform::FileWriteOps *writeOps)
{
    BookmarksEnv env;
    env.now = now;
    env.intervals = [&options] { return options.intervals; };
    if (writeOps)
        env.writeOps = writeOps;
    return env;
}

// Every start shows other "random" bookmarks.
uint32_t clockSeed(DateTime now)
{
    const uint64_t bits = dateTimeBits(now);
    return uint32_t(bits ^ (bits >> 32));
}
} // namespace

Review::Review(const QString &favoritesPath, ReviewSeams seams, const ReviewOptions &options,
               const QStringList &arguments)
    : m_options(options), m_now(seams.now ? seams.now : Clock(nowDateTime)),
      m_texts(seams.languages), m_bookmarks(std::make_unique<Bookmarks>(
                                    favoritesPath, listEnv(m_now, m_options, seams.writeOps))),
      m_rows(seams.view), m_common{*m_bookmarks, m_rows, m_options, seams.view, m_texts, m_now},
      m_refresh(m_common, seams.downloader),
      m_chooser(m_common, seams.host, seams.randomSeed.value_or(clockSeed(m_now()))),
      m_actions(m_common, m_chooser, m_refresh, seams.confirmer, seams.opener, seams.trash),
      m_ticker(m_common, m_chooser, m_refresh, seams.timer, seams.confirmer),
      m_session(m_common, m_chooser, m_ticker, m_refresh, seams, arguments)
{
}

Review::~Review() = default;

void Review::setOptions(const ReviewOptions &options)
{
    m_options = options;
}

void Review::tick()
{
    if (m_rows.isClosed())
        return;
    if (m_ticker.lastTick() == 0 && !m_session.completeStartup())
        return;
    m_ticker.tick();
}
