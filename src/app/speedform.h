#pragma once

#include "baseform.h"
#include "lang/qtform.h"

// The speed bar: six small buttons for the program's commands, in the corner at the
// taskbar below the bookmark windows.
class SpeedForm final : public BaseForm
{
    Q_OBJECT

  public:
    enum class Command { Refresh, Setup, Help, Info, Home, Quit };
    Q_ENUM(Command)

    static constexpr int clientHeight = 30;

    explicit SpeedForm(QWidget *owner);

    bool updateView() override { return true; }

  signals:
    void commandRequested(SpeedForm::Command command);

  private:
    void addCommandButton(const char *name, int left, Glyph glyph, const QString &hint,
                          Command command);

    FormRegistration m_registration;
};
