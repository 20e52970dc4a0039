#include "program.h"

#include "arranger.h"
#include "bookmarkform.h"
#include "collectioncommands.h"
#include "config/aboutdlg.h"
#include "config/configdlg.h"
#include "config/installdlg.h"
#include "config/messageflags.h"
#include "config/settings.h"
#include "config/uninstall.h"
#include "exchange/duplicates.h"
#include "lang/confirmdlg.h"
#include "lang/confirmicons.h"
#include "lang/languages.h"
#include "lang/phrases.h"
#include "lang/template.h"
#include "mainform.h"
#include "platform/workarea.h"
#include "programfiles.h"
#include "review.h"
#include "store/bookmarks.h"
#include "store/textutil.h"
#include "traymenu.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QTextStream>
#include <QTimer>

Program::Program(const QStringList &arguments, platform::TrayIcon::HostProbe trayHost)
    : m_icon(programIcon()), m_mainForm(std::make_unique<MainForm>()),
      m_arranger(std::make_unique<WindowArranger>(m_mainForm.get())),
      m_installDlg(std::make_unique<InstallDialog>(m_icon)),
      m_confirmDlg(std::make_unique<ConfirmDialog>(std::make_unique<SettingsMessageMemory>(),
                                                   nullptr, [this] { return dialogSpot(); })),
      m_configDlg(std::make_unique<ConfigDialog>(QCoreApplication::applicationFilePath())),
      m_aboutDlg(std::make_unique<AboutDialog>(m_icon)), m_tray(this, std::move(trayHost)),
      m_timer([this] { m_review->tick(); })
{
    QApplication::setWindowIcon(m_icon);
    m_collection = new CollectionCommands(*m_confirmDlg, this);
    m_installDlg->setOffers(welcomeOffers());
    buildTrayMenu();
    m_review = std::make_unique<Review>(favoritesFolderInUse(),
                                        ReviewSeams{.now = nowDateTime,
                                                    .timer = m_timer,
                                                    .confirmer = *m_confirmDlg,
                                                    .opener = m_opener,
                                                    .trash = m_trash,
                                                    .view = *this,
                                                    .host = *this,
                                                    .downloader = makeDownloader()},
                                        arguments);
    favoritesRead();
    connectWindows();
}

Program::~Program()
{
    if (m_review)
        m_review->shutdown();
}

void Program::connectWindows()
{
    MainForm *main = m_mainForm.get();
    connect(main, &MainForm::entryActionRequested, this,
            [this](int row, int tag) { m_review->actOnEntry(row, tag); });
    connect(main, &MainForm::entryOpenRequested, this,
            [this](int row) { m_review->openEntry(row); });
    connect(main, &MainForm::hideRequested, this, &Program::askToHide);
    connect(main, &MainForm::showPutBackRequested, this,
            [this] { m_review->showPutBackBookmarks(); });
    connect(main, &MainForm::chooseFolderRequested, m_collection,
            &CollectionCommands::chooseFolder);
    connect(main, &MainForm::importRequested, m_collection, &CollectionCommands::popupImportMenu);
    connect(m_collection, &CollectionCommands::collectionChanged, this,
            [this] { m_review->changeFavorites(favoritesFolderInUse()); });
    connect(main, &MainForm::windowMenuRequested, this,
            [this](const QPoint &at) { m_trayMenu->menu()->popup(at); });
    connect(main, &BaseForm::helpRequested, this, &Program::openHelp);
    // Without a tray the title window stands in for the icon, in the corner at the panel.
    connect(main, &MainForm::standingIn, this, [this] { m_arranger->placeMainAlone(); });
    connect(main, &MainForm::standInClicked, this, [this] { answerTrayClick(Qt::LeftButton); });
    for (int row = 0; row < Review::rowCount; ++row) {
        BookmarkForm *window = m_arranger->bookmarkWindow(row);
        connect(window, &BookmarkForm::actionRequested, this,
                [this, row](int tag) { m_review->actInBookmarkWindow(row, tag); });
        connect(window, &BookmarkForm::openRequested, this,
                [this, row] { m_review->openEntry(row); });
        connect(window, &BaseForm::helpRequested, this, &Program::openHelp);
    }
    SpeedForm *speed = m_arranger->speedWindow();
    connect(speed, &SpeedForm::commandRequested, this, &Program::speedCommand);
    connect(speed, &BaseForm::helpRequested, this, &Program::openHelp);
    connect(&m_tray, &platform::TrayIcon::mouseDown, this, &Program::answerTrayClick);
    connect(&m_tray, &platform::TrayIcon::hostChanged, this, &Program::followTrayHost);
    connect(&m_watcher, &platform::FolderWatcher::changed, this,
            [this](const QString &folder) { m_review->folderChanged(folder); });
    connect(m_configDlg.get(), &ConfigDialog::rearrangeWindowsRequested, this,
            &Program::rearrangeWindows);
    connect(m_configDlg.get(), &ConfigDialog::helpRequested, this, &Program::openHelp);
    connect(m_configDlg.get(), &ConfigDialog::favoritesFolderChanged, this,
            [this] { m_review->changeFavorites(favoritesFolderInUse()); });
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

bool Program::isMainVisible() const
{
    return m_mainForm->isShowing() && !m_mainForm->standsIn() && !m_closing;
}

void Program::updateView()
{
    if (!m_review)
        return; // the review renders itself once it is built
    MainViewData data;
    data.bookmarks = &m_review->bookmarks();
    data.rows = m_review->entries();
    data.anyShownAwaitsRefresh = m_review->anyShownAwaitsRefresh();
    data.pocketView = settings.pocketView;
    data.folderPath = m_review->bookmarks().favoritesPath();
    data.folderMissing = !QFileInfo(data.folderPath).isDir();
    const RefreshProgress progress = shownProgress();
    std::tie(data.refreshedRows, data.awaitedRows) = std::tuple(progress.done, progress.total);
    switch (m_mainForm->showView(data)) {
    case MainView::BookmarkWindows:
        showBookmarkWindows();
        break;
    case MainView::Pocket:
        m_arranger->clearAllShown();
        break;
    case MainView::Information:
    case MainView::Download:
        break;
    }
}

void Program::showBookmarkWindows()
{
    for (int row = 0; row < Review::rowCount; ++row) {
        BookmarkForm *window = m_arranger->bookmarkWindow(row);
        window->setEntry(&m_review->bookmarks(), m_review->entryAt(row));
        window->setCopies(copiesOf(m_review->entryAt(row)));
        window->updateView();
        m_arranger->setShown(row, m_review->entryAt(row) >= 0);
    }
    m_arranger->arrange();
    for (int row = 0; row < Review::rowCount; ++row)
        if (!m_arranger->isShown(row))
            m_review->dropRow(row); // no room on the screen: not shown after all
}

// The other files of the same bookmark that are still there, as "folder/name"; the copies
// are found once per reading of the folder.
QStringList Program::copiesOf(int index)
{
    const Bookmarks &list = m_review->bookmarks();
    if (!list.isValidIndex(index))
        return {};
    if (!m_duplicates)
        m_duplicates = std::make_unique<exchange::DuplicateFinder>(list);
    QStringList names;
    for (const int copy : m_duplicates->copiesOf(index)) {
        if (!QFileInfo::exists(list.item(copy)->fileName))
            continue; // deleted meanwhile
        const QString folder = list.folderName(copy);
        names << (folder.isEmpty() ? QString() : folder + u'/') + list.displayName(copy);
    }
    return names;
}

void Program::showAll()
{
    if (!m_closing)
        m_arranger->showAll();
}

void Program::hideAll()
{
    m_arranger->hideAll();
}

void Program::removeBookmarkWindow(int row)
{
    m_arranger->removeWindow(m_arranger->bookmarkWindow(row));
}

void Program::sayFarewell(int row, DateTime nextDay)
{
    const QString text = nextDay > 0 ? fillPhrase(phrase("MsgAllDone"), {dateText(nextDay, false)})
                                     : phrase("MsgAllDoneNone");
    m_arranger->farewell(m_arranger->bookmarkWindow(row),
                         [this, text] { m_mainForm->showFarewell(text); });
}

bool Program::isMoving() const
{
    return m_arranger->isMoving();
}

void Program::whenStill(std::function<void()> work)
{
    m_arranger->whenStill(std::move(work));
}

void Program::clearShownWindows()
{
    m_arranger->clearAllShown();
}

// A "Refresh all" shows how far it got in the download page and the tray's hint; else the
// download page counts the shown rows that await their refresh.
RefreshProgress Program::shownProgress() const
{
    const RefreshProgress whole = m_review->wholeRefreshProgress();
    return whole.total > 0 ? whole : m_review->refreshProgress();
}

void Program::updateProgress()
{
    const RefreshProgress progress = shownProgress();
    m_mainForm->setProgress(progress.done, progress.total);
    const RefreshProgress whole = m_review->wholeRefreshProgress();
    m_tray.setHint(whole.total > 0
                       ? fillPhrase(phrase("HintRefreshing"),
                                    {QString::number(whole.done), QString::number(whole.total)})
                       : QStringLiteral("Favrake"));
}

void Program::showNetworkHint(const QString &text)
{
    m_mainForm->setToolTip(text);
}

// Errors come in the style of every other message, and never under the column.
void Program::showError(const QString &text)
{
    m_confirmDlg->showConfirm(Information, text, QString(), errorIcon, NoCancel);
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

void Program::favoritesRead()
{
    m_duplicates.reset();
    if (m_review)
        m_watcher.setFolders(m_review->bookmarks().folders(),
                             m_review->bookmarks().favoritesPath());
}

bool Program::activateLanguage(const QByteArray &name)
{
    Languages &lang = languages();
    const bool ok = lang.setCurrentLanguage(fromNarrow(name));
    settings.language = toNarrow(lang.currentLanguageName());
    if (ok) {
        lang.applyLanguage();
        QGuiApplication::setApplicationDisplayName(lang.applicationTexts().title);
        lang.translateForm(&m_mainForm->translatable(), "TBaseForm");
        lang.translateFloatingForms();
        m_review->updateView();
    }
    return ok;
}

bool Program::runFirstRun()
{
    return m_installDlg->runFirstRun();
}

void Program::showTray()
{
    m_trayMenu->buildLanguages();
    m_tray.setHint(QStringLiteral("Favrake"));
    m_tray.setIconVisible(true);
    followTrayHost(m_tray.hostAvailable());
}

// Without a notification area the main window must stay reachable: it keeps a taskbar
// entry and, hidden, stands in for the tray icon.
void Program::followTrayHost(bool available)
{
    m_mainForm->setTaskbarMode(!available);
}

void Program::createLanguageTemplate()
{
    const QString path = QDir::current().filePath(QStringLiteral("Template.lng"));
    const platform::FileWriteResult written = writeLanguageTemplate(path);
    if (written.ok())
        return;
    m_exitCode = 1;
    showError(QStringLiteral("The language template \"%1\" could not be written: %2.")
                  .arg(path, written.error));
}

void Program::instanceStarted(const QStringList &params,
                              const std::shared_ptr<platform::InstanceReply> &reply)
{
    raiseDialogs();
    if (params.value(0) == u"/UNINSTALL") {
        m_uninstallReplies.push_back(reply);
        if (!settings.installed && m_installDlg->isVisible())
            m_installDlg->reject(); // the welcome dialog counts as declined
    } else {
        reply->answer(0);
    }
    whenStill([this, params, reply] { secondStart(params, *reply); });
}

// Shows hidden windows, or uninstalls; a copy that waits for that hears why it takes long.
void Program::secondStart(const QStringList &params, platform::InstanceReply &reply)
{
    if (isMainVisible())
        raiseWindows();
    switch (m_review->takeSecondStart(params)) {
    case StartOutcome::Taken:
        break;
    case StartOutcome::WaitsForAction:
        reply.notify(QStringLiteral("Favrake uninstalls once the question it shows now is "
                                    "answered."));
        break;
    case StartOutcome::Refused:
        answerUninstall(1, QStringLiteral("Favrake was closing and did not uninstall; start the "
                                          "uninstall again."));
        break;
    }
}

void Program::raiseWindows()
{
    for (int slot = 5; slot >= -1; --slot)
        if (m_arranger->slotMarked(slot))
            m_arranger->windowAt(slot)->raise();
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

// Whoever started the uninstall reads what it removed, and learns from the exit status
// whether every file is clean.
void Program::uninstalled(const UninstallReport &report)
{
    const QString text = uninstallText(report);
    if (!report.complete())
        m_exitCode = 1;
    if (m_uninstallReplies.empty())
        QTextStream(report.complete() ? stdout : stderr) << text << '\n';
    answerUninstall(m_exitCode, text);
}

void Program::answerUninstall(int exitStatus, const QString &text)
{
    for (const std::shared_ptr<platform::InstanceReply> &reply : m_uninstallReplies)
        reply->answer(exitStatus, text);
    m_uninstallReplies.clear();
}

void Program::closeMainWindow()
{
    if (m_closing)
        return;
    m_closing = true;
    m_arranger->stop();
    m_tray.setIconVisible(false);
    for (int slot = -1; slot <= 5; ++slot)
        if (BaseForm *window = m_arranger->windowAt(slot))
            window->hide();
    QTimer::singleShot(0, qApp, [code = m_exitCode] { QCoreApplication::exit(code); });
}
