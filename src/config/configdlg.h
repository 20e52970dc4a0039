#pragma once

#include "lang/qtform.h"

#include <QDialog>
#include <QHash>

class QCheckBox;
class QLabel;
class QGroupBox;
class QPushButton;
class QSpinBox;

// The configuration dialog: the bookmark folder, the two time periods, network access and
// what delete does, the suppressed messages, hints, the command bar and the login
// autostart. Created once and shown without blocking; it reloads every value each time it
// is shown and changes the settings only on OK.
class TConfigDlg final : public QDialog
{
    Q_OBJECT
  public:
    static constexpr int HelpContextForm = 6001;
    static constexpr int HelpContextHelpButton = 800; // the page the Help button opens

    // programPath is the program that the autostart entry starts.
    explicit TConfigDlg(QString programPath, QWidget *parent = nullptr);

    void ShowSetup(); // shows the dialog, or brings it to the front when it is open already

  signals:
    void HintsChanged(bool showHints); // the program switches tool tips application-wide
    void RearrangeWindowsRequested();  // the speed-bar setting changed
    void FavoritesFolderChanged();     // another bookmark folder was chosen
    void helpRequested(int context);

  protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    QGroupBox *BuildBookmarks();
    QGroupBox *BuildTiming();
    QGroupBox *BuildMessages();
    QGroupBox *BuildVisualization();
    QLayout *BuildButtons();
    QGroupBox *NewGroup(const char *name, const QString &title);
    QSpinBox *NewSpinEdit(QWidget *parent, const char *name, const QString &hint, int context);
    QCheckBox *NewCheckBox(QWidget *parent, const char *name, const QString &text,
                           const QString &hint, int context);
    QPushButton *NewButton(const char *name, const QString &text, int context);

    void fillIn();
    void CheckEnables();
    void applyAndClose();
    void discardChanges();
    void askForHelp();
    void ChooseFolder();
    void ShowFolder(const QString &folder);
    void StoreFolder();
    void StoreAutostart();
    int HelpContextOf(const QWidget *widget) const;

    QString m_programPath;
    bool m_infoShownTicked = false; // the message boxes as the dialog opened
    bool m_confirmShownTicked = false;
    QHash<const QWidget *, int> m_helpContexts;
    QString m_folder;               // as chosen in the dialog
    QLabel *m_folderPath = nullptr; // unnamed: it shows the folder, nothing to translate
    QPushButton *BtnFolder = nullptr;
    QCheckBox *CbxNoNetAccess = nullptr;
    QCheckBox *CbxDontDelete = nullptr;
    QSpinBox *SERemind = nullptr;
    QSpinBox *SERefresh = nullptr;
    QCheckBox *CbxConfirmations = nullptr;
    QCheckBox *CbxInformations = nullptr;
    QCheckBox *CbxShowHints = nullptr;
    QCheckBox *CbxSpeedWnd = nullptr;
    QCheckBox *CbxAutostart = nullptr;
    QPushButton *BtnOk = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnHelp = nullptr;
    TFormRegistration m_registration;
};
