#include "speedform.h"

#include <QToolButton>

TSpeedForm::TSpeedForm(QWidget *owner)
    : TBaseForm(owner), m_registration(this, "TSpeedForm", TFormOwner::Floating, true)
{
    resize(ClientWidth, ClientHeight);
    AddCommandButton("SBtRefresh", 5, TGlyph::Refresh,
                     QStringLiteral("Refresh all site information from the Internet"),
                     Command::Refresh);
    AddCommandButton("SBtSetup", 27, TGlyph::Setup, QStringLiteral("Settings"), Command::Setup);
    AddCommandButton("SBtHelp", 49, TGlyph::Help, QStringLiteral("Help"), Command::Help);
    AddCommandButton("SBtInfo", 71, TGlyph::Info, QStringLiteral("About Favrake"), Command::Info);
    AddCommandButton("SBtHome", 93, TGlyph::Home, QStringLiteral("Go to the Favrake homepage"),
                     Command::Home);
    AddCommandButton("SBtQuit", 115, TGlyph::Quit, QStringLiteral("Quit Favrake"), Command::Quit);
}

void TSpeedForm::AddCommandButton(const char *name, int left, TGlyph glyph, const QString &hint,
                                  Command command)
{
    QToolButton *button = AddSpeedButton(name, QRect(left, 4, 20, 22), glyph, hint);
    connect(button, &QToolButton::clicked, this,
            [this, command] { emit commandRequested(command); });
}
