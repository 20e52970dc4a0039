// Plays another copy of the program for the single-instance tests.
//   instance_helper start|start-with-child <folder> <replyMs> [params...]
//     As first copy: prints "first" and answers each start with 0 and "seen <params>" for
//     30 s; start-with-child first starts "sleep 30" and prints "child <pid>". Handed over:
//     prints the answer to stderr and ends with its status. Failed: prints why, ends with 2.
//   instance_helper foreign <socket>
//     Sends a start as user 65534 that may still pass folder permissions: 0 when dropped
//     without an answer, 3 when answered, 4 when it cannot become that user.
#include "platform/instanceframe.h"
#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
void Say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

int RunFirst(platform::TSingleInstance &guard, bool withChild)
{
    if (withChild) {
        qint64 pid = 0;
        QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("30")}, QString(), &pid);
        Say(QStringLiteral("child %1").arg(pid));
    }
    QObject::connect(
        &guard, &platform::TSingleInstance::InstanceStarted,
        [](const QStringList &params, std::shared_ptr<platform::TInstanceReply> reply) {
            reply->Answer(0, QStringLiteral("seen ") + params.join(' '));
        });
    Say(QStringLiteral("first"));
    QTimer::singleShot(30000, qApp, &QCoreApplication::quit);
    return qApp->exec();
}

int RunStart(const QStringList &args, bool withChild)
{
    platform::TInstanceTimeouts timeouts;
    timeouts.ConnectMs = 3000;
    timeouts.ReplyMs = args.value(1).toInt();
    platform::TSingleInstance guard(args.value(0), timeouts);
    const platform::TStartResult result = guard.Start(args.mid(2));
    if (result.Role == platform::TInstanceRole::First)
        return RunFirst(guard, withChild);
    std::fprintf(stderr, "%s\n", qPrintable(result.Text));
    return result.Role == platform::TInstanceRole::HandedOver ? result.ExitStatus : 2;
}

bool BecomeOtherUser()
{
    if (::geteuid() != 0 || ::prctl(PR_SET_KEEPCAPS, 1) != 0 || ::setgid(65534) != 0 ||
        ::setuid(65534) != 0)
        return false;
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {};
    caps[0].effective = caps[0].permitted = 1u << CAP_DAC_OVERRIDE;
    return ::syscall(SYS_capset, &header, caps) == 0;
}

int RunForeign(const QString &socketPath)
{
    if (!BecomeOtherUser())
        return 4;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(3000))
        return 5;
    socket.write(platform::EncodeParamsFrame({QStringLiteral("foreign")}));
    socket.waitForBytesWritten(3000);
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(5000)) {
    }
    if (socket.bytesAvailable() > 0)
        return 3;
    return socket.state() == QLocalSocket::UnconnectedState ? 0 : 6;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(2);
    const QString mode = app.arguments().value(1);
    if (mode == QLatin1String("foreign"))
        return RunForeign(args.value(0));
    return RunStart(args, mode == QLatin1String("start-with-child"));
}
