#include "commandline.h"

#include "platform/singleinstance.h"

#include <QTextStream>

TCommand ParseCommandLine(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return TCommand::Run;
    if (arguments.first() == u"/UNINSTALL")
        return TCommand::Uninstall;
    if (arguments.first() == u"/CREATELNG")
        return TCommand::CreateTemplate;
    return TCommand::Unknown;
}

QString UsageText()
{
    return QStringLiteral(
        "Usage: favrake [/UNINSTALL | /CREATELNG]\n"
        "  (nothing)    start Favrake in the notification area, or show the running copy\n"
        "  /UNINSTALL   remove Favrake's section from every unchanged bookmark and the\n"
        "               settings file\n"
        "  /CREATELNG   write the language template \"Template.lng\" into the current folder\n");
}

std::optional<int> EndBeforeStart(TCommand command, const QStringList &arguments,
                                  platform::TSingleInstance &guard)
{
    QTextStream err(stderr);
    if (command == TCommand::Unknown) {
        err << UsageText();
        return 2;
    }
    if (command == TCommand::CreateTemplate)
        return std::nullopt;
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
