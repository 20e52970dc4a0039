#pragma once

#include "lang/qtform.h"

#include <QDialog>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QVBoxLayout;

// What the welcome dialog offers while the collection is empty; the program fills it in.
struct WelcomeOffers
{
    std::function<QStringList()> browsers; // each browser found, with its bookmark count
    std::function<QString(int)> import;    // imports browser i; what came of it
    std::function<void()> chooseFolder;    // the collection may be elsewhere afterwards
};

// The welcome dialog of the first start: it shows how big the collection is and where it
// lies, explains a missing or empty folder with an import from a browser or another
// folder, and asks the user to start the program.
class InstallDialog final : public QDialog
{
    Q_OBJECT
  public:
    explicit InstallDialog(const QIcon &icon, QWidget *parent = nullptr);

    void setOffers(WelcomeOffers offers) { m_offers = std::move(offers); }
    // The first-run step: shows the dialog and waits until it is closed; true when the
    // user pressed "Start it!" (the program then counts as installed).
    bool runFirstRun();

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    QWidget *buildHeader(const QIcon &icon);
    QWidget *buildBody();
    QGroupBox *buildImport(QWidget *body);
    QWidget *buildBottom();
    void fillIn();
    void showImportChoices();
    void importChosen();
    void chooseFolder();

    WelcomeOffers m_offers;
    QLabel *m_hdrB = nullptr;
    QLabel *m_bmCount = nullptr;
    QLabel *m_bmCountMsg = nullptr;
    QLabel *m_fldCount = nullptr;
    QLabel *m_fldCountMsg = nullptr;
    QLabel *m_folder = nullptr;       // unnamed: where the collection lies, or that it is not
    QLabel *m_importResult = nullptr; // unnamed: what the last import did
    QGroupBox *m_import = nullptr;
    QVBoxLayout *m_choices = nullptr;
    QButtonGroup *m_browsers = nullptr;
    QWidget *m_importButton = nullptr;
    QLabel *m_descr = nullptr;
    QLabel *m_netText = nullptr;
    QCheckBox *m_autostart = nullptr;
    FormRegistration m_registration;
};
