#include "program.h"

#include "arranger.h"
#include "bookmarkform.h"
#include "collectioncommands.h"
#include "config/aboutdlg.h"
#include "config/configdlg.h"
#include "config/installdlg.h"
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

TProgram::TProgram(const QStringList &arguments, platform::TTrayIcon::HostProbe trayHost)
    : m_icon(ProgramIcon()), m_mainForm(std::make_unique<TMainForm>()),
      m_arranger(std::make_unique<TWindowArranger>(m_mainForm.get())),
      m_installDlg(std::make_unique<TInstallDlg>(m_icon)),
      m_confirmDlg(std::make_unique<TConfirmDlg>(nullptr, [this] { return DialogSpot(); })),
      m_configDlg(std::make_unique<TConfigDlg>(QCoreApplication::applicationFilePath())),
      m_aboutDlg(std::make_unique<TAboutDlg>(m_icon)), m_tray(this, std::move(trayHost)),
      m_timer([this] { m_review->tick(); })
{
    QApplication::setWindowIcon(m_icon);
    m_collection = new TCollectionCommands(*m_confirmDlg, this);
    m_installDlg->SetOffers(WelcomeOffers());
    BuildTrayMenu();
    m_review = std::make_unique<TReview>(FavoritesFolderInUse(),
                                         TReviewSeams{.Now = NowDateTime,
                                                      .Timer = m_timer,
                                                      .Confirmer = *m_confirmDlg,
                                                      .Opener = m_opener,
                                                      .Trash = m_trash,
                                                      .View = *this,
                                                      .Host = *this,
                                                      .Downloader = MakeDownloader()},
                                         arguments);
    FavoritesRead();
    ConnectWindows();
}

TProgram::~TProgram()
{
    if (m_review)
        m_review->Shutdown();
}

void TProgram::ConnectWindows()
{
    TMainForm *main = m_mainForm.get();
    connect(main, &TMainForm::entryActionRequested, this,
            [this](int row, int tag) { m_review->actOnEntry(row, tag); });
    connect(main, &TMainForm::entryOpenRequested, this,
            [this](int row) { m_review->openEntry(row); });
    connect(main, &TMainForm::hideRequested, this, &TProgram::askToHide);
    connect(main, &TMainForm::showPutBackRequested, this,
            [this] { m_review->showPutBackBookmarks(); });
    connect(main, &TMainForm::chooseFolderRequested, m_collection,
            &TCollectionCommands::ChooseFolder);
    connect(main, &TMainForm::importRequested, m_collection, &TCollectionCommands::PopupImportMenu);
    connect(m_collection, &TCollectionCommands::collectionChanged, this,
            [this] { m_review->ChangeFavorites(FavoritesFolderInUse()); });
    connect(main, &TMainForm::windowMenuRequested, this,
            [this](const QPoint &at) { m_trayMenu->Menu()->popup(at); });
    connect(main, &TBaseForm::helpRequested, this, &TProgram::OpenHelp);
    // Without a tray the title window stands in for the icon, in the corner at the panel.
    connect(main, &TMainForm::standingIn, this, [this] { m_arranger->PlaceMainAlone(); });
    connect(main, &TMainForm::standInClicked, this, [this] { answerTrayClick(Qt::LeftButton); });
    for (int row = 0; row < TReview::RowCount; ++row) {
        TBookmarkForm *window = m_arranger->BookmarkWindow(row);
        connect(window, &TBookmarkForm::actionRequested, this,
                [this, row](int tag) { m_review->actInBookmarkWindow(row, tag); });
        connect(window, &TBookmarkForm::openRequested, this,
                [this, row] { m_review->openEntry(row); });
        connect(window, &TBaseForm::helpRequested, this, &TProgram::OpenHelp);
    }
    TSpeedForm *speed = m_arranger->SpeedWindow();
    connect(speed, &TSpeedForm::commandRequested, this, &TProgram::SpeedCommand);
    connect(speed, &TBaseForm::helpRequested, this, &TProgram::OpenHelp);
    connect(&m_tray, &platform::TTrayIcon::MouseDown, this, &TProgram::answerTrayClick);
    connect(&m_tray, &platform::TTrayIcon::HostChanged, this, &TProgram::followTrayHost);
    connect(&m_watcher, &platform::TFolderWatcher::Changed, this,
            [this](const QString &folder) { m_review->FolderChanged(folder); });
    connect(m_configDlg.get(), &TConfigDlg::RearrangeWindowsRequested, this,
            &TProgram::RearrangeWindows);
    connect(m_configDlg.get(), &TConfigDlg::helpRequested, this, &TProgram::OpenHelp);
    connect(m_configDlg.get(), &TConfigDlg::FavoritesFolderChanged, this,
            [this] { m_review->ChangeFavorites(FavoritesFolderInUse()); });
    qApp->installEventFilter(this); // the hints setting decides on every tool tip
    connect(&m_quitSignals, &platform::TQuitSignals::QuitRequested, this,
            &TProgram::QuitRequestedBySignal);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &TProgram::QuitRequestedBySignal);
    FollowScreens();
}

// A panel that takes its room after the start (as at login), a new or lost screen: the
// column moves so that it never covers a panel.
void TProgram::FollowScreens()
{
    const auto follow = [this](const QScreen *screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, &TProgram::RearrangeWindows);
        connect(screen, &QScreen::geometryChanged, this, &TProgram::RearrangeWindows);
    };
    for (const QScreen *screen : QGuiApplication::screens())
        follow(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, follow](const QScreen *screen) {
        follow(screen);
        RearrangeWindows();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, &TProgram::RearrangeWindows);
}

bool TProgram::IsMainVisible() const
{
    return m_mainForm->IsShowing() && !m_mainForm->StandsIn() && !m_closing;
}

void TProgram::UpdateView()
{
    if (!m_review)
        return; // the review renders itself once it is built
    TMainViewData data;
    data.Bookmarks = &m_review->Bookmarks();
    data.Rows = m_review->Entries();
    data.AnyShownAwaitsRefresh = m_review->AnyShownAwaitsRefresh();
    data.PocketView = Settings.PocketView;
    data.FolderPath = m_review->Bookmarks().FavoritesPath();
    data.FolderMissing = !QFileInfo(data.FolderPath).isDir();
    const TRefreshProgress progress = ShownProgress();
    std::tie(data.RefreshedRows, data.AwaitedRows) = std::tuple(progress.Done, progress.Total);
    switch (m_mainForm->UpdateView(data)) {
    case TMainView::BookmarkWindows:
        ShowBookmarkWindows();
        break;
    case TMainView::Pocket:
        m_arranger->ClearAllShown();
        break;
    case TMainView::Information:
    case TMainView::Download:
        break;
    }
}

void TProgram::ShowBookmarkWindows()
{
    for (int row = 0; row < TReview::RowCount; ++row) {
        TBookmarkForm *window = m_arranger->BookmarkWindow(row);
        window->SetEntry(&m_review->Bookmarks(), m_review->EntryAt(row));
        window->SetCopies(CopiesOf(m_review->EntryAt(row)));
        window->UpdateView();
        m_arranger->SetShown(row, m_review->EntryAt(row) >= 0);
    }
    m_arranger->Arrange();
    for (int row = 0; row < TReview::RowCount; ++row)
        if (!m_arranger->IsShown(row))
            m_review->DropRow(row); // no room on the screen: not shown after all
}

// The other files of the same bookmark that are still there, as "folder/name"; the copies
// are found once per reading of the folder.
QStringList TProgram::CopiesOf(int index)
{
    const TBookmarks &list = m_review->Bookmarks();
    if (!list.IsValidIndex(index))
        return {};
    if (!m_duplicates)
        m_duplicates = std::make_unique<exchange::DuplicateFinder>(list);
    QStringList names;
    for (const int copy : m_duplicates->copiesOf(index)) {
        if (!QFileInfo::exists(list.Item(copy)->FileName))
            continue; // deleted meanwhile
        const QString folder = list.FolderName(copy);
        names << (folder.isEmpty() ? QString() : folder + u'/') + list.DisplayName(copy);
    }
    return names;
}

void TProgram::ShowAll()
{
    if (!m_closing)
        m_arranger->ShowAll();
}

void TProgram::HideAll()
{
    m_arranger->HideAll();
}

void TProgram::RemoveBookmarkWindow(int row)
{
    m_arranger->RemoveWindow(m_arranger->BookmarkWindow(row));
}

void TProgram::SayFarewell(int row, TDateTime nextDay)
{
    const QString text = nextDay > 0 ? FillPhrase(Phrase("MsgAllDone"), {DateText(nextDay, false)})
                                     : Phrase("MsgAllDoneNone");
    m_arranger->Farewell(m_arranger->BookmarkWindow(row),
                         [this, text] { m_mainForm->ShowFarewell(text); });
}

bool TProgram::IsMoving() const
{
    return m_arranger->IsMoving();
}

void TProgram::WhenStill(std::function<void()> work)
{
    m_arranger->WhenStill(std::move(work));
}

void TProgram::ClearShownWindows()
{
    m_arranger->ClearAllShown();
}

// A "Refresh all" shows how far it got in the download page and the tray's hint; else the
// download page counts the shown rows that await their refresh.
TRefreshProgress TProgram::ShownProgress() const
{
    const TRefreshProgress whole = m_review->WholeRefreshProgress();
    return whole.Total > 0 ? whole : m_review->RefreshProgress();
}

void TProgram::UpdateProgress()
{
    const TRefreshProgress progress = ShownProgress();
    m_mainForm->SetProgress(progress.Done, progress.Total);
    const TRefreshProgress whole = m_review->WholeRefreshProgress();
    m_tray.SetHint(whole.Total > 0
                       ? FillPhrase(Phrase("HintRefreshing"),
                                    {QString::number(whole.Done), QString::number(whole.Total)})
                       : QStringLiteral("Favrake"));
}

void TProgram::ShowNetworkHint(const QString &text)
{
    m_mainForm->setToolTip(text);
}

// Errors come in the style of every other message, and never under the column.
void TProgram::ShowError(const QString &text)
{
    m_confirmDlg->ShowConfirm(Information, text, QString(), ErrorIcon, NoCancel);
}

// While the collection is empty the welcome dialog offers the browsers found and another
// folder; what it brings in is read once the welcome has ended.
TWelcomeOffers TProgram::WelcomeOffers()
{
    TWelcomeOffers offers;
    offers.Browsers = [this] {
        QStringList found;
        for (int i = 0; i < int(m_collection->Browsers().size()); ++i)
            found << m_collection->BrowserOffer(i);
        return found;
    };
    offers.Import = [this](int i) { return m_collection->ImportBrowser(i); };
    offers.ChooseFolder = [this] { m_collection->ChooseFolder(); };
    return offers;
}

TScreenSpot TProgram::DialogSpot() const
{
    return {QCursor::pos(), platform::screenUnderCursor().Work, m_arranger->ColumnArea()};
}

void TProgram::FavoritesRead()
{
    m_duplicates.reset();
    if (m_review)
        m_watcher.SetFolders(m_review->Bookmarks().Folders(),
                             m_review->Bookmarks().FavoritesPath());
}

bool TProgram::ActivateLanguage(const QByteArray &name)
{
    TLanguages &languages = Languages();
    const bool ok = languages.SetCurrentLanguage(FromNarrow(name));
    Settings.Language = ToNarrow(languages.CurrentLanguageName());
    if (ok) {
        languages.ApplyLanguage();
        QGuiApplication::setApplicationDisplayName(languages.ApplicationTexts().Title);
        languages.TranslateForm(&m_mainForm->Translatable(), "TBaseForm");
        languages.TranslateFloatingForms();
        m_review->UpdateView();
    }
    return ok;
}

bool TProgram::RunFirstRun()
{
    return m_installDlg->RunFirstRun();
}

void TProgram::ShowTray()
{
    m_trayMenu->BuildLanguages();
    m_tray.SetHint(QStringLiteral("Favrake"));
    m_tray.SetIconVisible(true);
    followTrayHost(m_tray.HostAvailable());
}

// Without a notification area the main window must stay reachable: it keeps a taskbar
// entry and, hidden, stands in for the tray icon.
void TProgram::followTrayHost(bool available)
{
    m_mainForm->SetTaskbarMode(!available);
}

void TProgram::CreateLanguageTemplate()
{
    const QString path = QDir::current().filePath(QStringLiteral("Template.lng"));
    const platform::FileWriteResult written = WriteLanguageTemplate(path);
    if (written.ok())
        return;
    m_exitCode = 1;
    ShowError(QStringLiteral("The language template \"%1\" could not be written: %2.")
                  .arg(path, written.error));
}

void TProgram::InstanceStarted(const QStringList &params,
                               const std::shared_ptr<platform::TInstanceReply> &reply)
{
    RaiseDialogs();
    if (params.value(0) == u"/UNINSTALL") {
        m_uninstallReplies.push_back(reply);
        if (!Settings.Installed && m_installDlg->isVisible())
            m_installDlg->reject(); // the welcome dialog counts as declined
    } else {
        reply->Answer(0);
    }
    WhenStill([this, params, reply] { SecondStart(params, *reply); });
}

// Shows hidden windows, or uninstalls; a copy that waits for that hears why it takes long.
void TProgram::SecondStart(const QStringList &params, platform::TInstanceReply &reply)
{
    if (IsMainVisible())
        RaiseWindows();
    switch (m_review->takeSecondStart(params)) {
    case TStartOutcome::Taken:
        break;
    case TStartOutcome::WaitsForAction:
        reply.Notify(QStringLiteral("Favrake uninstalls once the question it shows now is "
                                    "answered."));
        break;
    case TStartOutcome::Refused:
        AnswerUninstall(1, QStringLiteral("Favrake was closing and did not uninstall; start the "
                                          "uninstall again."));
        break;
    }
}

void TProgram::RaiseWindows()
{
    for (int slot = 5; slot >= -1; --slot)
        if (m_arranger->SlotMarked(slot))
            m_arranger->Window(slot)->raise();
}

// The question in front of all, as the one the user must answer first.
void TProgram::RaiseDialogs()
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
void TProgram::Uninstalled(const TUninstallReport &report)
{
    const QString text = UninstallText(report);
    if (!report.Complete())
        m_exitCode = 1;
    if (m_uninstallReplies.empty())
        QTextStream(report.Complete() ? stdout : stderr) << text << '\n';
    AnswerUninstall(m_exitCode, text);
}

void TProgram::AnswerUninstall(int exitStatus, const QString &text)
{
    for (const std::shared_ptr<platform::TInstanceReply> &reply : m_uninstallReplies)
        reply->Answer(exitStatus, text);
    m_uninstallReplies.clear();
}

void TProgram::CloseMainWindow()
{
    if (m_closing)
        return;
    m_closing = true;
    m_arranger->Stop();
    m_tray.SetIconVisible(false);
    for (int slot = -1; slot <= 5; ++slot)
        if (TBaseForm *window = m_arranger->Window(slot))
            window->hide();
    QTimer::singleShot(0, qApp, [code = m_exitCode] { QCoreApplication::exit(code); });
}
