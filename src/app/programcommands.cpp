// The tray program's commands: the tray menu and the speed bar, the tray icon's click,
// hiding, pocket mode, help and the homepage, and a quit asked for by a signal.
#include "program.h"

#include "arranger.h"
#include "collectioncommands.h"
#include "config/aboutdlg.h"
#include "config/configdlg.h"
#include "config/settings.h"
#include "lang/confirmdlg.h"
#include "lang/phrases.h"
#include "mainform.h"
#include "programfiles.h"
#include "review.h"
#include "store/textutil.h"
#include "traymenu.h"
#include "version.h"

#include <QApplication>
#include <QCursor>

void Program::buildTrayMenu()
{
    TrayMenu::Handlers handlers;
    handlers.mainVisible = [this] { return isMainVisible(); };
    handlers.sortMode = [this](int mode) { m_review->changeSelectionMode(mode); };
    handlers.refresh = [this] { m_review->refreshAll(); };
    handlers.pocketMode = [this] { whenStill([this] { togglePocketMode(); }); };
    handlers.setup = [this] { m_configDlg->showSetup(); };
    handlers.import = [this] { m_collection->popupImportMenu(QCursor::pos()); };
    handlers.exportFile = [this] { m_collection->exportFile(); };
    handlers.help = [this] { openHelp(120); };
    handlers.homepage = [this] { openHomepage(); };
    handlers.about = [this] { m_aboutDlg->showAbout(); };
    handlers.showHide = [this] {
        whenStill([this] {
            if (isMainVisible())
                askToHide();
            else
                m_review->showNext();
        });
    };
    handlers.quit = [this] { m_review->askToQuit(); };
    handlers.language = [this](const QString &caption) {
        whenStill([this, name = toNarrow(caption)] { activateLanguage(name); });
    };
    m_trayMenu = new TrayMenu(m_mainForm.get(), std::move(handlers));
    m_tray.setIcon(m_icon);
    m_tray.setPopupMenu(m_trayMenu->menu());
}

// A click while the windows fade is taken once they stand still, so it sees where they end.
void Program::answerTrayClick(Qt::MouseButton button)
{
    whenStill([this, button] {
        if (isMainVisible())
            raiseWindows();
        else if (button == Qt::LeftButton)
            m_review->showNext();
    });
}

void Program::askToHide()
{
    m_review->beginAction();
    if (m_confirmDlg->showConfirm(Information, phrase("MsgHide"), QStringLiteral("Hide"), 10,
                                  CheckedByDefault))
        hideAll();
    m_review->endAction();
}

void Program::togglePocketMode()
{
    m_review->beginAction();
    if (settings.pocketView ||
        m_confirmDlg->showConfirm(Information, phrase("MsgPocketMode"),
                                  QStringLiteral("PocketMode"), 0, CheckedByDefault)) {
        settings.pocketView = !settings.pocketView;
        m_review->updateView();
        showAll();
    }
    m_review->endAction();
}

void Program::rearrangeWindows()
{
    whenStill([this] {
        m_arranger->arrange();
        if (isMainVisible())
            showAll();
    });
}

// Hints are switched off for the whole program by swallowing its tool tips.
bool Program::eventFilter(QObject *, QEvent *event)
{
    return event->type() == QEvent::ToolTip && settings.noHints;
}

void Program::openHomepage()
{
    m_review->beginAction();
    if (m_confirmDlg->showConfirm(Information,
                                  fillPhrase(phrase("MsgHomepage"), {homepageAddress()}),
                                  QStringLiteral("Homepage"), 5, CheckedByDefault)) {
        const QString address = homepageAddress();
        if (const QString why = m_opener.openAddress(address); !why.isEmpty())
            showError(fillPhrase(phrase("ErrOpenBrowser"), {address, why}));
    }
    m_review->endAction();
}

void Program::speedCommand(SpeedForm::Command command)
{
    switch (command) {
    case SpeedForm::Command::Refresh:
        m_review->refreshAll();
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
        m_review->askToQuit();
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
        showError(fillPhrase(phrase("ErrOpenBrowser"), {phrase("WrdHelp"), why}));
}

// A signal or the session's end: questions still open are answered "no" and the welcome
// dialog counts as declined, then the program closes the normal way, so decisions and
// settings are kept.
void Program::quitRequestedBySignal()
{
    m_review->requestClose();
    if (m_installDlg->isVisible())
        m_installDlg->reject();
    if (QWidget *modal = QApplication::activeModalWidget())
        modal->close();
}
