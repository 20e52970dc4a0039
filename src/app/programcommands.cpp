// The tray program's commands: the tray menu and the speed bar, the tray icon's click,
// hiding, pocket mode, help and the homepage, and a quit asked for by a signal.
#include "program.h"

#include "arranger.h"
#include "collectioncommands.h"
#include "config/aboutdlg.h"
#include "config/configdlg.h"
#include "config/installdlg.h"
#include "config/settings.h"
#include "lang/confirmdlg.h"
#include "lang/phrases.h"
#include "mainform.h"
#include "programfiles.h"
#include "programview.h"
#include "review.h"
#include "store/textutil.h"
#include "traymenu.h"
#include "version.h"

#include <QApplication>
#include <QCursor>

void Program::buildTrayMenu()
{
    TrayMenu::Handlers handlers;
    handlers.mainVisible = [this] { return m_view->isMainVisible(); };
    handlers.sortMode = [this](int mode) { m_review->chooser().changeSelectionMode(mode); };
    handlers.refresh = [this] { m_review->ticker().refreshAll(); };
    handlers.pocketMode = [this] { m_view->whenStill([this] { togglePocketMode(); }); };
    handlers.setup = [this] { m_configDlg->showSetup(); };
    handlers.import = [this] { m_collection->popupImportMenu(QCursor::pos()); };
    handlers.exportFile = [this] { m_collection->exportFile(); };
    handlers.help = [this] { openHelp(120); };
    handlers.homepage = [this] { openHomepage(); };
    handlers.about = [this] { m_aboutDlg->showAbout(); };
    handlers.showHide = [this] {
        m_view->whenStill([this] {
            if (m_view->isMainVisible()) {
                askToHide();
            } else {
                m_review->ticker().showNext();
                focusColumn();
            }
        });
    };
    handlers.quit = [this] { m_review->session().askToQuit(); };
    handlers.brokenLinks = [this] { m_view->showBrokenLinks(); };
    handlers.language = [this](const QString &caption) {
        m_view->whenStill([this, name = toNarrow(caption)] {
            // Kept at once: a crash or an uninstall from a second copy must not lose it.
            if (!m_view->activateLanguage(name))
                return;
            if (const QString failed = saveSettings(); !failed.isEmpty())
                m_view->showError(failed);
        });
    };
    m_trayMenu = new TrayMenu(m_mainForm.get(), std::move(handlers));
    m_tray.setIcon(m_icon);
    m_tray.setPopupMenu(m_trayMenu->menu());
}

// A click while the windows fade is taken once they stand still, so it sees where they end.
void Program::answerTrayClick(Qt::MouseButton button)
{
    m_view->whenStill([this, button] {
        if (m_view->isMainVisible())
            m_view->raiseWindows();
        else if (button == Qt::LeftButton)
            m_review->ticker().showNext();
        if (button == Qt::LeftButton)
            focusColumn();
    });
}

void Program::focusColumn()
{
    m_view->whenStill([this] {
        if (!m_mainForm->takeKeyboard())
            m_arranger->focusBookmark(nullptr, 0);
    });
}

void Program::askToHide()
{
    const ActionScope scope(m_review->rows());
    if (m_confirmDlg->showConfirm(Information, phrase("MsgHide"), QStringLiteral("Hide"), 10,
                                  CheckedByDefault))
        m_view->hideAll();
}

void Program::togglePocketMode()
{
    const ActionScope scope(m_review->rows());
    if (settings.pocketView ||
        m_confirmDlg->showConfirm(Information, phrase("MsgPocketMode"),
                                  QStringLiteral("PocketMode"), 0, CheckedByDefault)) {
        settings.pocketView = !settings.pocketView;
        m_review->chooser().updateView();
        m_view->showAll();
    }
}

void Program::rearrangeWindows()
{
    m_view->whenStill([this] {
        m_arranger->arrange();
        if (m_view->isMainVisible())
            m_view->showAll();
    });
}

// Hints are switched off for the whole program by swallowing its tool tips.
bool Program::eventFilter(QObject *, QEvent *event)
{
    return event->type() == QEvent::ToolTip && settings.noHints;
}

void Program::openHomepage()
{
    const ActionScope scope(m_review->rows());
    if (m_confirmDlg->showConfirm(Information,
                                  fillPhrase(phrase("MsgHomepage"), {homepageAddress()}),
                                  QStringLiteral("Homepage"), 5, CheckedByDefault)) {
        const QString address = homepageAddress();
        if (const QString why = m_opener.openAddress(address); !why.isEmpty())
            m_view->showError(fillPhrase(phrase("ErrOpenBrowser"), {address, why}));
    }
}

void Program::speedCommand(SpeedForm::Command command)
{
    switch (command) {
    case SpeedForm::Command::Refresh:
        m_review->ticker().refreshAll();
        break;
    case SpeedForm::Command::Help:
        openHelp(120);
        break;
    case SpeedForm::Command::Info:
        m_aboutDlg->showAbout();
        break;
    case SpeedForm::Command::Home:
        openHomepage();
        break;
    case SpeedForm::Command::Quit:
        m_review->session().askToQuit();
        break;
    case SpeedForm::Command::Setup:
        m_configDlg->showSetup();
        break;
    }
}

QString Program::homepageAddress()
{
    return settings.homepage.isEmpty() ? QString::fromLatin1(FavrakeHomepage) : settings.homepage;
}

void Program::openHelp(int context)
{
    const QString page = contextHelpPage(context);
    const QString why = page.isEmpty() ? phrase("ErrNoHelp") : m_opener.openFile(page);
    if (!why.isEmpty())
        m_view->showError(fillPhrase(phrase("ErrOpenBrowser"), {phrase("WrdHelp"), why}));
}

// A signal or the session's end: questions still open are answered "no" and the welcome
// dialog counts as declined, then the program closes the normal way, so decisions and
// settings are kept.
void Program::quitRequestedBySignal()
{
    m_review->session().requestClose();
    if (m_installDlg->isVisible())
        m_installDlg->reject();
    if (QWidget *modal = QApplication::activeModalWidget())
        modal->close();
}
