#include "speedform.h"

#include "lang/phrases.h"

#include <QHelpEvent>
#include <QToolButton>
#include <QToolTip>

SpeedForm::SpeedForm(QWidget *owner)
    : BaseForm(owner), m_registration(this, "TSpeedForm", FormOwner::Floating, true)
{
    resize(clientWidth, clientHeight);
    m_refresh = addCommandButton("SBtRefresh", 5, Glyph::Refresh,
                                 QStringLiteral("Refresh all site information from the Internet"),
                                 Command::Refresh);
    m_refresh->installEventFilter(this);
    addCommandButton("SBtSetup", 27, Glyph::Setup, QStringLiteral("Settings"), Command::Setup);
    addCommandButton("SBtHelp", 49, Glyph::Help, QStringLiteral("Help"), Command::Help);
    addCommandButton("SBtInfo", 71, Glyph::Info, QStringLiteral("About Favrake"), Command::Info);
    addCommandButton("SBtHome", 93, Glyph::Home, QStringLiteral("Go to the Favrake homepage"),
                     Command::Home);
    addCommandButton("SBtQuit", 115, Glyph::Quit, QStringLiteral("Quit Favrake"), Command::Quit);
}

QToolButton *SpeedForm::addCommandButton(const char *name, int left, Glyph glyph,
                                         const QString &hint, Command command)
{
    QToolButton *button = addSpeedButton(name, QRect(left, 4, 20, 22), glyph, hint);
    connect(button, &QToolButton::clicked, this,
            [this, command] { emit commandRequested(command); });
    return button;
}

void SpeedForm::offerRefresh(bool on)
{
    m_refresh->setEnabled(on);
}

// The button keeps its own (translated) hint; while disabled it tells why instead.
bool SpeedForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_refresh || event->type() != QEvent::ToolTip || m_refresh->isEnabled())
        return BaseForm::eventFilter(watched, event);
    QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), phrase("HintRefreshOff"),
                       m_refresh);
    return true;
}
