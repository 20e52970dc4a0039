#include "review.h"

#include "config/settings.h"
#include "config/uninstall.h"
#include "lang/confirm.h"
#include "lang/phrases.h"
#include "refresh/engine.h"
#include "store/bookmarks.h"

#include <algorithm>

namespace {
BookmarksEnv listEnv(const Clock &now, const platform::FileWriteOps *writeOps)
{
    BookmarksEnv env;
    env.now = now;
    env.intervals = settingsIntervals;
    if (writeOps)
        env.writeOps = writeOps;
    return env;
}

// Every start shows other "random" bookmarks.
uint32_t clockSeed(DateTime now)
{
    const uint64_t bits = dateTimeBits(now);
    return uint32_t(bits ^ (bits >> 32));
}
} // namespace

Review::Review(const QString &favoritesPath, ReviewSeams seams, const QStringList &arguments)
    : m_now(seams.now ? seams.now : Clock(nowDateTime)), m_timer(seams.timer),
      m_confirmer(seams.confirmer), m_opener(seams.opener), m_trash(seams.trash),
      m_view(seams.view), m_host(seams.host), m_arguments(arguments),
      m_randomSeed(seams.randomSeed.value_or(clockSeed(m_now())))
{
    // Nothing that waits for the end of an action may run while the start is half done.
    m_actionDepth = 1;
    m_bookmarks = std::make_unique<Bookmarks>(favoritesPath, listEnv(m_now, seams.writeOps));
    m_folderNames.take(*m_bookmarks);
    m_engine = std::make_unique<RefreshEngine>(std::move(seams.downloader), m_now);
    m_entries.fill(-1);
    selectEntries(true);
    m_awaitingRefresh = anyShownAwaitsRefresh();
    endAction();
    // The first tick completes the start as soon as the message loop runs.
    m_timer.start(1);
}

// The engine lets its worker go; the seams may already be gone.
Review::~Review() = default;

int Review::entryAt(int row) const
{
    return row >= 0 && row < rowCount ? m_entries[size_t(row)] : -1;
}

void Review::dropRow(int row)
{
    if (row >= 0 && row < rowCount)
        m_entries[size_t(row)] = -1;
}

bool Review::completeStartup()
{
    m_timer.stop();
    if (!m_arguments.isEmpty()) {
        // Any parameter ends the program after its work; the switches are case-sensitive.
        if (m_arguments.first() == u"/UNINSTALL")
            uninstallCleanup();
        else if (m_arguments.first() == u"/CREATELNG")
            m_host.createLanguageTemplate();
        requestClose();
        return false;
    }
    m_host.activateLanguage(settings.language);
    // The first-run dialog runs a message loop: what arrives meanwhile waits for its end,
    // a close too, which must not save the settings of a declined start.
    beginAction();
    const bool installed = settings.installed || m_host.runFirstRun();
    if (!installed)
        disableSaving();
    endAction();
    if (m_closed)
        return false;
    if (!installed) {
        requestClose();
        return false;
    }
    m_engine->initDownloader();
    m_host.showTray();
    m_lastTick = 1.0;
    startTimer();
    return true;
}

void Review::folderChanged(const QString &folder)
{
    if (m_folderNames.changed(folder) || anyShownRowChanged())
        m_folderChanged = true;
    if (m_folderChanged && m_bookmarks->count() == 0)
        whenIdle([this] { readEmptyCollection(); });
}

void Review::readEmptyCollection()
{
    if (m_bookmarks->count() > 0 || !m_folderChanged)
        return;
    readFavorites();
    if (m_bookmarks->count() == 0)
        updateView(); // the information page tells what the folder holds now
    else
        showFirstEntries();
}

// A collection read anew from the start: its first entries come up.
void Review::showFirstEntries()
{
    if (m_view.isMainVisible())
        m_view.hideAll();
    selectEntries(true);
    m_awaitingRefresh = anyShownAwaitsRefresh();
    showNext();
}

void Review::changeFavorites(const QString &path)
{
    if (!isIdle()) {
        whenIdle([this, path] { changeFavorites(path); });
        return;
    }
    readFavorites(path);
    showFirstEntries();
}

// Favrake never changes an address: a shown bookmark that no longer holds its own was
// changed by someone else.
bool Review::anyShownRowChanged() const
{
    return std::ranges::any_of(m_entries, [this](int index) {
        return m_bookmarks->isValidIndex(index) && !m_bookmarks->isUnchanged(index);
    });
}

void Review::cancelDownload()
{
    if (m_engine->isDownloading())
        m_engine->abortDownload();
}

void Review::updateView()
{
    if (anyShownAwaitsRefresh())
        m_awaitingRefresh = true; // the download page is what the user sees now
    m_view.updateView();
    bool displayable = false;
    for (int row = 0; row < rowCount; ++row)
        displayable = displayable || isRowDisplayable(row);
    // Otherwise a later ShowAll would bring back windows of bookmarks already handled.
    if (!displayable)
        m_view.clearShownWindows();
}

StartOutcome Review::takeSecondStart(const QStringList &params)
{
    if (m_closed)
        return StartOutcome::Refused;
    if (!isIdle()) {
        const bool asking = m_actionDepth > 0;
        whenIdle([this, params] { takeSecondStart(params); });
        return asking ? StartOutcome::WaitsForAction : StartOutcome::Taken;
    }
    if (!params.isEmpty() && params.first() == u"/UNINSTALL") {
        m_timer.stop();
        uninstallCleanup();
        requestClose();
    } else if (m_timer.isActive() && !m_view.isMainVisible()) {
        showNext();
    }
    return StartOutcome::Taken;
}

void Review::askToQuit()
{
    beginAction();
    if (m_confirmer.showConfirm(Confirmation, phrase("MsgQuit"), QStringLiteral("Quit"), 9, YesNo))
        requestClose();
    endAction();
}

void Review::requestClose()
{
    if (m_closed)
        return;
    if (!isIdle()) {
        whenIdle([this] { requestClose(); });
        return;
    }
    closeNow();
}

void Review::closeNow()
{
    shutdown();
    m_host.closeMainWindow();
}

void Review::shutdown()
{
    m_closed = true;
    m_waiting.clear();
    m_timer.stop();
    m_engine->doneDownloader();
}

void Review::uninstallCleanup()
{
    // The program closes next: the rows need no care.
    m_host.uninstalled(::uninstallCleanup(*m_bookmarks));
}

void Review::showPutBackBookmarks()
{
    beginAction();
    if (m_confirmer.showConfirm(Confirmation, phrase("MsgPutBack"), QStringLiteral("PutBack"), 11,
                                0)) {
        m_view.hideAll();
        m_bookmarks->putBackAll();
        showNext(); // runs when this action has ended
    }
    endAction();
}

void Review::changeSelectionMode(int mode)
{
    if (!isIdle()) {
        whenIdle([this, mode] { changeSelectionMode(mode); });
        return;
    }
    settings.selectionMode = mode;
    selectEntries(false);
    updateView();
    m_view.showAll();
}

void Review::refreshAll()
{
    beginAction();
    if (m_confirmer.showConfirm(Confirmation, phrase("MsgRefresh"), QStringLiteral("Refresh"), 12,
                                0)) {
        // The download page shows how far the refresh got, and the tray tells it too.
        whenIdle([this] {
            m_view.hideAll();
            cancelDownload();
            m_bookmarks->refreshAll();
            m_wholeRefresh = settings.noNetAccess ? 0 : m_bookmarks->refreshDueCount();
            selectEntries(true);
            m_view.clearShownWindows();
            m_awaitingRefresh = anyShownAwaitsRefresh();
            m_lastShown = 0;
            showNext();
        });
    }
    endAction();
}

void Review::beginAction()
{
    ++m_actionDepth;
}

void Review::endAction()
{
    if (m_actionDepth > 0)
        --m_actionDepth;
    if (m_actionDepth == 0)
        runWaitingWork();
}

bool Review::isIdle() const
{
    return m_actionDepth == 0 && !m_view.isMoving();
}

// A fade or slide under way is waited for as well: the windows must not change under it.
void Review::whenIdle(std::function<void()> work)
{
    if (m_closed)
        return;
    if (m_actionDepth > 0)
        m_waiting.push_back(std::move(work));
    else if (m_view.isMoving())
        m_view.whenStill([this, work = std::move(work)] { whenIdle(work); });
    else
        work();
}

void Review::runWaitingWork()
{
    // Each piece may close the program, which drops the rest, or start a fade, which the
    // rest then waits for in turn.
    while (!m_waiting.empty() && m_actionDepth == 0 && !m_closed) {
        std::function<void()> work = std::move(m_waiting.front());
        m_waiting.erase(m_waiting.begin());
        whenIdle(std::move(work));
    }
}
