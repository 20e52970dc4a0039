#pragma once

#include "desktopseams.h"
#include "lang/confirmlayout.h"
#include "platform/folderwatcher.h"
#include "platform/quitsignals.h"
#include "platform/singleinstance.h"
#include "platform/trayicon.h"
#include "speedform.h"

#include <QIcon>
#include <QObject>
#include <QStringList>
#include <memory>

struct WelcomeOffers;
class AboutDialog;
class CollectionCommands;
class ConfigDialog;
class ConfirmDialog;
class InstallDialog;
class MainForm;
class ProgramView;
class Review;
class TrayMenu;
class WindowArranger;

// The running tray program: it builds the windows and dialogs, the view that shows the review
// in them and the review itself, reads the settings for it, and wires the commands of the
// menus, the tray icon and a second copy to them.
class Program final : public QObject
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
    ScreenSpot dialogSpot() const;
    WelcomeOffers welcomeOffers();
    void buildTrayMenu();
    void connectWindows();
    void followScreens();
    void takeSettings(); // the user changed them: the review works with the new ones
    void answerTrayClick(Qt::MouseButton button);
    void secondStart(const QStringList &params, platform::InstanceReply &reply);
    static void raiseDialogs();
    void askToHide();
    // Asked for by the user, the column takes the keyboard, on its first bookmark.
    void focusColumn();
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
    CollectionCommands *m_collection = nullptr; // a child of this program
    TrayMenu *m_trayMenu = nullptr;             // belongs to the main window, which translates it
    platform::TrayIcon m_tray;
    platform::FolderWatcher m_watcher;
    platform::QuitSignals m_quitSignals;
    QtReviewTimer m_timer;
    std::unique_ptr<ProgramView> m_view;
    DesktopOpener m_opener;
    DesktopTrash m_trash;
    std::unique_ptr<Review> m_review;
};
