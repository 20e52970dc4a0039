#include "commandline.h"

#include "platform/singleinstance.h"
#include "version.h"

#include <QTextStream>

TCommand ParseCommandLine(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return TCommand::Run;
    if (arguments.first() == u"/UNINSTALL")
        return TCommand::Uninstall;
    if (arguments.first() == u"/CREATELNG")
        return TCommand::CreateTemplate;
    if (arguments.first() == u"--help" || arguments.first() == u"-h")
        return TCommand::Help;
    if (arguments.first() == u"--version")
        return TCommand::Version;
    return TCommand::Unknown;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: favrake [/UNINSTALL | /CREATELNG | --help | --version]\n"
        "  (nothing)    start Favrake in the notification area, or show the running copy\n"
        "  /UNINSTALL   remove Favrake's section from every unchanged bookmark and the\n"
        "               settings file\n"
        "  /CREATELNG   write the language template \"Template.lng\" into the current folder\n");
}

std::optional<int> AnswerAtOnce(TCommand command)
{
    if (command == TCommand::Help || command == TCommand::Version) {
        QTextStream out(stdout);
        out << (command == TCommand::Help ? UsageText()
                                          : QStringLiteral("favrake %1\n").arg(FavrakeRelease));
        return 0;
    }
    if (command == TCommand::Unknown) {
        QTextStream(stderr) << UsageText();
        return 2;
    }
    return std::nullopt;
}

std::optional<int> EndBeforeStart(TCommand command, const QStringList &arguments,
                                  platform::TSingleInstance &guard)
{
    QTextStream err(stderr);
    if (command == TCommand::CreateTemplate)
        return std::nullopt;
    QObject::connect(&guard, &platform::TSingleInstance::Waiting, &guard, [](const QString &text) {
        QTextStream(stderr) << "favrake: " << text << Qt::endl;
    });
    const platform::TStartResult start = guard.Start(arguments);
    if (!start.Text.isEmpty())
        err << "favrake: " << start.Text << '\n';
    switch (start.Role) {
    case platform::TInstanceRole::HandedOver:
        return start.ExitStatus;
    case platform::TInstanceRole::Failed:
        return 1;
    case platform::TInstanceRole::First:
        break;
    }
    return std::nullopt;
}
