// Plays another copy of the program for the single-instance tests.
//   instance_helper start <folder> <replyMs> [params...]
//     As first copy: starts "sleep 30", prints "child <pid>" and "first", and answers each
//     start with 0 and "seen <params>" for 30 s. Otherwise: prints the answer or why it
//     failed to stderr, ends with its status or 2.
//   instance_helper foreign <socket>
//     Sends a start as user 65534 that may still pass folder permissions: 0 when dropped
//     without an answer, 3 otherwise, 4 when it cannot become that user.
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
int RunStart(const QStringList &args)
{
    platform::TSingleInstance guard(args.value(0),
                                    {.ConnectMs = 3000, .ReplyMs = args.value(1).toInt()});
    const platform::TStartResult result = guard.Start(args.mid(2));
    if (result.Role != platform::TInstanceRole::First) {
        std::fprintf(stderr, "%s\n", qPrintable(result.Text));
        return result.Role == platform::TInstanceRole::HandedOver ? result.ExitStatus : 2;
    }
    qint64 child = 0;
    QProcess::startDetached("sleep", {"30"}, QString(), &child);
    std::printf("child %lld\nfirst\n", child);
    std::fflush(stdout);
    QObject::connect(
        &guard, &platform::TSingleInstance::InstanceStarted,
        [](const QStringList &params, std::shared_ptr<platform::TInstanceReply> reply) {
            reply->Answer(0, "seen " + params.join(' '));
        });
    QTimer::singleShot(30000, qApp, &QCoreApplication::quit);
    return qApp->exec();
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
        return 3;
    socket.write(platform::EncodeParamsFrame({"foreign"}));
    socket.waitForBytesWritten(3000);
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(5000)) {
    }
    return socket.bytesAvailable() == 0 && socket.state() == QLocalSocket::UnconnectedState ? 0 : 3;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == "foreign")
        return RunForeign(app.arguments().value(2));
    return RunStart(app.arguments().mid(2));
}
