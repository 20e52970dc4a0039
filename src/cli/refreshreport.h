#pragma once

#include "refresh/downloader.h"
#include "store/linkhistory.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <map>

class TBookmarks;
struct TRefreshStep;

// What the refresh command tells: one line per bookmark, and at the end the totals and, when
// the network kept the run from recording, why. On a terminal a progress line below them is
// rewritten in place; otherwise the lines are the same.
class RefreshReport final
{
  public:
    RefreshReport(QTextStream &out, const TBookmarks &list, int requested, bool terminal);
    void Add(const TRefreshStep &step);
    // Rewrites the progress line (on a terminal only).
    void ShowProgress(const HeldHosts &held);
    void Finish(bool interrupted, const RunFailure &failure);

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
    int m_notChecked = 0;
    int m_notRecorded = 0;
    std::map<LinkVerdict, int> m_verdicts; // of the bookmarks checked
};
