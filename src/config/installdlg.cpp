#include "installdlg.h"

#include "config/settings.h"
#include "lang/dialogstyle.h"
#include "lang/phrases.h"
#include "platform/autostart.h"
#include "store/bookmarks.h"
#include "version.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
const QColor Cream(0xFF, 0xFB, 0xF0);
const QColor SkyBlue(0xA6, 0xCA, 0xF0);
constexpr int ClientWidth = 580;
constexpr int ClientHeight = 341;

enum TStyle { Plain = 0, Bold = 1, Italic = 2, Underline = 4 };

QLabel *NewLabel(QWidget *parent, const char *name, const QString &text, int pixelSize,
                 int style = Plain)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(style & Bold);
    font.setItalic(style & Italic);
    font.setUnderline(style & Underline);
    label->setFont(font);
    return label;
}

void Colour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(role == QPalette::Window);
}

QWidget *NewPanel(QWidget *parent, const char *name, const QColor &colour)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    Colour(panel, QPalette::Window, colour);
    return panel;
}

QLabel *NewImage(QWidget *parent, const char *name, const QIcon &icon)
{
    auto *image = new QLabel(parent);
    image->setObjectName(name);
    image->setFixedSize(32, 32);
    image->setPixmap(icon.pixmap(32, 32));
    return image;
}
} // namespace

TInstallDlg::TInstallDlg(const QIcon &icon, QWidget *parent)
    : QDialog(parent, FixedDialogFlags),
      m_registration(this, "InstallDlg", TFormOwner::Application, true)
{
    setObjectName("InstallDlg");
    setWindowIcon(icon);
    Colour(this, QPalette::Window, Cream);
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
    QLabel *hdrA = NewLabel(header, "LblHdrA", "Welcome to", 13, Italic);
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
    m_countCaption =
        NewLabel(body, "LblCountCaption", "Your \"Favorites\" collection actually consists of", 13);
    m_countCaption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(m_countCaption);

    auto *counts = new QGridLayout;
    m_bmCount = NewLabel(body, "LblBMCount", QString(), 16, Bold);
    m_bmCountMsg = NewLabel(body, "LblBMCountMsg", QString(), 16, Bold);
    m_fldCount = NewLabel(body, "LblFldCount", QString(), 16, Bold);
    m_fldCountMsg = NewLabel(body, "LblFldCountMsg", QString(), 16, Bold);
    for (QLabel *number : {m_bmCount, m_fldCount}) {
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Colour(number, QPalette::WindowText, QColor(0x80, 0x80, 0x00));
    }
    counts->setColumnStretch(0, 1);
    counts->addWidget(m_bmCount, 0, 1);
    counts->addWidget(m_bmCountMsg, 0, 2);
    counts->addWidget(m_fldCount, 0, 3);
    counts->addWidget(m_fldCountMsg, 0, 4);
    counts->setColumnStretch(5, 1);
    column->addLayout(counts);

    m_descr = NewLabel(body, "LblDescr", QString(), 13);
    m_netCaption = NewLabel(body, "LblNetCaption", "---  Important Notice  ---", 16, Bold);
    Colour(m_netCaption, QPalette::WindowText, Qt::red);
    m_netText = NewLabel(body, "LblNetText", QString(), 13, Bold);
    for (QLabel *label : {m_descr, m_netCaption, m_netText}) {
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
    }
    column->addSpacing(8);
    column->addWidget(m_descr);
    column->addSpacing(16);
    column->addWidget(m_netCaption);
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
    m_mode = new QStackedWidget(bottom);
    m_mode->setObjectName("NbkMode");
    const auto addPage = [&](const char *pageName, const char *buttonName, const QString &text,
                             void (QDialog::*slot)()) {
        auto *page = new QWidget(m_mode);
        page->setObjectName(pageName);
        auto *pageRow = new QHBoxLayout(page);
        pageRow->setContentsMargins(0, 0, 0, 0);
        auto *button = new QPushButton(text, page);
        button->setObjectName(buttonName);
        button->setFixedSize(101, 27);
        button->setDefault(true);
        connect(button, &QPushButton::clicked, this, slot);
        pageRow->addWidget(button, 0, Qt::AlignCenter);
        m_mode->addWidget(page);
        return pageRow;
    };
    QHBoxLayout *install = addPage("ModeInstall", "BtnRun", "Start it!", &QDialog::accept);
    m_autostart =
        new QCheckBox(QStringLiteral("Start Favrake when I log in"), install->parentWidget());
    m_autostart->setObjectName("CbxAutostart");
    m_autostart->setChecked(true);
    install->insertWidget(0, m_autostart);
    addPage("ModeInfo", "BtnClose", "OK", &QDialog::reject);
    row->addWidget(m_mode);
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

void TInstallDlg::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TInstallDlg::FormShow()
{
    setWindowTitle(Phrase("InstallDlg-Caption", "Favrake"));
    m_descr->setText(Phrase("InstallDlg-LblDescr"));
    m_netText->setText(Phrase("InstallDlg-LblNetText"));
    const TBookmarks list(FavoritesFolderInUse());
    m_bmCount->setText(QString::number(list.Count()));
    m_fldCount->setText(QString::number(list.FolderCount()));
    m_bmCountMsg->setText(Phrase("InstallDlg-BCount" + CountSuffix(list.Count()), "bookmarks in"));
    m_fldCountMsg->setText(
        Phrase("InstallDlg-FCount" + CountSuffix(list.FolderCount()), "folders."));
    m_mode->setCurrentIndex(Settings.Installed ? 1 : 0);
    m_hdrB->setText(QStringLiteral("Favrake ") + QLatin1String(FavrakeRelease));
    setFixedHeight(qMax(ClientHeight, sizeHint().height()));
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

void TInstallDlg::ShowAbout()
{
    show();
    raise();
    activateWindow();
}
