#pragma once

#include "baseform.h"
#include "lang/qtform.h"

#include <array>

class QFrame;
class QLabel;
class QProgressBar;
class QStackedWidget;
class TBookmarks;
class TUCLabel;

inline constexpr int EntryRowCount = 5;

// What the main window shows: the bookmark list, the bookmark of each entry row (-1 for
// none) and the state that decides between information page, download page and entries.
struct TMainViewData
{
    const TBookmarks *Bookmarks = nullptr;
    std::array<int, EntryRowCount> Rows{-1, -1, -1, -1, -1};
    bool AnyShownAwaitsRefresh = false;
    bool PocketView = false;
    int RefreshedRows = 0; // the download page's progress: of AwaitedRows, those refreshed
    int AwaitedRows = 0;
    QString FolderPath = QString(); // the Favorites folder, named when it holds no bookmark
    bool FolderMissing = false;     // it does not exist
};

enum class TMainView {
    Information,     // counts with "Show put back entries" or "Nothing to do.", or the folder
    Download,        // the shown entries wait for their refresh
    Pocket,          // the displayable rows as title lines in the main window
    BookmarkWindows, // the title band only; the rows go into bookmark windows
};

// The main window: title, hide button and either the information panel or, in pocket
// mode, the entries themselves. It only shows: what the user asks for goes out as signals.
class TMainForm final : public TBaseForm
{
    Q_OBJECT

  public:
    static constexpr int TextLeft = 8;
    static constexpr int TextWidth = 124;

    TMainForm();

    // Lays the window out for data and tells what it shows. In the BookmarkWindows view the
    // caller puts the rows into bookmark windows.
    TMainView UpdateView(const TMainViewData &data);
    // Lays the window out again for the data last handed in; true.
    bool UpdateView() override;
    TMainView View() const { return m_view; }
    TTranslatableForm &Translatable() { return m_registration.Form(); }

    // Without a notification area the window is the program's only handle: it becomes a
    // normal window with a taskbar entry, and where it would fade out it stands in for the
    // tray icon instead, as its title band alone.
    void SetTaskbarMode(bool on);
    bool TaskbarMode() const { return m_taskbarMode; }
    bool StandsIn() const { return m_standIn; }
    void SetFadeLevel(int level) override;
    // A row with a bookmark that is not waiting for its refresh.
    bool RowDisplayable(int row) const;
    // The download page's progress bar.
    void SetProgress(int refreshedRows, int awaitedRows);
    // The last shown bookmark was handled: text says so until the windows fade out.
    void ShowFarewell(const QString &text);

    TUCLabel *TitleLabel(int row) const;
    TUCLabel *TimeLabel(int row) const;
    QToolButton *SuggestButton(int row) const;

  signals:
    void entryActionRequested(int row, int tag);
    void entryOpenRequested(int row);
    void hideRequested();
    void showPutBackRequested();
    void chooseFolderRequested();
    void importRequested(const QPoint &menuPos);
    // A right click on the window outside its entries and buttons.
    void windowMenuRequested(const QPoint &globalPos);
    // The window began to stand in for the tray icon, or it was clicked while it does.
    void standingIn();
    void standInClicked();

  protected:
    void OpenEntry(TUCLabel *label) override;
    void actOnEntry(TUCLabel *label, int tag) override;
    void PrepareLinkMenu() override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    struct TEntryRow
    {
        TUCLabel *Title = nullptr;
        TUCLabel *Time = nullptr;
        QToolButton *Suggest = nullptr;
    };

    void CreateTitle();
    void CreateInfoPanel();
    void CreateCountsPage();
    void CreateDownloadPage();
    void CreateFolderPage();
    void ShowFolderPage();
    void ShowPanelPage(const char *pageName, int pageHeight);
    void CreateRows();
    void LayOutPocketRow(int row, int &y);
    void ShowRow(int row, bool inPocket);
    void ShowInformation();
    void ShowPage(QStackedWidget *notebook, const char *pageName);
    void ShowTitleOnly();
    int RowOf(const TUCLabel *label) const;
    int BookmarkOfRow(int row) const;

    std::array<TEntryRow, EntryRowCount> m_rows;
    std::array<bool, EntryRowCount> m_displayable{};
    TMainViewData m_data;
    TMainView m_view = TMainView::Information;
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
    QMenu *m_popupSuggest = nullptr;
    TFormRegistration m_registration;
};
