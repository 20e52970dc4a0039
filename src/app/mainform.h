#pragma once

#include "baseform.h"
#include "lang/qtform.h"

#include <array>

class QFrame;
class QLabel;
class QProgressBar;
class QStackedWidget;
class Bookmarks;
class TextLabel;

inline constexpr int entryRowCount = 5;

// What the main window shows: the bookmark list, the bookmark of each entry row (-1 for
// none) and the state that decides between information page, download page and entries.
struct MainViewData
{
    const Bookmarks *bookmarks = nullptr;
    std::array<int, entryRowCount> rows{-1, -1, -1, -1, -1};
    bool anyShownAwaitsRefresh = false;
    bool pocketView = false;
    int refreshedRows = 0; // the download page's progress: of AwaitedRows, those refreshed
    int awaitedRows = 0;
    QString folderPath = QString(); // the Favorites folder, named when it holds no bookmark
    bool folderMissing = false;     // it does not exist
    bool refreshOff = false;        // network access off: a row due for a refresh shows as it is
};

enum class MainView {
    Information,     // counts with "Show put back entries" or "Nothing to do.", or the folder
    Download,        // the shown entries wait for their refresh
    Pocket,          // the displayable rows as title lines in the main window
    BookmarkWindows, // the title band only; the rows go into bookmark windows
};

// The main window: title, hide button and either the information panel or, in pocket
// mode, the entries themselves. It only shows: what the user asks for goes out as signals.
class MainForm final : public BaseForm
{
    Q_OBJECT

  public:
    static constexpr int textLeft = 8;
    static constexpr int textWidth = 124;

    MainForm();

    // Lays the window out for data and tells what it shows. In the BookmarkWindows view the
    // caller puts the rows into bookmark windows.
    MainView showView(const MainViewData &data);
    // Lays the window out again for the data last handed in; true.
    bool updateView() override;
    MainView view() const { return m_view; }
    TranslatableForm &translatable() { return m_registration.form(); }

    // Without a notification area the window is the program's only handle: it becomes a
    // normal window with a taskbar entry, and where it would fade out it stands in for the
    // tray icon instead, as its title band alone.
    void setTaskbarMode(bool on);
    bool taskbarMode() const { return m_taskbarMode; }
    bool standsIn() const { return m_standIn; }
    void setFadeLevel(int level) override;
    // A row with a bookmark that is not waiting for its refresh.
    bool rowDisplayable(int row) const;
    // The download page's progress bar.
    void setProgress(int refreshedRows, int awaitedRows);
    // The last shown bookmark was handled: text says so until the windows fade out.
    void showFarewell(const QString &text);
    // How far a "Refresh all" got, in the title band whatever the window shows; hidden
    // while none runs (total 0).
    void setRefreshProgress(int done, int total);
    // What the last "Refresh all" found, below the title with a link to the broken links;
    // empty to take it away.
    void showRefreshSummary(const QString &text);

    // Asked for by the user in pocket mode: the window takes the keyboard on its first entry
    // (Up, Down and Tab go round, Return opens, K keeps, Delete deletes, R brings the menu);
    // false in any other view.
    bool takeKeyboard();
    int keyboardRow() const { return m_keyRow; } // -1: the keyboard is elsewhere

    TextLabel *titleLabel(int row) const;
    TextLabel *timeLabel(int row) const;
    QToolButton *suggestButton(int row) const;

  signals:
    void entryActionRequested(int row, int tag);
    void entryOpenRequested(int row);
    void showPutBackRequested();
    void chooseFolderRequested();
    void importRequested(const QPoint &menuPos);
    // A right click on the window outside its entries and buttons.
    void windowMenuRequested(const QPoint &globalPos);
    // The window began to stand in for the tray icon, or it was clicked while it does.
    void standingIn();
    void standInClicked();
    // The summary's link was followed, or the menu asked: the user wants the broken links.
    void brokenLinksAsked();
    // A left click on the window while it does not stand in: the keyboard goes to the column.
    void clicked();

  protected:
    void openEntry(TextLabel *label) override;
    void actOnEntry(TextLabel *label, int tag) override;
    void prepareLinkMenu() override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    TextLabel *keyboardEntry() const override;
    void stepKeyboard(int step) override;
    void hideEvent(QHideEvent *event) override;

  private:
    struct EntryRow
    {
        TextLabel *title = nullptr;
        TextLabel *time = nullptr;
        QToolButton *suggest = nullptr;
    };

    void createTitle();
    void createInfoPanel();
    void createCountsPage();
    void createDownloadPage();
    void createFolderPage();
    void showFolderPage();
    void showPanelPage(const char *pageName, int pageHeight);
    void createRows();
    void createRefreshParts();
    void placeSummary();
    void layOutPocketRow(int row, int &y);
    void showRow(int row, bool inPocket);
    void showInformation();
    void showPage(QStackedWidget *notebook, const char *pageName);
    void showTitleOnly();
    int rowOf(const TextLabel *label) const;
    int bookmarkOfRow(int row) const;
    int shownRowFrom(int row, int step) const;
    void moveKeyboardTo(int row);

    std::array<EntryRow, entryRowCount> m_rows;
    std::array<bool, entryRowCount> m_displayable{};
    int m_keyRow = -1;
    MainViewData m_data;
    MainView m_view = MainView::Information;
    bool m_taskbarMode = false;
    bool m_standIn = false;
    QFrame *m_pnlInfo = nullptr;
    QStackedWidget *m_nbkInfo = nullptr;
    QStackedWidget *m_nbkInfoAction = nullptr;
    QLabel *m_lblInfoCount = nullptr;
    QToolButton *m_sbtShowPutBack = nullptr;
    QLabel *m_lblInfoFolder = nullptr;
    QToolButton *m_sbtChooseFolder = nullptr;
    QToolButton *m_sbtImport = nullptr;
    QLabel *m_lblInfoDone = nullptr;
    QProgressBar *m_progress = nullptr;
    QProgressBar *m_refreshProgress = nullptr;
    QLabel *m_lblSummary = nullptr;
    QMenu *m_popupSuggest = nullptr;
    FormRegistration m_registration;
};
