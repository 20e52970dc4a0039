// Plays another copy of the program for the single-instance tests.
//   instance_helper start <folder> <silenceMs> [params...]
//     As first copy: starts "sleep 30", prints "child <pid>" and "first", and for 30 s
//     prints "seen <params>" for each start and answers it with 0 and the same text.
//     Otherwise: prints each notice, then the answer or why it failed, to stderr; ends with
//     the answer's status or 2.
//   instance_helper foreign <socket>
//     Run as another user, sends a start: 3 when dropped without an answer, 0 otherwise,
//     4 when it still runs as root, 5 when it cannot connect.
#include "platform/instanceframe.h"
#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {
int runStart(const QStringList &args)
{
    platform::SingleInstance guard(args.value(0),
                                   {.connectMs = 3000, .silenceMs = args.value(1).toInt()});
    QObject::connect(&guard, &platform::SingleInstance::waiting,
                     [](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    const platform::StartResult result = guard.start(args.mid(2));
    if (result.role != platform::InstanceRole::First) {
        std::fprintf(stderr, "%s\n", qPrintable(result.text));
        return result.role == platform::InstanceRole::HandedOver ? result.exitStatus : 2;
    }
    qint64 child = 0;
    QProcess::startDetached("sleep", {"30"}, QString(), &child);
    std::printf("child %lld\nfirst\n", child);
    std::fflush(stdout);
    QObject::connect(&guard, &platform::SingleInstance::instanceStarted,
                     [](const QStringList &params, std::shared_ptr<platform::InstanceReply> reply) {
                         const QString seen = "seen " + params.join(' ');
                         std::printf("%s\n", qPrintable(seen));
                         std::fflush(stdout);
                         reply->answer(0, seen);
                     });
    QTimer::singleShot(30000, qApp, &QCoreApplication::quit);
    return qApp->exec();
}

int runForeign(const QString &socketPath)
{
    if (::geteuid() == 0)
        return 4;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(3000))
        return 5;
    socket.write(platform::encodeParamsFrame({"foreign"}));
    socket.waitForBytesWritten(3000);
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(5000)) {
    }
    return socket.bytesAvailable() == 0 && socket.state() == QLocalSocket::UnconnectedState ? 3 : 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == "foreign")
        return runForeign(app.arguments().value(2));
    return runStart(app.arguments().mid(2));
}
