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
QStringList ArgumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}
} // namespace

int main(int argc, char *argv[])
{
    const QStringList arguments = ArgumentsOf(argc, argv);
    const TCommand command = ParseCommandLine(arguments);
    if (const std::optional<int> status = AnswerAtOnce(command))
        return *status; // no display needed
    platform::prepareDisplay();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Favrake"));
    QApplication::setDesktopFileName(QString::fromLatin1(FavrakeAppId));
    QApplication::setQuitOnLastWindowClosed(false);
    platform::TSingleInstance guard; // held for the whole run
    if (const std::optional<int> status = EndBeforeStart(command, arguments, guard))
        return *status; // this copy never touches the settings
    LoadSettings(arguments, platform::appDataFolder());
    if (command == TCommand::CreateTemplate)
        DisableSaving();
    Languages().Scan(DefaultLanguageFolders());
    int exitCode = 0;
    {
        TProgram program(arguments);
        QObject::connect(&guard, &platform::TSingleInstance::InstanceStarted, &program,
                         &TProgram::InstanceStarted);
        exitCode = application.exec();
    }
    if (const QString failed = SaveSettings(); !failed.isEmpty())
        QMessageBox::warning(nullptr, QStringLiteral("Favrake"), failed);
    return exitCode;
}
