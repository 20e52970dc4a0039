#include "display.h"

#include <QByteArray>
#include <QtGlobal>

namespace platform {
void prepareDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return; // the user's choice
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY") && qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}
} // namespace platform
