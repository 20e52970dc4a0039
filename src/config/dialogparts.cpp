#include "dialogparts.h"

#include "lang/phrases.h"

#include <QIcon>
#include <QLabel>

QLabel *newLabel(QWidget *parent, const char *name, const QString &text, int pixelSize, int style)
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

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(role == QPalette::Window);
}

QWidget *newPanel(QWidget *parent, const char *name, const QColor &colour)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(QLatin1String(name));
    setColour(panel, QPalette::Window, colour);
    return panel;
}

QLabel *newImage(QWidget *parent, const char *name, const QIcon &icon)
{
    auto *image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    image->setFixedSize(32, 32);
    image->setPixmap(icon.pixmap(32, 32));
    return image;
}

void dressDialog(QWidget *dialog, const char *name, const QIcon &icon)
{
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowIcon(icon);
    setColour(dialog, QPalette::Window, cream);
}

QString countsText(int bookmarks, int folders)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(bookmarks)
        .arg(phrase("InstallDlg-BCount" + countSuffix(bookmarks)))
        .arg(folders)
        .arg(phrase("InstallDlg-FCount" + countSuffix(folders)));
}
