#include "commandline.h"
#include "config/settings.h"
#include "lang/languages.h"
#include "platform/display.h"
#include "platform/folders.h"
#include "platform/singleinstance.h"
#include "program.h"
#include "version.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}
} // namespace

int main(int argc, char *argv[])
{
    const QStringList arguments = argumentsOf(argc, argv);
    const Command command = parseCommandLine(arguments);
    if (const std::optional<int> status = answerAtOnce(command))
        return *status; // no display needed
    platform::prepareDisplay();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Favrake"));
    QApplication::setDesktopFileName(QString::fromLatin1(FavrakeAppId));
    QApplication::setQuitOnLastWindowClosed(false);
    platform::SingleInstance guard; // held for the whole run
    if (const std::optional<int> status = endBeforeStart(command, arguments, guard))
        return *status; // this copy never touches the settings
    loadSettings(arguments, platform::appDataFolder());
    if (command == Command::CreateTemplate)
        disableSaving();
    languages().scan(defaultLanguageFolders());
    int exitCode = 0;
    {
        Program program(arguments);
        QObject::connect(&guard, &platform::SingleInstance::instanceStarted, &program,
                         &Program::instanceStarted);
        exitCode = application.exec();
    }
    if (const QString failed = saveSettings(); !failed.isEmpty())
        QMessageBox::warning(nullptr, QStringLiteral("Favrake"), failed);
    return exitCode;
}
