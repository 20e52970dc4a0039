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
class TAboutDlg;
class TCollectionCommands;
class TConfigDlg;
class TConfirmDlg;
class TInstallDlg;
class TMainForm;
class TReview;
class TTrayMenu;
class TWindowArranger;

// The running tray program: it builds the windows and dialogs, hands them to the review
// logic as its view, and answers the review's start-up and shutdown needs.
class TProgram final : public QObject, private TReviewView, private TReviewHost
{
    Q_OBJECT
  public:
    // trayHost tells whether a notification area is there to show the icon in.
    explicit TProgram(const QStringList &arguments, platform::TTrayIcon::HostProbe trayHost =
                                                        &QSystemTrayIcon::isSystemTrayAvailable);
    ~TProgram() override;

    // Another copy was started with params; reply carries the answer it waits for.
    void InstanceStarted(const QStringList &params,
                         const std::shared_ptr<platform::TInstanceReply> &reply);

  private:
    // The review's view.
    bool IsMainVisible() const override;
    void UpdateView() override;
    void ShowAll() override;
    void HideAll() override;
    void RemoveBookmarkWindow(int row) override;
    void SayFarewell(int row, TDateTime nextDay) override;
    bool IsMoving() const override;
    void WhenStill(std::function<void()> work) override;
    void ClearShownWindows() override;
    void UpdateProgress() override;
    void ShowNetworkHint(const QString &text) override;
    void ShowError(const QString &text) override;
    void FavoritesRead() override;

    // The review's host.
    bool ActivateLanguage(const QByteArray &name) override;
    bool RunFirstRun() override;
    void ShowTray() override;
    void CreateLanguageTemplate() override;
    void Uninstalled(const TUninstallReport &report) override;
    void CloseMainWindow() override;

    TScreenSpot DialogSpot() const;
    TWelcomeOffers WelcomeOffers();
    void BuildTrayMenu();
    void ConnectWindows();
    void FollowScreens();
    void ShowBookmarkWindows();
    QStringList CopiesOf(int index);
    TRefreshProgress ShownProgress() const;
    void answerTrayClick(Qt::MouseButton button);
    void SecondStart(const QStringList &params, platform::TInstanceReply &reply);
    void RaiseWindows();
    static void RaiseDialogs();
    void AnswerUninstall(int exitStatus, const QString &text);
    void followTrayHost(bool available);
    void askToHide();
    void togglePocketMode();
    void openHomepage();
    void RearrangeWindows();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void SpeedCommand(TSpeedForm::Command command);
    void OpenHelp(int context);
    static QString HomepageAddress();
    void QuitRequestedBySignal();

    QIcon m_icon;
    std::unique_ptr<TMainForm> m_mainForm;
    std::unique_ptr<TWindowArranger> m_arranger;
    std::unique_ptr<TInstallDlg> m_installDlg;
    std::unique_ptr<TConfirmDlg> m_confirmDlg;
    std::unique_ptr<TConfigDlg> m_configDlg;
    std::unique_ptr<TAboutDlg> m_aboutDlg;
    TCollectionCommands *m_collection = nullptr;             // a child of this program
    std::unique_ptr<exchange::DuplicateFinder> m_duplicates; // of the last reading
    TTrayMenu *m_trayMenu = nullptr; // belongs to the main window, which translates it
    platform::TTrayIcon m_tray;
    platform::TFolderWatcher m_watcher;
    platform::TQuitSignals m_quitSignals;
    TQtReviewTimer m_timer;
    TDesktopOpener m_opener{[this](const QString &message) { ShowError(message); }};
    TDesktopTrash m_trash;
    std::unique_ptr<TReview> m_review;
    // Second copies waiting for an uninstall, answered once it ran or cannot run any more.
    std::vector<std::shared_ptr<platform::TInstanceReply>> m_uninstallReplies;
    bool m_closing = false;
    int m_exitCode = 0;
};
