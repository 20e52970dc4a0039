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
    // Without network access "Refresh all" is offered disabled, its hint saying why.
    void offerRefresh(bool on);

  signals:
    void commandRequested(SpeedForm::Command command);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QToolButton *addCommandButton(const char *name, int left, Glyph glyph, const QString &hint,
                                  Command command);

    QToolButton *m_refresh = nullptr;
    FormRegistration m_registration;
};
