#include "workarea.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace platform {
ScreenArea screenUnderCursor()
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 768)};
    return {screen->geometry(), screen->availableGeometry()};
}
} // namespace platform
