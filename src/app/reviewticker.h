#pragma once

#include "foldernames.h"
#include "reviewrows.h"

class BookmarkChooser;
class ReviewRefresh;

// The one-second tick: the windows come back by themselves on a new day, after a long pause
// (such as a suspend) or once the awaited refresh is done; a folder change drops the rows
// that someone else changed; the refresh takes its next step. And the commands that bring
// the windows back: a click, "Show put back entries", "Refresh all", another folder.
class ReviewTicker final
{
  public:
    static constexpr int interval = 1000; // ms

    ReviewTicker(const ReviewCommon &common, BookmarkChooser &chooser, ReviewRefresh &refresh,
                 ReviewTimer &timer, Confirmer &confirmer);

    void begin(); // the start is complete: the ticks begin
    void tick();
    DateTime lastShown() const { return m_lastShown; }
    DateTime lastTick() const { return m_lastTick; } // 0 until the start is complete
    void showNext();                                 // the one way the windows come back
    // The folder watcher saw something change in folder; only what did not come from
    // Favrake's own saves counts. While the collection is empty it is read again at once,
    // so that a folder created or filled meanwhile is noticed.
    void folderChanged(const QString &folder);
    // The user chose another Favorites folder: its bookmarks are shown at once.
    void changeFavorites(const QString &path);
    void showPutBackBookmarks(); // "Show put back entries"
    void refreshAll();           // "Refresh all Site information"

  private:
    void startTimer();
    void runTick();
    bool showTriggerHolds(DateTime now) const;
    void resume(DateTime now, bool visible);
    void dropChangedRows();
    bool anyShownRowChanged() const;
    void takeOutsideRefreshes();
    void readFavorites(const QString &otherFolder = QString());
    void readEmptyCollection();
    void showFirstEntries();
    void restartRefresh();

    ReviewCommon m_common;
    Bookmarks &m_bookmarks;
    ReviewRows &m_rows;
    BookmarkChooser &m_chooser;
    ReviewRefresh &m_refresh;
    ReviewTimer &m_timer;
    Confirmer &m_confirmer;
    FolderNames m_folderNames; // as the last read found them
    DateTime m_lastShown = 0;
    DateTime m_lastTick = 0;
    bool m_folderChanged = false;
    bool m_triggerWaits = false;
};
