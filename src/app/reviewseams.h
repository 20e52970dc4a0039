#pragma once

#include "refresh/downloader.h"
#include "store/datetime.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class TConfirmer;
struct TUninstallReport;
namespace platform {
struct FileWriteOps;
}

// The download page's progress: of the shown rows that awaited a refresh when they were
// chosen, or await one now, those refreshed.
struct TRefreshProgress
{
    int Done = 0;
    int Total = 0;
};

// The one-second timer of the review; the program wraps a QTimer.
class TReviewTimer
{
  public:
    virtual ~TReviewTimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

// Hands an address to the web browser. Each answers why the browser could not be started,
// empty when it was; a failure found only later the opener reports itself. The review
// passes only http, https and ftp addresses.
class TAddressOpener
{
  public:
    virtual ~TAddressOpener() = default;
    virtual QString OpenAddress(const QString &address) = 0;
    virtual QString OpenFile(const QString &path) = 0; // a page the program wrote itself
};

// Moves a file or a folder with its content to the trash; false when nothing was moved.
class TTrash
{
  public:
    virtual ~TTrash() = default;
    virtual bool MoveToTrash(const QString &path) = 0;
};

// The windows as the review logic drives them: the main window, the five bookmark windows
// (one per row) and the speed bar. Fades and slides go on after the calls that start them
// have returned.
class TReviewView
{
  public:
    virtual ~TReviewView() = default;
    virtual bool IsMainVisible() const = 0;
    // Renders the rows: pocket entries or bookmark windows, else the information page.
    virtual void UpdateView() = 0;
    virtual void ShowAll() = 0; // arranges and fades in every marked window
    virtual void HideAll() = 0; // fades the marked windows out; the marks stay
    // Takes the bookmark window of row away after an action on it.
    virtual void RemoveBookmarkWindow(int row) = 0;
    // The last shown bookmark was handled (in the bookmark window of row, or -1 in the main
    // window): the column says on which day the next come (0: none is left to come), then
    // fades out.
    virtual void SayFarewell(int row, TDateTime nextDay) = 0;
    virtual bool IsMoving() const = 0; // a fade or slide is under way
    // Runs work at once when the windows stand still, else once they do.
    virtual void WhenStill(std::function<void()> work) = 0;
    virtual void ClearShownWindows() = 0; // all five bookmark windows lose their shown mark
    virtual void UpdateProgress() = 0;    // the download page's progress bar
    // Why the refresh waits (the network asks to sign in first, no site answers), shown as
    // the title window's hint; empty when it does not wait.
    virtual void ShowNetworkHint(const QString &text) = 0;
    virtual void ShowError(const QString &text) = 0; // a plain error box
    // The Favorites folder was read anew; the folder watcher follows its folders.
    virtual void FavoritesRead() = 0;
};

// What start-up and shutdown need from the rest of the program.
class TReviewHost
{
  public:
    virtual ~TReviewHost() = default;
    virtual bool ActivateLanguage(const QByteArray &name) = 0;
    // Shows the first-run dialog and waits for it; true when the program is installed then.
    virtual bool RunFirstRun() = 0;
    virtual void ShowTray() = 0; // tray icon and its language submenu
    virtual void CreateLanguageTemplate() = 0;
    // The state is gone from every file but those listed; the program ends next.
    virtual void Uninstalled(const TUninstallReport &report) = 0;
    // Closes the main window, which ends the program. May be called from inside a review
    // call: the review must not be destroyed before that call has returned.
    virtual void CloseMainWindow() = 0;
};

// Everything the review reaches outside itself, handed in at construction.
struct TReviewSeams
{
    Clock Now;
    TReviewTimer &Timer;
    TConfirmer &Confirmer;
    TAddressOpener &Opener;
    TTrash &Trash;
    TReviewView &View;
    TReviewHost &Host;
    std::unique_ptr<AbstractDownloader> Downloader;
    const platform::FileWriteOps *WriteOps = nullptr; // null: the system's
    std::optional<quint32> RandomSeed = std::nullopt; // none: from the clock
};
