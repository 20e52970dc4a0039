#pragma once

#include "reviewseams.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace exchange {
class DuplicateFinder;
}
namespace platform {
class FolderWatcher;
class InstanceReply;
class TrayIcon;
} // namespace platform
class ConfirmDialog;
class FormRegistry;
class InstallDialog;
class Languages;
class MainForm;
class BrokenLinksWindow;
class Review;
class TrayMenu;
class WindowArranger;

// The program's windows as the review drives them, and its answers to the review's start-up
// and shutdown: the review's view and host. Program builds the windows, this, then the review.
class ProgramView final : public ReviewView, public ReviewHost
{
  public:
    struct Parts
    {
        MainForm &main;
        WindowArranger &arranger;
        ConfirmDialog &confirm;
        InstallDialog &install;
        platform::TrayIcon &tray;
        TrayMenu &trayMenu;
        platform::FolderWatcher &watcher;
        Languages &languages;
        FormRegistry &forms;
    };
    explicit ProgramView(const Parts &parts);
    ~ProgramView() override;
    ProgramView(const ProgramView &) = delete;
    ProgramView &operator=(const ProgramView &) = delete;

    void show(Review &review); // the review it renders, once built
    void raiseWindows();
    // Without a notification area the main window must stay reachable: it keeps a taskbar
    // entry and, hidden, stands in for the tray icon.
    void followTrayHost(bool available);
    // A second copy waits for the uninstall; it is answered once it ran or cannot run any more.
    void awaitUninstall(std::shared_ptr<platform::InstanceReply> reply);
    void answerUninstall(int exitStatus, const QString &text);
    void showBrokenLinks();   // opens the broken-links window, or raises it
    void updateBrokenLinks(); // the open broken-links window shows the collection anew

    bool isMainVisible() const override;
    void updateView() override;
    void updateShownTexts() override;
    void showAll() override;
    void hideAll() override;
    void removeBookmarkWindow(int row) override;
    void sayFarewell(int row, DateTime nextDay) override;
    bool isMoving() const override;
    void whenStill(std::function<void()> work) override;
    void clearShownWindows() override;
    void updateProgress() override;
    void showNetworkHint(const QString &text) override;
    void showError(const QString &text) override;
    void showRefreshSummary(const QString &text) override;
    void favoritesRead() override;

    bool activateLanguage(const QByteArray &name) override;
    bool runFirstRun() override;
    void showTray() override;
    void createLanguageTemplate() override;
    void uninstalled(const UninstallReport &report) override;
    void closeMainWindow() override;
    void keepSelectionMode(int mode) override;

  private:
    void showBookmarkWindows();
    QStringList copiesOf(int index);
    RefreshProgress shownProgress() const;

    Parts m_parts;
    Review *m_review = nullptr;
    std::unique_ptr<exchange::DuplicateFinder> m_duplicates; // of the last reading
    std::unique_ptr<BrokenLinksWindow> m_brokenLinks;        // once asked for
    std::vector<std::shared_ptr<platform::InstanceReply>> m_uninstallReplies;
    bool m_closing = false;
    int m_exitCode = 0;
};
