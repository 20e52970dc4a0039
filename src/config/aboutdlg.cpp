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
constexpr int clientWidth = 460;
constexpr int textSize = 13;
} // namespace

AboutDialog::AboutDialog(const QIcon &icon, QWidget *parent)
    : QDialog(parent, fixedDialogFlags),
      m_registration(this, "AboutDlg", FormOwner::Application, true)
{
    dressDialog(this, "AboutDlg", icon);
    auto *layout = new QVBoxLayout(this);
    QWidget *header = newPanel(this, "PnlHdr", skyBlue);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->addWidget(newImage(header, "ImgIcon", icon));
    QLabel *title = newLabel(header, "", QStringLiteral("Favrake ") + QLatin1String(FavrakeRelease),
                             16, Bold | Italic);
    setColour(title, QPalette::WindowText, Qt::darkBlue);
    headerRow->addWidget(title, 1);
    layout->addWidget(header);
    auto *rows = new QGridLayout;
    rows->setColumnStretch(1, 1);
    layout->addLayout(rows);
    const auto row = [&](const char *name, const QString &caption) {
        const int at = rows->rowCount();
        rows->addWidget(newLabel(this, name, caption, textSize, Bold), at, 0, Qt::AlignTop);
        QLabel *value = newLabel(this, "", QString(), textSize);
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
    setFixedWidth(clientWidth);
}

void AboutDialog::showAbout()
{
    show();
    raise();
    activateWindow();
}

void AboutDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        fillIn();
    QDialog::showEvent(event);
}

void AboutDialog::fillIn()
{
    setWindowTitle(phrase("AboutDlg-Caption"));
    const Bookmarks list(favoritesFolderInUse());
    m_folder->setText(
        QDir::toNativeSeparators(QDir::cleanPath(displayFileName(list.favoritesPath()))) + u'\n' +
        countsText(list.count(), list.folderCount()));
    m_licence->setText(phrase("AboutLicence"));
    setFixedHeight(sizeHint().height());
    centreOnCursorScreen(this);
}
