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
class ConfigDialog final : public QDialog
{
    Q_OBJECT
  public:
    static constexpr int helpContextForm = 6001;
    static constexpr int helpContextHelpButton = 800; // the page the Help button opens

    // programPath is the program that the autostart entry starts.
    explicit ConfigDialog(QString programPath, QWidget *parent = nullptr);

    void showSetup(); // shows the dialog, or brings it to the front when it is open already

  signals:
    void hintsChanged(bool showHints); // the program switches tool tips application-wide
    void rearrangeWindowsRequested();  // the speed-bar setting changed
    void favoritesFolderChanged();     // another bookmark folder was chosen
    void helpRequested(int context);

  protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    QGroupBox *buildBookmarks();
    QGroupBox *buildTiming();
    QGroupBox *buildMessages();
    QGroupBox *buildVisualization();
    QLayout *buildButtons();
    QGroupBox *newGroup(const char *name, const QString &title);
    QSpinBox *newSpinEdit(QWidget *parent, const char *name, const QString &hint, int context);
    QCheckBox *newCheckBox(QWidget *parent, const char *name, const QString &text,
                           const QString &hint, int context);
    QPushButton *newButton(const char *name, const QString &text, int context);

    void fillIn();
    void checkEnables();
    void applyAndClose();
    void discardChanges();
    void askForHelp();
    void chooseFolder();
    void showFolder(const QString &folder);
    void storeFolder();
    void storeAutostart();
    int helpContextOf(const QWidget *widget) const;

    QString m_programPath;
    bool m_infoShownTicked = false; // the message boxes as the dialog opened
    bool m_confirmShownTicked = false;
    QHash<const QWidget *, int> m_helpContexts;
    QString m_folder;               // as chosen in the dialog
    QLabel *m_folderPath = nullptr; // unnamed: it shows the folder, nothing to translate
    QPushButton *m_btnFolder = nullptr;
    QCheckBox *m_cbxNoNetAccess = nullptr;
    QCheckBox *m_cbxDontDelete = nullptr;
    QSpinBox *m_seRemind = nullptr;
    QSpinBox *m_seRefresh = nullptr;
    QCheckBox *m_cbxConfirmations = nullptr;
    QCheckBox *m_cbxInformations = nullptr;
    QCheckBox *m_cbxShowHints = nullptr;
    QCheckBox *m_cbxSpeedWnd = nullptr;
    QCheckBox *m_cbxAutostart = nullptr;
    QPushButton *m_btnOk = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QPushButton *m_btnHelp = nullptr;
    FormRegistration m_registration;
};
