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

class TBookmarks;
class TRefreshEngine;
struct RunFailure;

// The action codes carried as Tag by the buttons and menu items of the entries; a positive
// Tag of 1, 3, 7 or 30 reminds after that many days.
enum TActionTag {
    UseNewAddressTag = -4,
    SuggestTag = -3,
    DeleteTag = -2,
    KeepTag = -1,
    RemindTag = 0
};

// What became of a second start: handled, waiting for the action that asks the user
// something to end, or refused because the program is closing.
enum class TStartOutcome { Taken, WaitsForAction, Refused };

// The review logic behind the main window: which bookmarks are shown in the five rows, the
// one-second tick that decides when the windows come back, and the user's decisions.
// Everything runs on the user-interface thread.
class TReview final
{
  public:
    static constexpr int RowCount = 5;
    static constexpr int TimerInterval = 1000; // ms

    // Reads the Favorites folder, chooses the first entries and starts the timer for the
    // first tick. arguments are the program's command-line parameters.
    TReview(const QString &favoritesPath, TReviewSeams seams, const QStringList &arguments);
    ~TReview();
    TReview(const TReview &) = delete;
    TReview &operator=(const TReview &) = delete;

    // What the windows render.
    const TBookmarks &Bookmarks() const { return *m_bookmarks; }
    TBookmarks &Bookmarks() { return *m_bookmarks; }
    int EntryAt(int row) const; // -1 for an empty row or a row number out of range
    const std::array<int, RowCount> &Entries() const { return m_entries; }
    // A row whose window found no room on the screen counts as not shown.
    void DropRow(int row);
    bool IsRowDisplayable(int row) const; // holds a bookmark not awaiting a refresh
    bool AwaitingRefresh() const { return m_awaitingRefresh; }
    TDateTime LastShown() const { return m_lastShown; }
    TDateTime LastTick() const { return m_lastTick; }
    int ActionDepth() const { return m_actionDepth; }
    bool IsClosed() const { return m_closed; }

    // The timer loop.
    void tick();
    bool CompleteStartup(); // the first tick's work; false when the program closes
    void ShowNext();        // the one way the windows come back
    // The folder watcher saw something change in folder; only what did not come from
    // Favrake's own saves counts. While the collection is empty it is read again at once,
    // so that a folder created or filled meanwhile is noticed.
    void FolderChanged(const QString &folder);
    // The user chose another Favorites folder: its bookmarks are shown at once.
    void ChangeFavorites(const QString &path);
    void CancelDownload();
    // Renders the rows; with nothing displayable every bookmark window loses its mark.
    void UpdateView();

    // Commands.
    TStartOutcome takeSecondStart(const QStringList &params); // a second start
    void askToQuit();
    void RequestClose(); // closes now, or once the running action has ended
    void Shutdown();     // the main window is closing: stop everything
    void UninstallCleanup();
    void showPutBackBookmarks();        // "Show put back entries"
    void changeSelectionMode(int mode); // a new selection mode
    void refreshAll();                  // "Refresh all Site information"

    // Selection.
    bool IsSelectable(int index, bool includeAwaiting) const;
    int SelectEntries(bool includeAwaiting); // the number of filled rows
    bool AnyShownAwaitsRefresh() const;
    TRefreshProgress RefreshProgress() const;
    // Of the bookmarks that "Refresh all" made due, those refreshed; nothing (0 of 0) when
    // no such refresh is under way.
    TRefreshProgress WholeRefreshProgress() const;
    bool AllEntriesEmpty() const;

    // Actions on one bookmark; each answers whether it took place.
    void BeginAction();
    void EndAction(); // the last one to end runs what waited for it
    bool KeepAction(int index);
    bool UseNewAddressAction(int index);
    bool RemindAction(int index, int days);
    bool DeleteAction(int index);
    bool OpenAction(int index);
    // True when the browser was opened; origin "" when asked for, "K" on the way of a keep,
    // "D" on the way of a delete.
    bool SuggestAction(int index, const QString &origin);
    void RemoveShownBookmark(int index);
    TDateTime NextShowingDay() const; // 0 when no bookmark is in the rotation

    // The entries' buttons and menus: an action by Tag on the bookmark of a row, from the
    // main window's pocket entries or from the row's bookmark window. True when done.
    bool actOnEntry(int row, int tag);
    bool actInBookmarkWindow(int row, int tag);
    bool openEntry(int row); // opens the row's bookmark in the browser

  private:
    struct Identity // what an action acts on, checked again after every question
    {
        QString FileName;
        QString URL;
    };

    // Tick.
    void StartTimer();
    void RunTick();
    bool ShowTriggerHolds(TDateTime now) const;
    void Resume(TDateTime now, bool visible);
    void DropChangedRows();
    bool AnyShownRowChanged() const;
    void ReadFavorites(const QString &otherFolder = QString());
    void ReadEmptyCollection();
    void ShowFirstEntries();
    void RunRefreshStep();
    void WaitForNetwork(const RunFailure &failure, TDateTime now);

    // Actions.
    bool DispatchTag(int index, int tag);
    std::optional<Identity> IdentityOf(int index) const;
    bool StillNames(int index, const Identity &identity) const;
    bool AskAbout(int index, const Identity &identity, int kind, const QString &text,
                  const QString &key, quint16 image, quint8 options);
    bool Decide(int index, const Identity &identity, TDateTime remindTime);
    void ReportSaveFailure(int index);
    bool StillOnDisk(int index) const;
    bool MoveBookmarkToTrash(int index);
    void OfferEmptyFolder(const QString &folder);
    bool OpenInBrowser(const QString &address);
    bool OpenSubjectPage(int index);
    QString DeleteQuestion(int index) const;

    // Selection.
    int FindNext(int mode, bool includeAwaiting);
    int FindRandom(bool includeAwaiting);
    // brokenOnly: only links judged gone, parked, without domain or unreachable.
    int FindSorted(bool newest, bool includeAwaiting, bool brokenOnly = false) const;
    int FindFirst(bool includeAwaiting) const;
    int Random(int count);

    // Work that waits until no action runs and the windows stand still.
    bool IsIdle() const;
    void WhenIdle(std::function<void()> work);
    void RunWaitingWork();
    void CloseNow();

    Clock m_now;
    TReviewTimer &m_timer;
    TConfirmer &m_confirmer;
    TAddressOpener &m_opener;
    TTrash &m_trash;
    TReviewView &m_view;
    TReviewHost &m_host;
    const QStringList m_arguments;

    std::unique_ptr<TBookmarks> m_bookmarks;
    TFolderNames m_folderNames; // as the last read found them
    std::array<int, RowCount> m_entries;
    std::array<bool, RowCount> m_awaited{}; // chosen while awaiting a refresh
    TDateTime m_lastShown = 0;
    TDateTime m_lastTick = 0;
    bool m_folderChanged = false;
    bool m_awaitingRefresh = false;
    int m_wholeRefresh = 0; // the bookmarks a running "Refresh all" made due
    // A run whose network failed stops the refresh until then; 0 while it goes on.
    TDateTime m_networkWaitsUntil = 0;
    int m_actionDepth = 0;
    std::unique_ptr<TRefreshEngine> m_engine;

    uint32_t m_randomSeed = 0;
    bool m_triggerWaits = false;
    std::vector<std::function<void()>> m_waiting;
    bool m_closed = false;
};
