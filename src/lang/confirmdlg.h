#pragma once

#include "lang/confirm.h"
#include "lang/confirmlayout.h"
#include "lang/qtform.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

// Where the dialog is to open; the program asks the mouse and the screens.
using TScreenSpotSource = std::function<TScreenSpot()>;
TScreenSpot CurrentScreenSpot();

// The one modal dialog for every question and note of the program, with its memory of the
// messages the user does not want to see again. Created once and reused.
class TConfirmDlg final : public QDialog, public TConfirmer
{
    Q_OBJECT
  public:
    explicit TConfirmDlg(QWidget *parent = nullptr,
                         TScreenSpotSource screenSpot = CurrentScreenSpot);

    // False at once for an unknown kind and while the dialog is already open.
    bool ShowConfirm(int kind, const QString &text, const QString &messageKey, quint16 imageIndex,
                     TConfirmOptions options) override;

  private:
    QLabel *CreateIcon();
    QWidget *CreateBottomPanel();
    QCheckBox *CreateNoConfirmBox();
    QPushButton *CreateButton(const char *name, int left);
    QLabel *CreateMessageLabel();

    void Prepare(int kind, const QString &text, quint16 imageIndex, TConfirmOptions options,
                 bool withBox);
    void SetButtons(TConfirmOptions options);
    void LayOut(const QString &text, int panelHeight, const TScreenSpot &spot);
    QSize OuterSize() const;

    // Components in the order translation and the template list them.
    QLabel *const ImgIcon = CreateIcon();
    QWidget *const PnlBottom = CreateBottomPanel();
    QCheckBox *const CbxNoConfirm = CreateNoConfirmBox();
    static constexpr int OkLeft = 71;
    QPushButton *const BtnOk = CreateButton("BtnOk", OkLeft);
    QPushButton *const BtnCancel = CreateButton("BtnCancel", 171);
    QLabel *const m_message = CreateMessageLabel(); // unnamed: its text comes from the caller

    TScreenSpotSource m_screenSpot;
    bool m_open = false;
    TFormRegistration m_registration;
};
