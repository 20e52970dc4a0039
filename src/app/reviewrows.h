#pragma once

#include "reviewseams.h"

#include <array>
#include <functional>
#include <vector>

// The five rows of the review, each holding the index of the bookmark it shows (-1: empty),
// and the actions under way. Work that would change the rows under an action that asks the
// user something, or under windows that fade or slide, waits here until both are over.
class ReviewRows final
{
  public:
    static constexpr int count = 5;
    using Entries = std::array<int, count>;

    explicit ReviewRows(ReviewView &view) : m_view(view) { m_entries.fill(-1); }

    int entryAt(int row) const; // -1 for an empty row or a row number out of range
    const Entries &entries() const { return m_entries; }
    bool wasAwaited(int row) const { return m_awaited[size_t(row)]; } // when it was chosen
    void clear();
    void put(int row, int index, bool awaited);
    void drop(int row); // a row whose window found no room on the screen counts as not shown
    // Empties every row whose bookmark index fits; true when any was emptied.
    bool dropWhere(const std::function<bool(int index)> &fits);
    bool allEmpty() const;

    void beginAction();
    void endAction(); // the last one to end runs what waited for it
    int actionDepth() const { return m_actionDepth; }
    bool isIdle() const; // no action runs and the windows stand still
    // Runs work at once when idle, else once it is; nothing runs after the close.
    void whenIdle(std::function<void()> work);
    bool isClosed() const { return m_closed; }
    void close(); // what waits is dropped

  private:
    void runWaitingWork();

    ReviewView &m_view;
    Entries m_entries{};
    std::array<bool, count> m_awaited{}; // chosen while awaiting a refresh
    int m_actionDepth = 0;
    std::vector<std::function<void()>> m_waiting;
    bool m_closed = false;
};

// Keeps an action counted for as long as it runs, whichever way it returns.
class ActionScope final
{
  public:
    explicit ActionScope(ReviewRows &rows) : m_rows(rows) { m_rows.beginAction(); }
    ~ActionScope() { m_rows.endAction(); }
    ActionScope(const ActionScope &) = delete;
    ActionScope &operator=(const ActionScope &) = delete;

  private:
    ReviewRows &m_rows;
};

// What every part of the review shares. The review owns it all; the parts keep references.
struct ReviewCommon
{
    Bookmarks &bookmarks;
    ReviewRows &rows;
    ReviewOptions &options; // only the selection mode is changed, by the chooser
    ReviewView &view;
    const ReviewTexts &texts;
    const Clock &now;
};
