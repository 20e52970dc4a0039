#pragma once

#include "lang/qtform.h"

#include <QDialog>

class QLabel;

// About: the version, the bookmark folder with the size of the collection, the licence and
// the homepage. Created once and shown without blocking; it counts afresh on every show.
class AboutDialog final : public QDialog
{
    Q_OBJECT
  public:
    explicit AboutDialog(const QIcon &icon, QWidget *parent = nullptr);

    void showAbout(); // shows the dialog, or brings it to the front when it is open already

  protected:
    void showEvent(QShowEvent *event) override;

  private:
    QLabel *addRow(const char *captionName, const QString &caption);
    void fillIn();

    QLabel *m_folder = nullptr; // the values are no components: their texts are made anew
    QLabel *m_licence = nullptr;
    FormRegistration m_registration;
};
