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
        "  /UNINSTALL   remove Favrake's state from every bookmark that still points where it\n"
        "               did, its settings file and its login entry, and tell what went;\n"
        "               ends with 1 when some file could not be cleaned\n"
        "  /CREATELNG   write the language template \"Template.lng\" into the current folder\n"
        "  --help, -h   show this text\n"
        "  --version    show the version\n");
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
    if (command == TCommand::CreateTemplate)
        return std::nullopt;
    QObject::connect(&guard, &platform::TSingleInstance::Waiting, &guard, [](const QString &text) {
        QTextStream(stderr) << "favrake: " << text << Qt::endl;
    });
    const platform::TStartResult start = guard.Start(arguments);
    switch (start.Role) {
    case platform::TInstanceRole::HandedOver:
        // The running copy's answer, such as what an uninstall removed, as it came.
        if (!start.Text.isEmpty())
            QTextStream(start.ExitStatus == 0 ? stdout : stderr) << start.Text << '\n';
        return start.ExitStatus;
    case platform::TInstanceRole::Failed:
    case platform::TInstanceRole::First:
        break;
    }
    if (!start.Text.isEmpty())
        QTextStream(stderr) << "favrake: " << start.Text << '\n';
    return start.Role == platform::TInstanceRole::Failed ? std::optional<int>(1) : std::nullopt;
}
