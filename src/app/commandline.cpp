#include "commandline.h"

#include "platform/singleinstance.h"
#include "version.h"

#include <QTextStream>

Command parseCommandLine(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return Command::Run;
    if (arguments.first() == u"/UNINSTALL")
        return Command::Uninstall;
    if (arguments.first() == u"/CREATELNG")
        return Command::CreateTemplate;
    if (arguments.first() == u"--help" || arguments.first() == u"-h")
        return Command::Help;
    if (arguments.first() == u"--version")
        return Command::Version;
    return Command::Unknown;
}

QString usageText()
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

std::optional<int> answerAtOnce(Command command)
{
    if (command == Command::Help || command == Command::Version) {
        QTextStream out(stdout);
        out << (command == Command::Help ? usageText()
                                         : QStringLiteral("favrake %1\n").arg(FavrakeRelease));
        return 0;
    }
    if (command == Command::Unknown) {
        QTextStream(stderr) << usageText();
        return 2;
    }
    return std::nullopt;
}

std::optional<int> endBeforeStart(Command command, const QStringList &arguments,
                                  platform::SingleInstance &guard)
{
    if (command == Command::CreateTemplate)
        return std::nullopt;
    QObject::connect(&guard, &platform::SingleInstance::waiting, &guard, [](const QString &text) {
        QTextStream(stderr) << "favrake: " << text << Qt::endl;
    });
    const platform::StartResult start = guard.start(arguments);
    switch (start.role) {
    case platform::InstanceRole::HandedOver:
        // The running copy's answer, such as what an uninstall removed, as it came.
        if (!start.text.isEmpty())
            QTextStream(start.exitStatus == 0 ? stdout : stderr) << start.text << '\n';
        return start.exitStatus;
    case platform::InstanceRole::Failed:
    case platform::InstanceRole::First:
        break;
    }
    if (!start.text.isEmpty())
        QTextStream(stderr) << "favrake: " << start.text << '\n';
    return start.role == platform::InstanceRole::Failed ? std::optional<int>(1) : std::nullopt;
}
