#include "program.h"

#include "arranger.h"
#include "bookmarkform.h"
#include "collectioncommands.h"
#include "config/aboutdlg.h"
#include "config/configdlg.h"
#include "config/installdlg.h"
#include "config/messageflags.h"
#include "config/settings.h"
#include "lang/confirmdlg.h"
#include "lang/languages.h"
#include "mainform.h"
#include "platform/workarea.h"
#include "programfiles.h"
#include "programview.h"
#include "review.h"
#include "traymenu.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScreen>

Program::Program(const QStringList &arguments, platform::TrayIcon::HostProbe trayHost)
    : m_icon(programIcon()), m_mainForm(std::make_unique<MainForm>()),
      m_arranger(std::make_unique<WindowArranger>(m_mainForm.get())),
      m_installDlg(std::make_unique<InstallDialog>(m_icon)),
      m_confirmDlg(std::make_unique<ConfirmDialog>(std::make_unique<SettingsMessageMemory>(),
                                                   nullptr, [this] { return dialogSpot(); })),
      m_configDlg(std::make_unique<ConfigDialog>(QCoreApplication::applicationFilePath())),
      m_aboutDlg(std::make_unique<AboutDialog>(m_icon)), m_tray(this, std::move(trayHost)),
      m_timer([this] { m_review->tick(); }),
      m_opener([this](const QString &message) { m_view->showError(message); })
{
    QApplication::setWindowIcon(m_icon);
    m_collection = new CollectionCommands(*m_confirmDlg, this);
    m_installDlg->setOffers(welcomeOffers());
    buildTrayMenu();
    m_view = std::make_unique<ProgramView>(
        ProgramView::Parts{*m_mainForm, *m_arranger, *m_confirmDlg, *m_installDlg, m_tray,
                           *m_trayMenu, m_watcher, languages(), formRegistry()});
    m_review = std::make_unique<Review>(favoritesFolderInUse(),
                                        ReviewSeams{.now = nowDateTime,
                                                    .timer = m_timer,
                                                    .confirmer = *m_confirmDlg,
                                                    .opener = m_opener,
                                                    .trash = m_trash,
                                                    .view = *m_view,
                                                    .host = *m_view,
                                                    .languages = languages(),
                                                    .downloader = makeDownloader},
                                        reviewOptions(), arguments);
    m_view->show(*m_review);
    connectWindows();
}

Program::~Program()
{
    if (m_review)
        m_review->session().shutdown();
}

void Program::connectWindows()
{
    MainForm *main = m_mainForm.get();
    BookmarkActions &actions = m_review->actions();
    connect(main, &MainForm::entryActionRequested, this,
            [&actions](int row, int tag) { actions.actOnEntry(row, tag); });
    connect(main, &MainForm::entryOpenRequested, this,
            [&actions](int row) { actions.openEntry(row); });
    connect(main, &MainForm::hideRequested, this, &Program::askToHide);
    connect(main, &MainForm::showPutBackRequested, this,
            [this] { m_review->ticker().showPutBackBookmarks(); });
    connect(main, &MainForm::chooseFolderRequested, m_collection,
            &CollectionCommands::chooseFolder);
    connect(main, &MainForm::importRequested, m_collection, &CollectionCommands::popupImportMenu);
    connect(m_collection, &CollectionCommands::collectionChanged, this,
            [this] { m_review->ticker().changeFavorites(favoritesFolderInUse()); });
    connect(main, &MainForm::windowMenuRequested, this,
            [this](const QPoint &at) { m_trayMenu->menu()->popup(at); });
    connect(main, &BaseForm::helpRequested, this, &Program::openHelp);
    // Without a tray the title window stands in for the icon, in the corner at the panel.
    connect(main, &MainForm::standingIn, this, [this] { m_arranger->placeMainAlone(); });
    connect(main, &MainForm::standInClicked, this, [this] { answerTrayClick(Qt::LeftButton); });
    connect(main, &MainForm::clicked, this, &Program::focusColumn);
    for (int row = 0; row < Review::rowCount; ++row) {
        BookmarkForm *window = m_arranger->bookmarkWindow(row);
        connect(window, &BookmarkForm::actionRequested, this,
                [&actions, row](int tag) { actions.actInBookmarkWindow(row, tag); });
        connect(window, &BookmarkForm::openRequested, this,
                [&actions, row] { actions.openEntry(row); });
        connect(window, &BaseForm::helpRequested, this, &Program::openHelp);
        connect(window, &BookmarkForm::hideRequested, this, &Program::askToHide);
    }
    SpeedForm *speed = m_arranger->speedWindow();
    connect(speed, &SpeedForm::commandRequested, this, &Program::speedCommand);
    connect(speed, &BaseForm::helpRequested, this, &Program::openHelp);
    speed->offerRefresh(!settings.noNetAccess);
    connect(&m_tray, &platform::TrayIcon::mouseDown, this, &Program::answerTrayClick);
    // The only message the icon shows is the summary of a refresh, which leads to the
    // broken links.
    connect(&m_tray, &platform::TrayIcon::messageClicked, main, &MainForm::brokenLinksAsked);
    connect(&m_tray, &platform::TrayIcon::hostChanged, this,
            [this](bool available) { m_view->followTrayHost(available); });
    connect(&m_watcher, &platform::FolderWatcher::changed, this,
            [this](const QString &folder) { m_review->ticker().folderChanged(folder); });
    connect(m_configDlg.get(), &ConfigDialog::rearrangeWindowsRequested, this,
            &Program::rearrangeWindows);
    connect(m_configDlg.get(), &ConfigDialog::helpRequested, this, &Program::openHelp);
    // The dialog has stored the other settings before it tells of another folder.
    connect(m_configDlg.get(), &ConfigDialog::favoritesFolderChanged, this, [this] {
        takeSettings();
        m_review->ticker().changeFavorites(favoritesFolderInUse());
    });
    connect(m_configDlg.get(), &QDialog::accepted, this, &Program::takeSettings);
    qApp->installEventFilter(this); // the hints setting decides on every tool tip
    connect(&m_quitSignals, &platform::QuitSignals::quitRequested, this,
            &Program::quitRequestedBySignal);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &Program::quitRequestedBySignal);
    followScreens();
}

// A panel that takes its room after the start (as at login), a new or lost screen: the
// column moves so that it never covers a panel.
void Program::followScreens()
{
    const auto follow = [this](const QScreen *screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, &Program::rearrangeWindows);
        connect(screen, &QScreen::geometryChanged, this, &Program::rearrangeWindows);
    };
    for (const QScreen *screen : QGuiApplication::screens())
        follow(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, follow](const QScreen *screen) {
        follow(screen);
        rearrangeWindows();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &Program::rearrangeWindows);
}

void Program::takeSettings()
{
    m_review->setOptions(reviewOptions());
    m_arranger->speedWindow()->offerRefresh(!settings.noNetAccess);
    m_view->updateBrokenLinks();
}

// While the collection is empty the welcome dialog offers the browsers found and another
// folder; what it brings in is read once the welcome has ended.
WelcomeOffers Program::welcomeOffers()
{
    WelcomeOffers offers;
    offers.browsers = [this] {
        QStringList found;
        for (int i = 0; i < int(m_collection->browsers().size()); ++i)
            found << m_collection->browserOffer(i);
        return found;
    };
    offers.import = [this](int i) { return m_collection->importBrowser(i); };
    offers.chooseFolder = [this] { m_collection->chooseFolder(); };
    return offers;
}

ScreenSpot Program::dialogSpot() const
{
    return {QCursor::pos(), platform::screenUnderCursor().work, m_arranger->columnArea()};
}

void Program::instanceStarted(const QStringList &params,
                              const std::shared_ptr<platform::InstanceReply> &reply)
{
    raiseDialogs();
    if (params.value(0) == u"/UNINSTALL") {
        m_view->awaitUninstall(reply);
        if (!settings.installed && m_installDlg->isVisible())
            m_installDlg->reject(); // the welcome dialog counts as declined
    } else {
        reply->answer(0);
    }
    m_view->whenStill([this, params, reply] { secondStart(params, *reply); });
}

// Shows hidden windows, or uninstalls; a copy that waits for that hears why it takes long.
void Program::secondStart(const QStringList &params, platform::InstanceReply &reply)
{
    if (m_view->isMainVisible())
        m_view->raiseWindows();
    switch (m_review->session().takeSecondStart(params)) {
    case StartOutcome::Taken:
        break;
    case StartOutcome::WaitsForAction:
        reply.notify(QStringLiteral("Favrake uninstalls once the question it shows now is "
                                    "answered."));
        break;
    case StartOutcome::Refused:
        m_view->answerUninstall(1, QStringLiteral("Favrake was closing and did not uninstall; "
                                                  "start the uninstall again."));
        break;
    }
}

// The question in front of all, as the one the user must answer first.
void Program::raiseDialogs()
{
    QWidgetList dialogs;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog *>(window) && window->isVisible())
            dialogs.append(window);
    if (QWidget *modal = QApplication::activeModalWidget())
        dialogs.append(modal);
    for (QWidget *dialog : dialogs) {
        dialog->raise();
        dialog->activateWindow();
    }
}
