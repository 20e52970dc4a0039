#pragma once

#include "lang/phrases.h"
#include "refresh/downloader.h"
#include "store/bookmarks.h"
#include "store/datetime.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class Confirmer;
class Languages;
struct UninstallReport;
namespace platform {
struct FileWriteOps;
}

// The settings the review works with. The program reads them from the settings file and
// hands them in, and again whenever the user changed them.
struct ReviewOptions
{
    int selectionMode = 1; // 1 oldest first, 2 newest first, -1 random, other unsorted
    bool noNetAccess = false;
    bool dontDelete = false;    // a delete only takes the bookmark out of the rotation
    bool installed = false;     // else the first start shows the first-run dialog
    QString suggestServer = {}; // empty: link suggestions go to a page Favrake writes itself
    QByteArray language = "English";
    Intervals intervals = {}; // its remindInterval is also what the plain remind button gives
};

// The review's questions, errors and hints in the language in use.
class ReviewTexts final
{
  public:
    explicit ReviewTexts(const Languages &language) : m_language(language) {}
    const Languages &language() const { return m_language; }
    QString operator()(QByteArrayView key) const { return phrase(m_language, key); }
    // The phrase with each "%s" filled in.
    QString operator()(QByteArrayView key, const QStringList &arguments) const
    {
        return fillPhrase(phrase(m_language, key), arguments);
    }

  private:
    const Languages &m_language;
};

// The download page's progress: of the shown rows that awaited a refresh when they were
// chosen, or await one now, those refreshed.
struct RefreshProgress
{
    int done = 0;
    int total = 0;
};

// What a finished "Refresh all" found, by the group each verdict falls in.
struct RefreshSummary
{
    int ok = 0;      // the site answers (also moved, behind a login, blocking robots)
    int failing = 0; // not yet sure
    int gone = 0;    // the links the user should look at
};
// "Checked 61: 52 ok, 6 failing, 3 gone"; a group without a bookmark is left out.
QString refreshSummaryText(const ReviewTexts &texts, const RefreshSummary &summary);

// The one-second timer of the review; the program wraps a QTimer.
class ReviewTimer
{
  public:
    virtual ~ReviewTimer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// Hands an address to the web browser. Each answers why the browser could not be started,
// empty when it was; a failure found only later the opener reports itself. The review
// passes only http, https and ftp addresses.
class AddressOpener
{
  public:
    virtual ~AddressOpener() = default;
    virtual QString openAddress(const QString &address) = 0;
    virtual QString openFile(const QString &path) = 0; // a page the program wrote itself
};

// Moves a file or a folder with its content to the trash; false when nothing was moved.
class Trash
{
  public:
    virtual ~Trash() = default;
    virtual bool moveToTrash(const QString &path) = 0;
};

// The windows as the review logic drives them: the main window, the five bookmark windows
// (one per row) and the speed bar. Fades and slides go on after the calls that start them
// have returned.
class ReviewView
{
  public:
    virtual ~ReviewView() = default;
    virtual bool isMainVisible() const = 0;
    // Renders the rows: pocket entries or bookmark windows, else the information page.
    virtual void updateView() = 0;
    // The shown bookmark windows show their records anew, where they stand.
    virtual void updateShownTexts() = 0;
    virtual void showAll() = 0; // arranges and fades in every marked window
    virtual void hideAll() = 0; // fades the marked windows out; the marks stay
    // Takes the bookmark window of row away after an action on it.
    virtual void removeBookmarkWindow(int row) = 0;
    // The last shown bookmark was handled (in the bookmark window of row, or -1 in the main
    // window): the column says on which day the next come (0: none is left to come), then
    // fades out.
    virtual void sayFarewell(int row, DateTime nextDay) = 0;
    virtual bool isMoving() const = 0; // a fade or slide is under way
    // Runs work at once when the windows stand still, else once they do.
    virtual void whenStill(std::function<void()> work) = 0;
    virtual void clearShownWindows() = 0; // all five bookmark windows lose their shown mark
    virtual void updateProgress() = 0;    // the download page's progress bar
    // Why the refresh waits (the network asks to sign in first, no site answers), shown as
    // the title window's hint; empty when it does not wait.
    virtual void showNetworkHint(const QString &text) = 0;
    virtual void showError(const QString &text) = 0; // a plain error box
    // A "Refresh all" ended: the title window says what it found, or the tray while hidden.
    virtual void showRefreshSummary(const QString &text) = 0;
    // The Favorites folder was read anew; the folder watcher follows its folders.
    virtual void favoritesRead() = 0;
};

// What start-up and shutdown need from the rest of the program.
class ReviewHost
{
  public:
    virtual ~ReviewHost() = default;
    virtual bool activateLanguage(const QByteArray &name) = 0;
    // Shows the first-run dialog and waits for it; true when the program is installed then.
    // A declined start leaves the settings unsaved.
    virtual bool runFirstRun() = 0;
    virtual void showTray() = 0; // tray icon and its language submenu
    virtual void createLanguageTemplate() = 0;
    // The state is gone from every file but those listed; the program ends next.
    virtual void uninstalled(const UninstallReport &report) = 0;
    // Closes the main window, which ends the program. May be called from inside a review
    // call: the review must not be destroyed before that call has returned.
    virtual void closeMainWindow() = 0;
    // The user chose another selection mode; it holds for the next start too.
    virtual void keepSelectionMode(int mode) = 0;
};

// Makes the download worker; it calls resultReady, on any thread, whenever a result is there.
using MakeDownloader =
    std::function<std::unique_ptr<AbstractDownloader>(std::function<void()> resultReady)>;

// Everything the review reaches outside itself, handed in at construction.
struct ReviewSeams
{
    Clock now;
    ReviewTimer &timer;
    Confirmer &confirmer;
    AddressOpener &opener;
    Trash &trash;
    ReviewView &view;
    ReviewHost &host;
    const Languages &languages;
    MakeDownloader downloader;
    const platform::FileWriteOps *writeOps = nullptr; // null: the system's
    std::optional<quint32> randomSeed = std::nullopt; // none: from the clock
};
