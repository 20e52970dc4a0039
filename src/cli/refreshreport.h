#pragma once

#include "refresh/downloader.h"
#include "store/linkhistory.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <map>

class TBookmarks;
struct TRefreshStep;

// What the refresh command tells: on a terminal one progress line that is rewritten in
// place, else one line per bookmark; at the end the totals.
class RefreshReport final
{
  public:
    RefreshReport(QTextStream &out, const TBookmarks &list, int requested, bool terminal);
    void Add(const TRefreshStep &step);
    // Rewrites the progress line (on a terminal only).
    void ShowProgress(const HeldHosts &held);
    void Finish(bool interrupted);

  private:
    QString ProgressLine(const HeldHosts &held) const;

    QTextStream &m_out;
    const TBookmarks &m_list;
    const int m_requested;
    const bool m_terminal;
    QElapsedTimer m_clock;
    int m_done = 0;
    int m_ok = 0;
    int m_failed = 0;
    int m_notWritten = 0;
    int m_noAddress = 0;
    int m_notRecorded = 0;
    std::map<LinkVerdict, int> m_verdicts; // of the bookmarks checked
};
