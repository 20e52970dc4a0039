#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QIcon;
class QLabel;
class QWidget;

// The pieces the welcome and About dialogs are built of.
inline const QColor cream(0xFF, 0xFB, 0xF0);
inline const QColor skyBlue(0xA6, 0xCA, 0xF0);
inline const QColor olive(0x80, 0x80, 0x00);

enum TextStyle { Plain = 0, Bold = 1, Italic = 2, Underline = 4 };

// A label of plain text; an empty name leaves it out of translation.
QLabel *newLabel(QWidget *parent, const char *name, const QString &text, int pixelSize,
                 int style = Plain);
void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour);
QWidget *newPanel(QWidget *parent, const char *name, const QColor &colour);
QLabel *newImage(QWidget *parent, const char *name, const QIcon &icon);
// Names a dialog for translation and gives it the program's icon and the cream ground.
void dressDialog(QWidget *dialog, const char *name, const QIcon &icon);

// "4 bookmarks in 2 folders." in the current language.
QString countsText(int bookmarks, int folders);
