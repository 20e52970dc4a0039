#pragma once

#include "config/installdlg.h"
#include "desktopseams.h"
#include "lang/confirmlayout.h"
#include "platform/folderwatcher.h"
#include "platform/quitsignals.h"
#include "platform/singleinstance.h"
#include "platform/trayicon.h"
#include "reviewseams.h"
#include "speedform.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QStringList>
#include <memory>

namespace exchange {
class DuplicateFinder;
}
class AboutDialog;
class CollectionCommands;
class ConfigDialog;
class ConfirmDialog;
class InstallDialog;
class MainForm;
class Review;
class TrayMenu;
class WindowArranger;

// The running tray program: it builds the windows and dialogs, hands them to the review
// logic as its view, and answers the review's start-up and shutdown needs.
class Program final : public QObject, private ReviewView, private ReviewHost
{
    Q_OBJECT
  public:
    // trayHost tells whether a notification area is there to show the icon in.
    explicit Program(const QStringList &arguments, platform::TrayIcon::HostProbe trayHost =
                                                       &QSystemTrayIcon::isSystemTrayAvailable);
    ~Program() override;

    // Another copy was started with params; reply carries the answer it waits for.
    void instanceStarted(const QStringList &params,
                         const std::shared_ptr<platform::InstanceReply> &reply);

  private:
    // The review's view.
    bool isMainVisible() const override;
    void updateView() override;
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
    void favoritesRead() override;

    // The review's host.
    bool activateLanguage(const QByteArray &name) override;
    bool runFirstRun() override;
    void showTray() override;
    void createLanguageTemplate() override;
    void uninstalled(const UninstallReport &report) override;
    void closeMainWindow() override;

    ScreenSpot dialogSpot() const;
    WelcomeOffers welcomeOffers();
    void buildTrayMenu();
    void connectWindows();
    void followScreens();
    void showBookmarkWindows();
    QStringList copiesOf(int index);
    RefreshProgress shownProgress() const;
    void answerTrayClick(Qt::MouseButton button);
    void secondStart(const QStringList &params, platform::InstanceReply &reply);
    void raiseWindows();
    static void raiseDialogs();
    void answerUninstall(int exitStatus, const QString &text);
    void followTrayHost(bool available);
    void askToHide();
    void togglePocketMode();
    void openHomepage();
    void rearrangeWindows();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void speedCommand(SpeedForm::Command command);
    void openHelp(int context);
    static QString homepageAddress();
    void quitRequestedBySignal();

    QIcon m_icon;
    std::unique_ptr<MainForm> m_mainForm;
    std::unique_ptr<WindowArranger> m_arranger;
    std::unique_ptr<InstallDialog> m_installDlg;
    std::unique_ptr<ConfirmDialog> m_confirmDlg;
    std::unique_ptr<ConfigDialog> m_configDlg;
    std::unique_ptr<AboutDialog> m_aboutDlg;
    CollectionCommands *m_collection = nullptr;              // a child of this program
    std::unique_ptr<exchange::DuplicateFinder> m_duplicates; // of the last reading
    TrayMenu *m_trayMenu = nullptr; // belongs to the main window, which translates it
    platform::TrayIcon m_tray;
    platform::FolderWatcher m_watcher;
    platform::QuitSignals m_quitSignals;
    QtReviewTimer m_timer;
    DesktopOpener m_opener{[this](const QString &message) { showError(message); }};
    DesktopTrash m_trash;
    std::unique_ptr<Review> m_review;
    // Second copies waiting for an uninstall, answered once it ran or cannot run any more.
    std::vector<std::shared_ptr<platform::InstanceReply>> m_uninstallReplies;
    bool m_closing = false;
    int m_exitCode = 0;
};
