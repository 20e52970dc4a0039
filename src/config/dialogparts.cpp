#include "dialogparts.h"

#include "lang/phrases.h"

#include <QIcon>
#include <QLabel>

QLabel *NewLabel(QWidget *parent, const char *name, const QString &text, int pixelSize, int style)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
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
    panel->setObjectName(QLatin1String(name));
    Colour(panel, QPalette::Window, colour);
    return panel;
}

QLabel *NewImage(QWidget *parent, const char *name, const QIcon &icon)
{
    auto *image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    image->setFixedSize(32, 32);
    image->setPixmap(icon.pixmap(32, 32));
    return image;
}

void DressDialog(QWidget *dialog, const char *name, const QIcon &icon)
{
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowIcon(icon);
    Colour(dialog, QPalette::Window, Cream);
}

QString CountsText(int bookmarks, int folders)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(bookmarks)
        .arg(Phrase("InstallDlg-BCount" + CountSuffix(bookmarks)))
        .arg(folders)
        .arg(Phrase("InstallDlg-FCount" + CountSuffix(folders)));
}
