#include "config/settings.h"
#include "lang/languages.h"
#include "platform/display.h"
#include "platform/folders.h"
#include "program.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::prepareDisplay();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Favrake"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = application.arguments().mid(1);
    LoadSettings(arguments, platform::appDataFolder());
    Languages().Scan(DefaultLanguageFolders());
    int exitCode = 0;
    {
        TProgram program(arguments);
        exitCode = application.exec();
    }
    SaveSettings();
    return exitCode;
}
