#pragma once

#include "foldernames.h"
#include "reviewseams.h"

#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Bookmarks;
class RefreshEngine;
struct RunFailure;

// The action codes carried as Tag by the buttons and menu items of the entries; a positive
// Tag of 1, 3, 7 or 30 reminds after that many days.
enum ActionTag {
    UseNewAddressTag = -4,
    SuggestTag = -3,
    DeleteTag = -2,
    KeepTag = -1,
    RemindTag = 0
};

// What became of a second start: handled, waiting for the action that asks the user
// something to end, or refused because the program is closing.
enum class StartOutcome { Taken, WaitsForAction, Refused };

// The review logic behind the main window: which bookmarks are shown in the five rows, the
// one-second tick that decides when the windows come back, and the user's decisions.
// Everything runs on the user-interface thread.
class Review final
{
  public:
    static constexpr int rowCount = 5;
    static constexpr int timerInterval = 1000; // ms

    // Reads the Favorites folder, chooses the first entries and starts the timer for the
    // first tick. arguments are the program's command-line parameters.
    Review(const QString &favoritesPath, ReviewSeams seams, const QStringList &arguments);
    ~Review();
    Review(const Review &) = delete;
    Review &operator=(const Review &) = delete;

    // What the windows render.
    const Bookmarks &bookmarks() const { return *m_bookmarks; }
    Bookmarks &bookmarks() { return *m_bookmarks; }
    int entryAt(int row) const; // -1 for an empty row or a row number out of range
    const std::array<int, rowCount> &entries() const { return m_entries; }
    // A row whose window found no room on the screen counts as not shown.
    void dropRow(int row);
    bool isRowDisplayable(int row) const; // holds a bookmark not awaiting a refresh
    bool awaitingRefresh() const { return m_awaitingRefresh; }
    DateTime lastShown() const { return m_lastShown; }
    DateTime lastTick() const { return m_lastTick; }
    int actionDepth() const { return m_actionDepth; }
    bool isClosed() const { return m_closed; }

    // The timer loop.
    void tick();
    bool completeStartup(); // the first tick's work; false when the program closes
    void showNext();        // the one way the windows come back
    // The folder watcher saw something change in folder; only what did not come from
    // Favrake's own saves counts. While the collection is empty it is read again at once,
    // so that a folder created or filled meanwhile is noticed.
    void folderChanged(const QString &folder);
    // The user chose another Favorites folder: its bookmarks are shown at once.
    void changeFavorites(const QString &path);
    void cancelDownload();
    // Renders the rows; with nothing displayable every bookmark window loses its mark.
    void updateView();

    // Commands.
    StartOutcome takeSecondStart(const QStringList &params); // a second start
    void askToQuit();
    void requestClose(); // closes now, or once the running action has ended
    void shutdown();     // the main window is closing: stop everything
    void uninstallCleanup();
    void showPutBackBookmarks();        // "Show put back entries"
    void changeSelectionMode(int mode); // a new selection mode
    void refreshAll();                  // "Refresh all Site information"

    // Selection.
    bool isSelectable(int index, bool includeAwaiting) const;
    int selectEntries(bool includeAwaiting); // the number of filled rows
    bool anyShownAwaitsRefresh() const;
    RefreshProgress refreshProgress() const;
    // Of the bookmarks that "Refresh all" made due, those refreshed; nothing (0 of 0) when
    // no such refresh is under way.
    RefreshProgress wholeRefreshProgress() const;
    bool allEntriesEmpty() const;

    // Actions on one bookmark; each answers whether it took place.
    void beginAction();
    void endAction(); // the last one to end runs what waited for it
    bool keepAction(int index);
    bool useNewAddressAction(int index);
    bool remindAction(int index, int days);
    bool deleteAction(int index);
    bool openAction(int index);
    // True when the browser was opened; origin "" when asked for, "K" on the way of a keep,
    // "D" on the way of a delete.
    bool suggestAction(int index, const QString &origin);
    void removeShownBookmark(int index);
    DateTime nextShowingDay() const; // 0 when no bookmark is in the rotation

    // The entries' buttons and menus: an action by Tag on the bookmark of a row, from the
    // main window's pocket entries or from the row's bookmark window. True when done.
    bool actOnEntry(int row, int tag);
    bool actInBookmarkWindow(int row, int tag);
    bool openEntry(int row); // opens the row's bookmark in the browser

  private:
    struct Identity // what an action acts on, checked again after every question
    {
        QString fileName;
        QString url;
    };

    // Tick.
    void startTimer();
    void runTick();
    bool showTriggerHolds(DateTime now) const;
    void resume(DateTime now, bool visible);
    void dropChangedRows();
    bool anyShownRowChanged() const;
    void readFavorites(const QString &otherFolder = QString());
    void readEmptyCollection();
    void showFirstEntries();
    void runRefreshStep();
    void waitForNetwork(const RunFailure &failure, DateTime now);

    // Actions.
    bool dispatchTag(int index, int tag);
    std::optional<Identity> identityOf(int index) const;
    bool stillNames(int index, const Identity &identity) const;
    bool askAbout(int index, const Identity &identity, int kind, const QString &text,
                  const QString &key, quint16 image, quint8 options);
    bool decide(int index, const Identity &identity, DateTime remindTime);
    void reportSaveFailure(int index);
    bool stillOnDisk(int index) const;
    bool moveBookmarkToTrash(int index);
    void offerEmptyFolder(const QString &folder);
    bool openInBrowser(const QString &address);
    bool openSubjectPage(int index);
    QString deleteQuestion(int index) const;

    // Selection.
    int findNext(int mode, bool includeAwaiting);
    int findRandom(bool includeAwaiting);
    // brokenOnly: only links judged gone, parked, without domain or unreachable.
    int findSorted(bool newest, bool includeAwaiting, bool brokenOnly = false) const;
    int findFirst(bool includeAwaiting) const;
    int random(int count);

    // Work that waits until no action runs and the windows stand still.
    bool isIdle() const;
    void whenIdle(std::function<void()> work);
    void runWaitingWork();
    void closeNow();

    Clock m_now;
    ReviewTimer &m_timer;
    Confirmer &m_confirmer;
    AddressOpener &m_opener;
    Trash &m_trash;
    ReviewView &m_view;
    ReviewHost &m_host;
    const QStringList m_arguments;

    std::unique_ptr<Bookmarks> m_bookmarks;
    FolderNames m_folderNames; // as the last read found them
    std::array<int, rowCount> m_entries;
    std::array<bool, rowCount> m_awaited{}; // chosen while awaiting a refresh
    DateTime m_lastShown = 0;
    DateTime m_lastTick = 0;
    bool m_folderChanged = false;
    bool m_awaitingRefresh = false;
    int m_wholeRefresh = 0; // the bookmarks a running "Refresh all" made due
    // A run whose network failed stops the refresh until then; 0 while it goes on.
    DateTime m_networkWaitsUntil = 0;
    int m_actionDepth = 0;
    std::unique_ptr<RefreshEngine> m_engine;

    uint32_t m_randomSeed = 0;
    bool m_triggerWaits = false;
    std::vector<std::function<void()>> m_waiting;
    bool m_closed = false;
};
