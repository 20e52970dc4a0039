#include "installdlg.h"

#include "config/dialogparts.h"
#include "config/settings.h"
#include "lang/dialogstyle.h"
#include "lang/phrases.h"
#include "platform/autostart.h"
#include "store/bookmarks.h"
#include "store/textutil.h"
#include "version.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int ClientWidth = 580;
constexpr int ClientHeight = 341;
} // namespace

TInstallDlg::TInstallDlg(const QIcon &icon, QWidget *parent)
    : QDialog(parent, FixedDialogFlags),
      m_registration(this, "InstallDlg", TFormOwner::Application, true)
{
    DressDialog(this, "InstallDlg", icon);
    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildHeader(icon));
    layout->addWidget(BuildBody(), 1);
    layout->addWidget(BuildBottom());
    setFixedWidth(ClientWidth);
    resize(ClientWidth, ClientHeight);
}

QWidget *TInstallDlg::BuildHeader(const QIcon &icon)
{
    QWidget *header = NewPanel(this, "PnlHdr", SkyBlue);
    header->setFixedHeight(53);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(10, 0, 10, 0);
    row->addWidget(NewImage(header, "ImgIcon", icon));
    auto *titles = new QVBoxLayout;
    titles->setSpacing(0);
    QLabel *hdrA = NewLabel(header, "LblHdrA", QStringLiteral("Welcome to"), 13, Italic);
    m_hdrB = NewLabel(header, "LblHdrB", QString(), 16, Bold | Italic | Underline);
    for (QLabel *label : {hdrA, m_hdrB}) {
        label->setAlignment(Qt::AlignCenter);
        Colour(label, QPalette::WindowText, Qt::darkBlue);
        titles->addWidget(label);
    }
    row->addLayout(titles, 1);
    row->addWidget(NewImage(header, "ImgLogo", icon));
    return header;
}

QWidget *TInstallDlg::BuildBody()
{
    QWidget *body = NewPanel(this, "PnlText", Cream);
    auto *column = new QVBoxLayout(body);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(4);
    QLabel *countCaption =
        NewLabel(body, "LblCountCaption", QStringLiteral("Your bookmark collection holds"), 13);
    countCaption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(countCaption);

    auto *counts = new QGridLayout;
    m_bmCount = NewLabel(body, "LblBMCount", QString(), 16, Bold);
    m_bmCountMsg = NewLabel(body, "LblBMCountMsg", QString(), 16, Bold);
    m_fldCount = NewLabel(body, "LblFldCount", QString(), 16, Bold);
    m_fldCountMsg = NewLabel(body, "LblFldCountMsg", QString(), 16, Bold);
    for (QLabel *number : {m_bmCount, m_fldCount}) {
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Colour(number, QPalette::WindowText, Olive);
    }
    counts->setColumnStretch(0, 1);
    counts->addWidget(m_bmCount, 0, 1);
    counts->addWidget(m_bmCountMsg, 0, 2);
    counts->addWidget(m_fldCount, 0, 3);
    counts->addWidget(m_fldCountMsg, 0, 4);
    counts->setColumnStretch(5, 1);
    column->addLayout(counts);
    m_folder = NewLabel(body, "", QString(), 13);
    m_importResult = NewLabel(body, "", QString(), 13, Bold);
    for (QLabel *label : {m_folder, m_importResult}) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        column->addWidget(label);
    }
    m_importResult->hide();
    column->addWidget(BuildImport(body));

    m_descr = NewLabel(body, "LblDescr", QString(), 13);
    QLabel *netCaption =
        NewLabel(body, "LblNetCaption", QStringLiteral("---  Important notice  ---"), 16, Bold);
    Colour(netCaption, QPalette::WindowText, Qt::red);
    m_netText = NewLabel(body, "LblNetText", QString(), 13, Bold);
    for (QLabel *label : {m_descr, netCaption, m_netText}) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
    }
    column->addSpacing(8);
    column->addWidget(m_descr);
    column->addSpacing(16);
    column->addWidget(netCaption);
    column->addSpacing(12 - column->spacing());
    column->addWidget(m_netText);
    column->addStretch(1);
    return body;
}

QWidget *TInstallDlg::BuildBottom()
{
    QWidget *bottom = NewPanel(this, "PnlBottom", SkyBlue);
    bottom->setFixedHeight(46);
    auto *row = new QHBoxLayout(bottom);
    m_autostart = new QCheckBox(QStringLiteral("Start Favrake when I log in"), bottom);
    m_autostart->setObjectName(QStringLiteral("CbxAutostart"));
    m_autostart->setChecked(true);
    auto *run = new QPushButton(QStringLiteral("Start it!"), bottom);
    run->setObjectName(QStringLiteral("BtnRun"));
    run->setFixedSize(101, 27);
    run->setDefault(true);
    connect(run, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(m_autostart);
    row->addWidget(run, 0, Qt::AlignCenter);
    row->addStretch(1);
    connect(this, &QDialog::accepted, this, [this] {
        Settings.Installed = true;
        if (m_autostart->isChecked())
            KeepFolderInUse();
        SaveSettings(); // the decision holds even when this run ends abnormally
        if (m_autostart->isChecked())
            platform::SetAutostart(true, QCoreApplication::applicationFilePath());
    });
    return bottom;
}

// While the collection is empty: the browsers found, each with its bookmarks, to import
// from, and another folder to choose.
QGroupBox *TInstallDlg::BuildImport(QWidget *body)
{
    m_import = new QGroupBox(QStringLiteral("Bring in your bookmarks"), body);
    m_import->setObjectName(QStringLiteral("GrpImport"));
    auto *column = new QVBoxLayout(m_import);
    m_choices = new QVBoxLayout;
    column->addLayout(m_choices);
    m_browsers = new QButtonGroup(m_import);
    auto *buttons = new QHBoxLayout;
    auto *import = new QPushButton(QStringLiteral("&Import"), m_import);
    import->setObjectName(QStringLiteral("BtnImport"));
    auto *choose = new QPushButton(QStringLiteral("Choose another folder..."), m_import);
    choose->setObjectName(QStringLiteral("BtnChooseFolder"));
    connect(import, &QPushButton::clicked, this, &TInstallDlg::ImportChosen);
    connect(choose, &QPushButton::clicked, this, &TInstallDlg::ChooseFolder);
    buttons->addWidget(import);
    buttons->addWidget(choose);
    buttons->addStretch(1);
    column->addLayout(buttons);
    m_importButton = import;
    return m_import;
}

void TInstallDlg::ShowImportChoices()
{
    while (QLayoutItem *item = m_choices->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QStringList browsers = m_offers.Browsers ? m_offers.Browsers() : QStringList();
    for (int i = 0; i < browsers.size(); ++i) {
        auto *choice = new QRadioButton(browsers[i], m_import);
        choice->setChecked(i == 0);
        m_browsers->addButton(choice, i);
        m_choices->addWidget(choice);
    }
    if (browsers.isEmpty())
        m_choices->addWidget(NewLabel(m_import, "", Phrase("WelcomeNoBrowser"), 13));
    // Shown now, not later by the layout, so that the dialog's height counts them.
    for (int i = 0; i < m_choices->count(); ++i)
        m_choices->itemAt(i)->widget()->show();
    m_importButton->setEnabled(!browsers.isEmpty());
}

void TInstallDlg::ImportChosen()
{
    const int chosen = m_browsers->checkedId();
    if (chosen < 0 || !m_offers.Import)
        return;
    const QString result = m_offers.Import(chosen);
    fillIn(); // the collection may have grown
    m_importResult->setText(result);
    m_importResult->show();
}

void TInstallDlg::ChooseFolder()
{
    if (m_offers.ChooseFolder)
        m_offers.ChooseFolder();
    m_importResult->hide();
    fillIn();
}

void TInstallDlg::showEvent(QShowEvent *event)
{
    fillIn();
    QDialog::showEvent(event);
}

void TInstallDlg::fillIn()
{
    setWindowTitle(Phrase("InstallDlg-Caption", "Favrake"));
    m_descr->setText(Phrase("InstallDlg-LblDescr"));
    m_netText->setText(Phrase("InstallDlg-LblNetText"));
    const QString folder = FavoritesFolderInUse();
    const TBookmarks list(folder);
    m_bmCount->setText(QString::number(list.Count()));
    m_fldCount->setText(QString::number(list.FolderCount()));
    m_bmCountMsg->setText(Phrase("InstallDlg-BCount" + CountSuffix(list.Count())));
    m_fldCountMsg->setText(Phrase("InstallDlg-FCount" + CountSuffix(list.FolderCount())));
    const char *state = list.Count() > 0            ? "WelcomeFolder"
                        : QFileInfo(folder).isDir() ? "InfoFolderEmpty"
                                                    : "InfoFolderMissing";
    m_folder->setText(FillPhrase(
        Phrase(state), {QDir::toNativeSeparators(QDir::cleanPath(displayFileName(folder)))}));
    m_import->setVisible(list.Count() == 0);
    if (list.Count() == 0)
        ShowImportChoices();
    m_hdrB->setText(QStringLiteral("Favrake ") + QLatin1String(FavrakeRelease));
    layout()->activate(); // the import box came or went
    setFixedHeight(qMax(ClientHeight, heightForWidth(ClientWidth)));
    CentreOnCursorScreen(this);
}

bool TInstallDlg::RunFirstRun()
{
    if (Settings.Installed)
        return true;
    QEventLoop wait;
    connect(this, &QDialog::finished, &wait, &QEventLoop::quit);
    show();
    wait.exec();
    return Settings.Installed;
}
