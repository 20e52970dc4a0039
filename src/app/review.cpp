#include "review.h"

#include "config/settings.h"
#include "config/uninstall.h"
#include "lang/confirm.h"
#include "lang/phrases.h"
#include "refresh/engine.h"
#include "store/bookmarks.h"

#include <algorithm>

namespace {
TBookmarksEnv ListEnv(const Clock &now, const platform::FileWriteOps *writeOps)
{
    TBookmarksEnv env;
    env.Now = now;
    env.Intervals = SettingsIntervals;
    if (writeOps)
        env.WriteOps = writeOps;
    return env;
}

// Every start shows other "random" bookmarks.
uint32_t ClockSeed(TDateTime now)
{
    const uint64_t bits = DateTimeBits(now);
    return uint32_t(bits ^ (bits >> 32));
}
} // namespace

TReview::TReview(const QString &favoritesPath, TReviewSeams seams, const QStringList &arguments)
    : m_now(seams.Now ? seams.Now : Clock(NowDateTime)), m_timer(seams.Timer),
      m_confirmer(seams.Confirmer), m_opener(seams.Opener), m_trash(seams.Trash),
      m_view(seams.View), m_host(seams.Host), m_arguments(arguments),
      m_randomSeed(seams.RandomSeed.value_or(ClockSeed(m_now())))
{
    // Nothing that waits for the end of an action may run while the start is half done.
    m_actionDepth = 1;
    m_bookmarks = std::make_unique<TBookmarks>(favoritesPath, ListEnv(m_now, seams.WriteOps));
    m_folderNames.Take(*m_bookmarks);
    m_engine = std::make_unique<TRefreshEngine>(std::move(seams.Downloader), m_now);
    m_entries.fill(-1);
    SelectEntries(true);
    m_awaitingRefresh = AnyShownAwaitsRefresh();
    EndAction();
    // The first tick completes the start as soon as the message loop runs.
    m_timer.Start(1);
}

// The engine lets its worker go; the seams may already be gone.
TReview::~TReview() = default;

int TReview::EntryAt(int row) const
{
    return row >= 0 && row < RowCount ? m_entries[size_t(row)] : -1;
}

void TReview::DropRow(int row)
{
    if (row >= 0 && row < RowCount)
        m_entries[size_t(row)] = -1;
}

bool TReview::CompleteStartup()
{
    m_timer.Stop();
    if (!m_arguments.isEmpty()) {
        // Any parameter ends the program after its work; the switches are case-sensitive.
        if (m_arguments.first() == u"/UNINSTALL")
            UninstallCleanup();
        else if (m_arguments.first() == u"/CREATELNG")
            m_host.CreateLanguageTemplate();
        RequestClose();
        return false;
    }
    m_host.ActivateLanguage(Settings.Language);
    // The first-run dialog runs a message loop: what arrives meanwhile waits for its end,
    // a close too, which must not save the settings of a declined start.
    BeginAction();
    const bool installed = Settings.Installed || m_host.RunFirstRun();
    if (!installed)
        DisableSaving();
    EndAction();
    if (m_closed)
        return false;
    if (!installed) {
        RequestClose();
        return false;
    }
    m_engine->InitDownloader();
    m_host.ShowTray();
    m_lastTick = 1.0;
    StartTimer();
    return true;
}

void TReview::FolderChanged(const QString &folder)
{
    if (m_folderNames.Changed(folder) || AnyShownRowChanged())
        m_folderChanged = true;
    if (m_folderChanged && m_bookmarks->Count() == 0)
        WhenIdle([this] { ReadEmptyCollection(); });
}

void TReview::ReadEmptyCollection()
{
    if (m_bookmarks->Count() > 0 || !m_folderChanged)
        return;
    ReadFavorites();
    if (m_bookmarks->Count() == 0)
        UpdateView(); // the information page tells what the folder holds now
    else
        ShowFirstEntries();
}

// A collection read anew from the start: its first entries come up.
void TReview::ShowFirstEntries()
{
    if (m_view.IsMainVisible())
        m_view.HideAll();
    SelectEntries(true);
    m_awaitingRefresh = AnyShownAwaitsRefresh();
    ShowNext();
}

void TReview::ChangeFavorites(const QString &path)
{
    if (!IsIdle()) {
        WhenIdle([this, path] { ChangeFavorites(path); });
        return;
    }
    ReadFavorites(path);
    ShowFirstEntries();
}

// Favrake never changes an address: a shown bookmark that no longer holds its own was
// changed by someone else.
bool TReview::AnyShownRowChanged() const
{
    return std::ranges::any_of(m_entries, [this](int index) {
        return m_bookmarks->IsValidIndex(index) && !m_bookmarks->IsUnchanged(index);
    });
}

void TReview::CancelDownload()
{
    if (m_engine->IsDownloading())
        m_engine->AbortDownload();
}

void TReview::UpdateView()
{
    if (AnyShownAwaitsRefresh())
        m_awaitingRefresh = true; // the download page is what the user sees now
    m_view.UpdateView();
    bool displayable = false;
    for (int row = 0; row < RowCount; ++row)
        displayable = displayable || IsRowDisplayable(row);
    // Otherwise a later ShowAll would bring back windows of bookmarks already handled.
    if (!displayable)
        m_view.ClearShownWindows();
}

TStartOutcome TReview::takeSecondStart(const QStringList &params)
{
    if (m_closed)
        return TStartOutcome::Refused;
    if (!IsIdle()) {
        const bool asking = m_actionDepth > 0;
        WhenIdle([this, params] { takeSecondStart(params); });
        return asking ? TStartOutcome::WaitsForAction : TStartOutcome::Taken;
    }
    if (!params.isEmpty() && params.first() == u"/UNINSTALL") {
        m_timer.Stop();
        UninstallCleanup();
        RequestClose();
    } else if (m_timer.IsActive() && !m_view.IsMainVisible()) {
        ShowNext();
    }
    return TStartOutcome::Taken;
}

void TReview::askToQuit()
{
    BeginAction();
    if (m_confirmer.ShowConfirm(Confirmation, Phrase("MsgQuit"), QStringLiteral("Quit"), 9, YesNo))
        RequestClose();
    EndAction();
}

void TReview::RequestClose()
{
    if (m_closed)
        return;
    if (!IsIdle()) {
        WhenIdle([this] { RequestClose(); });
        return;
    }
    CloseNow();
}

void TReview::CloseNow()
{
    Shutdown();
    m_host.CloseMainWindow();
}

void TReview::Shutdown()
{
    m_closed = true;
    m_waiting.clear();
    m_timer.Stop();
    m_engine->DoneDownloader();
}

void TReview::UninstallCleanup()
{
    // The program closes next: the rows need no care.
    m_host.Uninstalled(::UninstallCleanup(*m_bookmarks));
}

void TReview::showPutBackBookmarks()
{
    BeginAction();
    if (m_confirmer.ShowConfirm(Confirmation, Phrase("MsgPutBack"), QStringLiteral("PutBack"), 11,
                                0)) {
        m_view.HideAll();
        m_bookmarks->PutBackAll();
        ShowNext(); // runs when this action has ended
    }
    EndAction();
}

void TReview::changeSelectionMode(int mode)
{
    if (!IsIdle()) {
        WhenIdle([this, mode] { changeSelectionMode(mode); });
        return;
    }
    Settings.SelectionMode = mode;
    SelectEntries(false);
    UpdateView();
    m_view.ShowAll();
}

void TReview::refreshAll()
{
    BeginAction();
    if (m_confirmer.ShowConfirm(Confirmation, Phrase("MsgRefresh"), QStringLiteral("Refresh"), 12,
                                0)) {
        // The download page shows how far the refresh got, and the tray tells it too.
        WhenIdle([this] {
            m_view.HideAll();
            CancelDownload();
            m_bookmarks->RefreshAll();
            m_wholeRefresh = Settings.NoNetAccess ? 0 : m_bookmarks->RefreshDueCount();
            SelectEntries(true);
            m_view.ClearShownWindows();
            m_awaitingRefresh = AnyShownAwaitsRefresh();
            m_lastShown = 0;
            ShowNext();
        });
    }
    EndAction();
}

void TReview::BeginAction()
{
    ++m_actionDepth;
}

void TReview::EndAction()
{
    if (m_actionDepth > 0)
        --m_actionDepth;
    if (m_actionDepth == 0)
        RunWaitingWork();
}

bool TReview::IsIdle() const
{
    return m_actionDepth == 0 && !m_view.IsMoving();
}

// A fade or slide under way is waited for as well: the windows must not change under it.
void TReview::WhenIdle(std::function<void()> work)
{
    if (m_closed)
        return;
    if (m_actionDepth > 0)
        m_waiting.push_back(std::move(work));
    else if (m_view.IsMoving())
        m_view.WhenStill([this, work = std::move(work)] { WhenIdle(work); });
    else
        work();
}

void TReview::RunWaitingWork()
{
    // Each piece may close the program, which drops the rest, or start a fade, which the
    // rest then waits for in turn.
    while (!m_waiting.empty() && m_actionDepth == 0 && !m_closed) {
        std::function<void()> work = std::move(m_waiting.front());
        m_waiting.erase(m_waiting.begin());
        WhenIdle(std::move(work));
    }
}
