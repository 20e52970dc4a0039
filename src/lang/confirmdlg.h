#pragma once

#include "lang/confirm.h"
#include "lang/confirmlayout.h"
#include "lang/qtform.h"

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;

// Where the dialog is to open; the program asks the mouse and the screens.
using ScreenSpotSource = std::function<ScreenSpot()>;
ScreenSpot currentScreenSpot();

// The one modal dialog for every question and note of the program, with its memory of the
// messages the user does not want to see again (handed in: the settings keep it). Created
// once and reused.
class ConfirmDialog final : public QDialog, public Confirmer
{
    Q_OBJECT
  public:
    explicit ConfirmDialog(std::unique_ptr<MessageMemory> memory, QWidget *parent = nullptr,
                           ScreenSpotSource screenSpot = currentScreenSpot);

    // False at once for an unknown kind and while the dialog is already open.
    bool showConfirm(int kind, const QString &text, const QString &messageKey, quint16 imageIndex,
                     ConfirmOptions options) override;

  private:
    QLabel *createIcon();
    QWidget *createBottomPanel();
    QCheckBox *createNoConfirmBox();
    QPushButton *createButton(const char *name, int left);
    QLabel *createMessageLabel();

    void prepare(int kind, const QString &text, quint16 imageIndex, ConfirmOptions options,
                 bool withBox);
    void setButtons(ConfirmOptions options);
    void layOut(const QString &text, int panelHeight, const ScreenSpot &spot);
    QSize outerSize() const;

    // Components in the order translation and the template list them.
    QLabel *const m_imgIcon = createIcon();
    QWidget *const m_pnlBottom = createBottomPanel();
    QCheckBox *const m_cbxNoConfirm = createNoConfirmBox();
    static constexpr int okLeft = 71;
    QPushButton *const m_btnOk = createButton("BtnOk", okLeft);
    QPushButton *const m_btnCancel = createButton("BtnCancel", 171);
    QLabel *const m_message = createMessageLabel(); // unnamed: its text comes from the caller

    const std::unique_ptr<MessageMemory> m_memory;
    ScreenSpotSource m_screenSpot;
    bool m_open = false;
    FormRegistration m_registration;
};
