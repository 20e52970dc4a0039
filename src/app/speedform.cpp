#include "speedform.h"

#include <QToolButton>

SpeedForm::SpeedForm(QWidget *owner)
    : BaseForm(owner), m_registration(this, "TSpeedForm", FormOwner::Floating, true)
{
    resize(clientWidth, clientHeight);
    addCommandButton("SBtRefresh", 5, Glyph::Refresh,
                     QStringLiteral("Refresh all site information from the Internet"),
                     Command::Refresh);
    addCommandButton("SBtSetup", 27, Glyph::Setup, QStringLiteral("Settings"), Command::Setup);
    addCommandButton("SBtHelp", 49, Glyph::Help, QStringLiteral("Help"), Command::Help);
    addCommandButton("SBtInfo", 71, Glyph::Info, QStringLiteral("About Favrake"), Command::Info);
    addCommandButton("SBtHome", 93, Glyph::Home, QStringLiteral("Go to the Favrake homepage"),
                     Command::Home);
    addCommandButton("SBtQuit", 115, Glyph::Quit, QStringLiteral("Quit Favrake"), Command::Quit);
}

void SpeedForm::addCommandButton(const char *name, int left, Glyph glyph, const QString &hint,
                                 Command command)
{
    QToolButton *button = addSpeedButton(name, QRect(left, 4, 20, 22), glyph, hint);
    connect(button, &QToolButton::clicked, this,
            [this, command] { emit commandRequested(command); });
}
