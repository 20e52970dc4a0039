#pragma once

#include "baseform.h"
#include "lang/qtform.h"

// The speed bar: six small buttons for the program's commands, in the corner at the
// taskbar below the bookmark windows.
class TSpeedForm final : public TBaseForm
{
    Q_OBJECT

  public:
    enum class Command { Refresh, Setup, Help, Info, Home, Quit };
    Q_ENUM(Command)

    static constexpr int ClientHeight = 30;

    explicit TSpeedForm(QWidget *owner);

    bool UpdateView() override { return true; }

  signals:
    void commandRequested(TSpeedForm::Command command);

  private:
    void AddCommandButton(const char *name, int left, TGlyph glyph, const QString &hint,
                          Command command);

    TFormRegistration m_registration;
};
