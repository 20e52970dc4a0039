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

void TProgram::BuildTrayMenu()
{
    TTrayMenu::THandlers handlers;
    handlers.MainVisible = [this] { return IsMainVisible(); };
    handlers.SortMode = [this](int mode) { m_review->changeSelectionMode(mode); };
    handlers.Refresh = [this] { m_review->refreshAll(); };
    handlers.PocketMode = [this] { WhenStill([this] { togglePocketMode(); }); };
    handlers.Setup = [this] { m_configDlg->ShowSetup(); };
    handlers.Import = [this] { m_collection->PopupImportMenu(QCursor::pos()); };
    handlers.Export = [this] { m_collection->ExportFile(); };
    handlers.Help = [this] { OpenHelp(120); };
    handlers.Homepage = [this] { openHomepage(); };
    handlers.About = [this] { m_aboutDlg->ShowAbout(); };
    handlers.ShowHide = [this] {
        WhenStill([this] {
            if (IsMainVisible())
                askToHide();
            else
                m_review->ShowNext();
        });
    };
    handlers.Quit = [this] { m_review->askToQuit(); };
    handlers.Language = [this](const QString &caption) {
        WhenStill([this, name = ToNarrow(caption)] { ActivateLanguage(name); });
    };
    m_trayMenu = new TTrayMenu(m_mainForm.get(), std::move(handlers));
    m_tray.SetIcon(m_icon);
    m_tray.SetPopupMenu(m_trayMenu->Menu());
}

// A click while the windows fade is taken once they stand still, so it sees where they end.
void TProgram::answerTrayClick(Qt::MouseButton button)
{
    WhenStill([this, button] {
        if (IsMainVisible())
            RaiseWindows();
        else if (button == Qt::LeftButton)
            m_review->ShowNext();
    });
}

void TProgram::askToHide()
{
    m_review->BeginAction();
    if (m_confirmDlg->ShowConfirm(Information, Phrase("MsgHide"), QStringLiteral("Hide"), 10,
                                  CheckedByDefault))
        HideAll();
    m_review->EndAction();
}

void TProgram::togglePocketMode()
{
    m_review->BeginAction();
    if (Settings.PocketView ||
        m_confirmDlg->ShowConfirm(Information, Phrase("MsgPocketMode"),
                                  QStringLiteral("PocketMode"), 0, CheckedByDefault)) {
        Settings.PocketView = !Settings.PocketView;
        m_review->UpdateView();
        ShowAll();
    }
    m_review->EndAction();
}

void TProgram::RearrangeWindows()
{
    WhenStill([this] {
        m_arranger->Arrange();
        if (IsMainVisible())
            ShowAll();
    });
}

// Hints are switched off for the whole program by swallowing its tool tips.
bool TProgram::eventFilter(QObject *, QEvent *event)
{
    return event->type() == QEvent::ToolTip && Settings.NoHints;
}

void TProgram::openHomepage()
{
    m_review->BeginAction();
    if (m_confirmDlg->ShowConfirm(Information,
                                  FillPhrase(Phrase("MsgHomepage"), {HomepageAddress()}),
                                  QStringLiteral("Homepage"), 5, CheckedByDefault)) {
        const QString address = HomepageAddress();
        if (const QString why = m_opener.OpenAddress(address); !why.isEmpty())
            ShowError(FillPhrase(Phrase("ErrOpenBrowser"), {address, why}));
    }
    m_review->EndAction();
}

void TProgram::SpeedCommand(TSpeedForm::Command command)
{
    switch (command) {
    case TSpeedForm::Command::Refresh:
        m_review->refreshAll();
        break;
    case TSpeedForm::Command::Help:
        OpenHelp(120);
        break;
    case TSpeedForm::Command::Info:
        m_aboutDlg->ShowAbout();
        break;
    case TSpeedForm::Command::Home:
        openHomepage();
        break;
    case TSpeedForm::Command::Quit:
        m_review->askToQuit();
        break;
    case TSpeedForm::Command::Setup:
        m_configDlg->ShowSetup();
        break;
    }
}

QString TProgram::HomepageAddress()
{
    return Settings.Homepage.isEmpty() ? QString::fromLatin1(FavrakeHomepage) : Settings.Homepage;
}

void TProgram::OpenHelp(int context)
{
    const QString page = ContextHelpPage(context);
    const QString why = page.isEmpty() ? Phrase("ErrNoHelp") : m_opener.OpenFile(page);
    if (!why.isEmpty())
        ShowError(FillPhrase(Phrase("ErrOpenBrowser"), {Phrase("WrdHelp"), why}));
}

// A signal or the session's end: questions still open are answered "no" and the welcome
// dialog counts as declined, then the program closes the normal way, so decisions and
// settings are kept.
void TProgram::QuitRequestedBySignal()
{
    m_review->RequestClose();
    if (m_installDlg->isVisible())
        m_installDlg->reject();
    if (QWidget *modal = QApplication::activeModalWidget())
        modal->close();
}
