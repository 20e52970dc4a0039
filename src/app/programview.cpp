#include "programview.h"

#include "arranger.h"
#include "bookmarkform.h"
#include "brokenlinkswindow.h"
#include "config/installdlg.h"
#include "config/settings.h"
#include "config/uninstall.h"
#include "exchange/duplicates.h"
#include "lang/confirmdlg.h"
#include "lang/confirmicons.h"
#include "lang/languages.h"
#include "lang/template.h"
#include "mainform.h"
#include "platform/folderwatcher.h"
#include "platform/singleinstance.h"
#include "platform/trayicon.h"
#include "review.h"
#include "store/textutil.h"
#include "traymenu.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>
#include <QTimer>

ProgramView::ProgramView(const Parts &parts) : m_parts(parts) {}

ProgramView::~ProgramView() = default;

void ProgramView::show(Review &review)
{
    m_review = &review;
    favoritesRead();
    QObject::connect(&m_parts.main, &MainForm::brokenLinksAsked, &m_parts.main,
                     [this] { showBrokenLinks(); });
}

void ProgramView::showBrokenLinks()
{
    if (!m_brokenLinks)
        m_brokenLinks = std::make_unique<BrokenLinksWindow>(*m_review);
    m_brokenLinks->showRaised();
}

// The open broken-links window follows every stored result, action and reading.
void ProgramView::updateBrokenLinks()
{
    if (m_brokenLinks && m_brokenLinks->isVisible() && !m_closing)
        m_brokenLinks->reload();
}

bool ProgramView::isMainVisible() const
{
    return m_parts.main.isShowing() && !m_parts.main.standsIn() && !m_closing;
}

void ProgramView::updateView()
{
    if (!m_review)
        return; // the review renders itself once it is built
    updateBrokenLinks();
    MainViewData data;
    data.bookmarks = &m_review->bookmarks();
    data.rows = m_review->rows().entries();
    data.anyShownAwaitsRefresh = m_review->chooser().anyShownAwaitsRefresh();
    data.pocketView = settings.pocketView;
    data.refreshOff = settings.noNetAccess;
    data.folderPath = m_review->bookmarks().favoritesPath();
    data.folderMissing = !QFileInfo(data.folderPath).isDir();
    const RefreshProgress progress = shownProgress();
    std::tie(data.refreshedRows, data.awaitedRows) = std::tuple(progress.done, progress.total);
    switch (m_parts.main.showView(data)) {
    case MainView::BookmarkWindows:
        showBookmarkWindows();
        break;
    case MainView::Pocket:
        m_parts.arranger.clearAllShown();
        break;
    case MainView::Information:
    case MainView::Download:
        break;
    }
}

void ProgramView::showBookmarkWindows()
{
    const ReviewRows &rows = m_review->rows();
    for (int row = 0; row < ReviewRows::count; ++row) {
        BookmarkForm *window = m_parts.arranger.bookmarkWindow(row);
        window->setEntry(&m_review->bookmarks(), rows.entryAt(row));
        window->setCopies(copiesOf(rows.entryAt(row)));
        window->updateView();
        m_parts.arranger.setShown(row, rows.entryAt(row) >= 0);
    }
    m_parts.arranger.arrange();
    for (int row = 0; row < ReviewRows::count; ++row)
        if (!m_parts.arranger.isShown(row))
            m_review->rows().drop(row); // no room on the screen: not shown after all
}

// The other files of the same bookmark that are still there, as "folder/name"; the copies
// are found once per reading of the folder.
QStringList ProgramView::copiesOf(int index)
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

void ProgramView::updateShownTexts()
{
    for (int row = 0; row < ReviewRows::count; ++row)
        if (m_parts.arranger.isShown(row))
            m_parts.arranger.bookmarkWindow(row)->updateView();
    updateBrokenLinks();
    m_parts.arranger.whenStill([this] { m_parts.arranger.arrange(); });
}

void ProgramView::showAll()
{
    if (!m_closing)
        m_parts.arranger.showAll();
}

void ProgramView::hideAll()
{
    m_parts.arranger.hideAll();
    m_parts.main.showRefreshSummary(QString()); // said once, while the column was shown
}

void ProgramView::removeBookmarkWindow(int row)
{
    m_parts.arranger.removeWindow(m_parts.arranger.bookmarkWindow(row));
}

void ProgramView::sayFarewell(int row, DateTime nextDay)
{
    const Languages &language = m_parts.languages;
    const QString text = nextDay > 0 ? fillPhrase(phrase(language, "MsgAllDone"),
                                                  {dateText(language, nextDay, false)})
                                     : phrase(language, "MsgAllDoneNone");
    m_parts.arranger.farewell(m_parts.arranger.bookmarkWindow(row),
                              [this, text] { m_parts.main.showFarewell(text); });
}

bool ProgramView::isMoving() const
{
    return m_parts.arranger.isMoving();
}

void ProgramView::whenStill(std::function<void()> work)
{
    m_parts.arranger.whenStill(std::move(work));
}

void ProgramView::clearShownWindows()
{
    m_parts.arranger.clearAllShown();
}

// A "Refresh all" shows how far it got in the download page and the tray's hint; else the
// download page counts the shown rows that await their refresh.
RefreshProgress ProgramView::shownProgress() const
{
    const RefreshProgress whole = m_review->refresh().wholeProgress();
    return whole.total > 0 ? whole : m_review->chooser().refreshProgress();
}

void ProgramView::updateProgress()
{
    const RefreshProgress progress = shownProgress();
    m_parts.main.setProgress(progress.done, progress.total);
    const RefreshProgress whole = m_review->refresh().wholeProgress();
    m_parts.main.setRefreshProgress(whole.done, whole.total);
    m_parts.tray.setHint(
        whole.total > 0 ? fillPhrase(phrase(m_parts.languages, "HintRefreshing"),
                                     {QString::number(whole.done), QString::number(whole.total)})
                        : QStringLiteral("Favrake"));
    updateBrokenLinks();
}

void ProgramView::showNetworkHint(const QString &text)
{
    m_parts.main.setToolTip(text);
}

// Errors come in the style of every other message, and never under the column.
void ProgramView::showError(const QString &text)
{
    m_parts.confirm.showConfirm(Information, text, QString(), errorIcon, NoCancel);
}

void ProgramView::showRefreshSummary(const QString &text)
{
    if (!isMainVisible()) {
        m_parts.tray.showMessage(text);
        return;
    }
    m_parts.main.showRefreshSummary(text);
    m_parts.arranger.arrange();
}

void ProgramView::favoritesRead()
{
    m_duplicates.reset();
    if (m_review)
        m_parts.watcher.setFolders(m_review->bookmarks().folders(),
                                   m_review->bookmarks().favoritesPath());
    updateBrokenLinks();
}

bool ProgramView::activateLanguage(const QByteArray &name)
{
    Languages &language = m_parts.languages;
    const bool ok = language.setCurrentLanguage(fromNarrow(name));
    settings.language = toNarrow(language.currentLanguageName());
    if (ok) {
        language.applyLanguage(m_parts.forms);
        QGuiApplication::setApplicationDisplayName(language.applicationTexts().title);
        language.translateForm(&m_parts.main.translatable(), "TBaseForm");
        language.translateFloatingForms(m_parts.forms);
        m_review->chooser().updateView();
        if (m_brokenLinks)
            m_brokenLinks->translate();
        updateBrokenLinks();
    }
    return ok;
}

bool ProgramView::runFirstRun()
{
    const bool installed = m_parts.install.runFirstRun();
    if (!installed)
        disableSaving();
    return installed;
}

void ProgramView::showTray()
{
    m_parts.trayMenu.buildLanguages();
    m_parts.tray.setHint(QStringLiteral("Favrake"));
    m_parts.tray.setIconVisible(true);
    followTrayHost(m_parts.tray.hostAvailable());
}

void ProgramView::followTrayHost(bool available)
{
    m_parts.main.setTaskbarMode(!available);
}

void ProgramView::createLanguageTemplate()
{
    const QString path = QDir::current().filePath(QStringLiteral("Template.lng"));
    const platform::FileWriteResult written =
        writeLanguageTemplate(path, m_parts.languages, m_parts.forms);
    if (written.ok())
        return;
    m_exitCode = 1;
    showError(QStringLiteral("The language template \"%1\" could not be written: %2.")
                  .arg(path, written.error));
}

void ProgramView::raiseWindows()
{
    for (int slot = 5; slot >= -1; --slot)
        if (m_parts.arranger.slotMarked(slot))
            m_parts.arranger.windowAt(slot)->raise();
}

void ProgramView::awaitUninstall(std::shared_ptr<platform::InstanceReply> reply)
{
    m_uninstallReplies.push_back(std::move(reply));
}

// Whoever started the uninstall reads what it removed, and learns from the exit status
// whether every file is clean.
void ProgramView::uninstalled(const UninstallReport &report)
{
    const QString text = uninstallText(report);
    if (!report.complete())
        m_exitCode = 1;
    if (m_uninstallReplies.empty())
        QTextStream(report.complete() ? stdout : stderr) << text << '\n';
    answerUninstall(m_exitCode, text);
}

void ProgramView::answerUninstall(int exitStatus, const QString &text)
{
    for (const std::shared_ptr<platform::InstanceReply> &reply : m_uninstallReplies)
        reply->answer(exitStatus, text);
    m_uninstallReplies.clear();
}

void ProgramView::closeMainWindow()
{
    if (m_closing)
        return;
    m_closing = true;
    m_parts.arranger.stop();
    m_parts.tray.setIconVisible(false);
    for (int slot = -1; slot <= 5; ++slot)
        if (BaseForm *window = m_parts.arranger.windowAt(slot))
            window->hide();
    QTimer::singleShot(0, qApp, [code = m_exitCode] { QCoreApplication::exit(code); });
}

void ProgramView::keepSelectionMode(int mode)
{
    settings.selectionMode = mode;
}
