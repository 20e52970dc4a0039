#pragma once

#include "lang/qtform.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QStackedWidget;

// The welcome dialog of the first start, and the About box afterwards: it shows how big the
// collection is and, on the first start, asks the user to start the program.
class TInstallDlg final : public QDialog
{
    Q_OBJECT
  public:
    explicit TInstallDlg(const QIcon &icon, QWidget *parent = nullptr);

    // The first-run step: shows the dialog and waits until it is closed; true when the
    // user pressed "Start it!" (the program then counts as installed).
    bool RunFirstRun();
    void ShowAbout(); // without waiting

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    QWidget *BuildHeader(const QIcon &icon);
    QWidget *BuildBody();
    QWidget *BuildBottom();
    void FormShow();

    QLabel *m_hdrB = nullptr;
    QLabel *m_countCaption = nullptr;
    QLabel *m_bmCount = nullptr;
    QLabel *m_bmCountMsg = nullptr;
    QLabel *m_fldCount = nullptr;
    QLabel *m_fldCountMsg = nullptr;
    QLabel *m_descr = nullptr;
    QLabel *m_netCaption = nullptr;
    QLabel *m_netText = nullptr;
    QStackedWidget *m_mode = nullptr;
    QCheckBox *m_autostart = nullptr;
    TFormRegistration m_registration;
};
