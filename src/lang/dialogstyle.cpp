#include "dialogstyle.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOnCursorScreen(QWidget *dialog)
{
    const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = dialog->frameGeometry(); // with the window frame, where the system tells it
    frame.moveCenter(screen->availableGeometry().center());
    dialog->move(frame.topLeft());
}
