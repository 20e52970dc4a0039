#include "reviewsession.h"

#include "config/uninstall.h"
#include "lang/confirm.h"
#include "reviewchooser.h"
#include "reviewrefresh.h"
#include "reviewticker.h"

ReviewSession::ReviewSession(const ReviewCommon &common, BookmarkChooser &chooser,
                             ReviewTicker &ticker, ReviewRefresh &refresh, const ReviewSeams &seams,
                             QStringList arguments)
    : m_common(common), m_rows(common.rows), m_ticker(ticker), m_refresh(refresh),
      m_timer(seams.timer), m_confirmer(seams.confirmer), m_host(seams.host),
      m_arguments(std::move(arguments))
{
    // Nothing that waits for the end of an action may run while the start is half done.
    const ActionScope scope(m_rows);
    chooser.chooseAnew();
    // The first tick completes the start as soon as the message loop runs.
    m_timer.start(1);
}

bool ReviewSession::completeStartup()
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
    m_host.activateLanguage(m_common.options.language);
    // The first-run dialog runs a message loop: what arrives meanwhile waits for its end,
    // a close too, which must not save the settings of a declined start.
    m_rows.beginAction();
    const bool installed = m_common.options.installed || m_host.runFirstRun();
    m_rows.endAction();
    if (m_rows.isClosed())
        return false;
    if (!installed) {
        requestClose();
        return false;
    }
    m_refresh.start();
    m_host.showTray();
    m_ticker.begin();
    return true;
}

StartOutcome ReviewSession::takeSecondStart(const QStringList &params)
{
    if (m_rows.isClosed())
        return StartOutcome::Refused;
    if (!m_rows.isIdle()) {
        const bool asking = m_rows.actionDepth() > 0;
        m_rows.whenIdle([this, params] { takeSecondStart(params); });
        return asking ? StartOutcome::WaitsForAction : StartOutcome::Taken;
    }
    if (!params.isEmpty() && params.first() == u"/UNINSTALL") {
        m_timer.stop();
        uninstallCleanup();
        requestClose();
    } else if (m_timer.isActive() && !m_common.view.isMainVisible()) {
        m_ticker.showNext();
    }
    return StartOutcome::Taken;
}

void ReviewSession::askToQuit()
{
    const ActionScope scope(m_rows);
    if (m_confirmer.showConfirm(Confirmation, m_common.texts("MsgQuit"), QStringLiteral("Quit"), 9,
                                YesNo))
        requestClose();
}

void ReviewSession::requestClose()
{
    if (m_rows.isClosed())
        return;
    if (!m_rows.isIdle()) {
        m_rows.whenIdle([this] { requestClose(); });
        return;
    }
    closeNow();
}

void ReviewSession::closeNow()
{
    shutdown();
    m_host.closeMainWindow();
}

void ReviewSession::shutdown()
{
    m_rows.close();
    m_timer.stop();
    m_refresh.stop();
}

void ReviewSession::uninstallCleanup()
{
    // The program closes next: the rows need no care.
    m_host.uninstalled(::uninstallCleanup(m_common.bookmarks));
}
