#include "aboutdlg.h"

#include "config/dialogparts.h"
#include "config/settings.h"
#include "lang/dialogstyle.h"
#include "lang/phrases.h"
#include "store/bookmarks.h"
#include "store/textutil.h"
#include "version.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
constexpr int ClientWidth = 460;
constexpr int TextSize = 13;
} // namespace

TAboutDlg::TAboutDlg(const QIcon &icon, QWidget *parent)
    : QDialog(parent, FixedDialogFlags),
      m_registration(this, "AboutDlg", TFormOwner::Application, true)
{
    DressDialog(this, "AboutDlg", icon);
    auto *layout = new QVBoxLayout(this);
    QWidget *header = NewPanel(this, "PnlHdr", SkyBlue);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->addWidget(NewImage(header, "ImgIcon", icon));
    QLabel *title = NewLabel(header, "", QStringLiteral("Favrake ") + QLatin1String(FavrakeRelease),
                             16, Bold | Italic);
    Colour(title, QPalette::WindowText, Qt::darkBlue);
    headerRow->addWidget(title, 1);
    layout->addWidget(header);
    auto *rows = new QGridLayout;
    rows->setColumnStretch(1, 1);
    layout->addLayout(rows);
    const auto row = [&](const char *name, const QString &caption) {
        const int at = rows->rowCount();
        rows->addWidget(NewLabel(this, name, caption, TextSize, Bold), at, 0, Qt::AlignTop);
        QLabel *value = NewLabel(this, "", QString(), TextSize);
        value->setWordWrap(true);
        rows->addWidget(value, at, 1);
        return value;
    };
    row("LblVersionCaption", QStringLiteral("Version:"))->setText(QLatin1String(FavrakeRelease));
    m_folder = row("LblFolderCaption", QStringLiteral("Bookmark folder:"));
    m_licence = row("LblLicenceCaption", QStringLiteral("Licence:"));
    QLabel *homepage = row("LblHomepageCaption", QStringLiteral("Homepage:"));
    homepage->setTextFormat(Qt::RichText);
    homepage->setOpenExternalLinks(true);
    const QString address = QString::fromLatin1(FavrakeHomepage).toHtmlEscaped();
    homepage->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address));
    auto *close = new QPushButton(QStringLiteral("OK"), this);
    close->setObjectName(QStringLiteral("BtnClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignCenter);
    setFixedWidth(ClientWidth);
}

void TAboutDlg::ShowAbout()
{
    show();
    raise();
    activateWindow();
}

void TAboutDlg::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        fillIn();
    QDialog::showEvent(event);
}

void TAboutDlg::fillIn()
{
    setWindowTitle(Phrase("AboutDlg-Caption"));
    const TBookmarks list(FavoritesFolderInUse());
    m_folder->setText(
        QDir::toNativeSeparators(QDir::cleanPath(displayFileName(list.FavoritesPath()))) + u'\n' +
        CountsText(list.Count(), list.FolderCount()));
    m_licence->setText(Phrase("AboutLicence"));
    setFixedHeight(sizeHint().height());
    CentreOnCursorScreen(this);
}
