#pragma once

#include "refresh/downloader.h"
#include "store/linkhistory.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <map>

class Bookmarks;
struct RefreshStep;

// What the refresh command tells: one line per bookmark, and at the end the totals and, when
// the network kept the run from recording, why. On a terminal a progress line below them is
// rewritten in place; otherwise the lines are the same.
class RefreshReport final
{
  public:
    RefreshReport(QTextStream &out, const Bookmarks &list, int requested, bool terminal);
    void add(const RefreshStep &step);
    // Rewrites the progress line (on a terminal only).
    void showProgress(const HeldHosts &held);
    void finish(bool interrupted, const RunFailure &failure);

  private:
    QString progressLine(const HeldHosts &held) const;

    QTextStream &m_out;
    const Bookmarks &m_list;
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
