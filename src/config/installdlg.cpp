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
constexpr int clientWidth = 580;
constexpr int clientHeight = 341;
} // namespace

InstallDialog::InstallDialog(const QIcon &icon, QWidget *parent)
    : QDialog(parent, fixedDialogFlags),
      m_registration(this, "InstallDlg", FormOwner::Application, true)
{
    dressDialog(this, "InstallDlg", icon);
    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader(icon));
    layout->addWidget(buildBody(), 1);
    layout->addWidget(buildBottom());
    setFixedWidth(clientWidth);
    resize(clientWidth, clientHeight);
}

QWidget *InstallDialog::buildHeader(const QIcon &icon)
{
    QWidget *header = newPanel(this, "PnlHdr", skyBlue);
    header->setFixedHeight(53);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(10, 0, 10, 0);
    row->addWidget(newImage(header, "ImgIcon", icon));
    auto *titles = new QVBoxLayout;
    titles->setSpacing(0);
    QLabel *hdrA = newLabel(header, "LblHdrA", QStringLiteral("Welcome to"), 13, Italic);
    m_hdrB = newLabel(header, "LblHdrB", QString(), 16, Bold | Italic | Underline);
    for (QLabel *label : {hdrA, m_hdrB}) {
        label->setAlignment(Qt::AlignCenter);
        setColour(label, QPalette::WindowText, Qt::darkBlue);
        titles->addWidget(label);
    }
    row->addLayout(titles, 1);
    row->addWidget(newImage(header, "ImgLogo", icon));
    return header;
}

QWidget *InstallDialog::buildBody()
{
    QWidget *body = newPanel(this, "PnlText", cream);
    auto *column = new QVBoxLayout(body);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(4);
    QLabel *countCaption =
        newLabel(body, "LblCountCaption", QStringLiteral("Your bookmark collection holds"), 13);
    countCaption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(countCaption);

    auto *counts = new QGridLayout;
    m_bmCount = newLabel(body, "LblBMCount", QString(), 16, Bold);
    m_bmCountMsg = newLabel(body, "LblBMCountMsg", QString(), 16, Bold);
    m_fldCount = newLabel(body, "LblFldCount", QString(), 16, Bold);
    m_fldCountMsg = newLabel(body, "LblFldCountMsg", QString(), 16, Bold);
    for (QLabel *number : {m_bmCount, m_fldCount}) {
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setColour(number, QPalette::WindowText, olive);
    }
    counts->setColumnStretch(0, 1);
    counts->addWidget(m_bmCount, 0, 1);
    counts->addWidget(m_bmCountMsg, 0, 2);
    counts->addWidget(m_fldCount, 0, 3);
    counts->addWidget(m_fldCountMsg, 0, 4);
    counts->setColumnStretch(5, 1);
    column->addLayout(counts);
    m_folder = newLabel(body, "", QString(), 13);
    m_importResult = newLabel(body, "", QString(), 13, Bold);
    for (QLabel *label : {m_folder, m_importResult}) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        column->addWidget(label);
    }
    m_importResult->hide();
    column->addWidget(buildImport(body));

    m_descr = newLabel(body, "LblDescr", QString(), 13);
    QLabel *netCaption =
        newLabel(body, "LblNetCaption", QStringLiteral("---  Important notice  ---"), 16, Bold);
    setColour(netCaption, QPalette::WindowText, Qt::red);
    m_netText = newLabel(body, "LblNetText", QString(), 13, Bold);
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

QWidget *InstallDialog::buildBottom()
{
    QWidget *bottom = newPanel(this, "PnlBottom", skyBlue);
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
        settings.installed = true;
        if (m_autostart->isChecked())
            keepFolderInUse();
        saveSettings(); // the decision holds even when this run ends abnormally
        if (m_autostart->isChecked())
            platform::setAutostart(true, QCoreApplication::applicationFilePath());
    });
    return bottom;
}

// While the collection is empty: the browsers found, each with its bookmarks, to import
// from, and another folder to choose.
QGroupBox *InstallDialog::buildImport(QWidget *body)
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
    connect(import, &QPushButton::clicked, this, &InstallDialog::importChosen);
    connect(choose, &QPushButton::clicked, this, &InstallDialog::chooseFolder);
    buttons->addWidget(import);
    buttons->addWidget(choose);
    buttons->addStretch(1);
    column->addLayout(buttons);
    m_importButton = import;
    return m_import;
}

void InstallDialog::showImportChoices()
{
    while (QLayoutItem *item = m_choices->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QStringList browsers = m_offers.browsers ? m_offers.browsers() : QStringList();
    for (int i = 0; i < browsers.size(); ++i) {
        auto *choice = new QRadioButton(browsers[i], m_import);
        choice->setChecked(i == 0);
        m_browsers->addButton(choice, i);
        m_choices->addWidget(choice);
    }
    if (browsers.isEmpty())
        m_choices->addWidget(newLabel(m_import, "", phrase("WelcomeNoBrowser"), 13));
    // Shown now, not later by the layout, so that the dialog's height counts them.
    for (int i = 0; i < m_choices->count(); ++i)
        m_choices->itemAt(i)->widget()->show();
    m_importButton->setEnabled(!browsers.isEmpty());
}

void InstallDialog::importChosen()
{
    const int chosen = m_browsers->checkedId();
    if (chosen < 0 || !m_offers.import)
        return;
    const QString result = m_offers.import(chosen);
    fillIn(); // the collection may have grown
    m_importResult->setText(result);
    m_importResult->show();
}

void InstallDialog::chooseFolder()
{
    if (m_offers.chooseFolder)
        m_offers.chooseFolder();
    m_importResult->hide();
    fillIn();
}

void InstallDialog::showEvent(QShowEvent *event)
{
    fillIn();
    QDialog::showEvent(event);
}

void InstallDialog::fillIn()
{
    setWindowTitle(phrase("InstallDlg-Caption", "Favrake"));
    m_descr->setText(phrase("InstallDlg-LblDescr"));
    m_netText->setText(phrase("InstallDlg-LblNetText"));
    const QString folder = favoritesFolderInUse();
    const Bookmarks list(folder);
    m_bmCount->setText(QString::number(list.count()));
    m_fldCount->setText(QString::number(list.folderCount()));
    m_bmCountMsg->setText(phrase("InstallDlg-BCount" + countSuffix(list.count())));
    m_fldCountMsg->setText(phrase("InstallDlg-FCount" + countSuffix(list.folderCount())));
    const char *state = list.count() > 0            ? "WelcomeFolder"
                        : QFileInfo(folder).isDir() ? "InfoFolderEmpty"
                                                    : "InfoFolderMissing";
    m_folder->setText(fillPhrase(
        phrase(state), {QDir::toNativeSeparators(QDir::cleanPath(displayFileName(folder)))}));
    m_import->setVisible(list.count() == 0);
    if (list.count() == 0)
        showImportChoices();
    m_hdrB->setText(QStringLiteral("Favrake ") + QLatin1String(FavrakeRelease));
    layout()->activate(); // the import box came or went
    setFixedHeight(qMax(clientHeight, heightForWidth(clientWidth)));
    centreOnCursorScreen(this);
}

bool InstallDialog::runFirstRun()
{
    if (settings.installed)
        return true;
    QEventLoop wait;
    connect(this, &QDialog::finished, &wait, &QEventLoop::quit);
    show();
    wait.exec();
    return settings.installed;
}
