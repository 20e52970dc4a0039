#include "platform/instanceframe.h"
#include "platform/singleinstance.h"
#include "platform/singleinstance_os.h"
#include "testenv.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using namespace Qt::Literals::StringLiterals;
using instance::SocketFileName;

namespace {
const QString Emoji = QStringLiteral("\U0001F600");

QByteArray Text(const QByteArray &utf8)
{
    return QByteArray(1, char(utf8.size() >> 8)) + char(utf8.size() & 0xff) + utf8;
}

QByteArray ParamsFrame(const QByteArray &payload)
{
    const qsizetype n = payload.size();
    return QByteArray("FVRK\x01\x01\x00\x00", 8) + char(n >> 8) + char(n & 0xff) + payload;
}

QStringList Numbered(int count, qsizetype length)
{
    QStringList params;
    for (int i = 0; i < count; ++i)
        params.append(QString(length, QChar(u'a' + i)));
    return params;
}

// Another copy of the program, played by the helper, started through runAs when given.
QProcess *StartCopy(QObject *owner, const QStringList &args, const QStringList &runAs = {})
{
    const QStringList command = runAs + QStringList{INSTANCE_HELPER} + args;
    auto *process = new QProcess(owner);
    process->start(command.first(), command.mid(1));
    return process;
}

// The OS runs the copy as user 65534; ambient CAP_DAC_OVERRIDE lets it through the private
// folder, so the guard's own peer check is what must refuse it. Empty when not root.
QStringList AsOtherUser()
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty())
        return {};
    return QStringList{setpriv} + QStringLiteral("--reuid=65534 --regid=65534 --clear-groups "
                                                 "--inh-caps=+dac_override "
                                                 "--ambient-caps=+dac_override")
                                      .split(' ');
}
} // namespace

class TestSingleInstance final : public QObject
{
    Q_OBJECT
  private slots:
    // Frames that fail the round trip (foreign bytes, overlong UTF-8, too many parameters,
    // bytes after the frame) are the fuzz target's; these are the cuts, the limits, and the
    // running copy's frames one after another: notices, then the reply.
    void frames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("reply");   // the running copy's frames, else a start's
        QTest::addColumn<QString>("read"); // "a|b" parameters, or "notice text|status text"
        const auto row = [](const char *name, const QByteArray &bytes, bool reply,
                            const QStringList &read) {
            QTest::newRow(name) << bytes << reply << read.join(u'|');
        };
        const QString a299(299, 'a');
        const QStringList unicode = {"Grüße", Emoji, QChar(0xFEFF) + QStringLiteral("x")};
        row("wire layout", ParamsFrame('\x02' + Text("ab") + Text("\xF0\x9F\x98\x80")), false,
            {"ab", Emoji});
        row("twelve long parameters become ten of 300", EncodeParamsFrame(Numbered(12, 400)), false,
            Numbered(10, 300));
        row("cut never splits a pair", EncodeParamsFrame({a299 + Emoji}), false, {a299});
        row("non-ASCII and a leading U+FEFF", EncodeParamsFrame(unicode), false, unicode);
        row("declared length over 16 KiB", QByteArray("FVRK\x01\x01\x00\x00\x40\x00", 10), false,
            {"invalid"});
        row("long text cut", EncodeReplyFrame(0, QString(5000, 't')), true,
            {"0 " + QString(4000, 't')});
        row("notices before the reply",
            EncodeNoticeFrame("") + EncodeNoticeFrame("waits") + EncodeReplyFrame(0, "done"), true,
            {"notice ", "notice waits", "0 done"});
        row("params are no answer", EncodeParamsFrame({"x"}), true, {"invalid"});
        row("garbage after a notice", EncodeNoticeFrame("a") + "GET", true,
            {"notice a", "invalid"});
    }
    void frames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, reply);
        QStringList read;
        const auto stop = [&](TFrameState state) {
            read << (state == TFrameState::Invalid ? u"invalid"_s : u"more"_s);
            return false;
        };
        if (const TParamsRead params = ReadParamsFrame(bytes); !reply)
            params.State == TFrameState::Done ? void(read = params.Params)
                                              : void(stop(params.State));
        for (QByteArrayView rest = bytes; reply && !rest.isEmpty();) {
            const TReplyRead frame = ReadReplyFrame(rest);
            if (frame.State != TFrameState::Done && !stop(frame.State))
                break;
            read << (frame.Notice ? u"notice"_s : QString::number(frame.ExitStatus)) + u' ' +
                        frame.Text;
            rest = rest.sliced(frame.Size);
        }
        QTEST(read.join(u'|'), "read");
    }

    void runtimeFolder()
    {
        const auto folderWith = [](const QByteArray &runtime) {
            const ScopedEnv given("XDG_RUNTIME_DIR", runtime);
            return RuntimeInstanceFolder();
        };
        QCOMPARE(folderWith("/run/user/7/"), "/run/user/7/favrake/");
        QCOMPARE(folderWith("run/user/7"), QStringLiteral("/tmp/favrake-%1/").arg(::geteuid()));
    }

    void folderTrust_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind :
             {"missing", "link", "plain file", "open to the group", "other owner", "too long"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    // A missing folder is made private whatever the umask; any doubt about an existing one
    // turns the guard off without touching anything.
    void folderTrust()
    {
        QFETCH(QString, kind);
        QTemporaryDir base;
        const QString folder = base.filePath(kind == "too long" ? QString(100, 'x') : "guard");
        const QByteArray path = QFile::encodeName(folder);
        if (kind == "link")
            QVERIFY(::mkdir(qPrintable(base.filePath("real")), 0700) == 0 &&
                    QFile::link(base.filePath("real"), folder));
        else if (kind == "plain file")
            QCOMPARE(::close(::open(path, O_CREAT | O_WRONLY, 0700)), 0);
        else if (kind == "open to the group" || kind == "other owner")
            QVERIFY(::mkdir(path, 0700) == 0 &&
                    ::chmod(path, kind == "other owner" ? 0700 : 0750) == 0);
        if (kind == "other owner" && ::chown(path, 65534, 65534) != 0)
            QSKIP("only root can give a folder away");
        const QStringList before = QDir(base.path()).entryList(QDir::AllEntries | QDir::System);
        const mode_t savedMask = ::umask(0277);
        const TStartResult result = TSingleInstance(folder).Start({});
        ::umask(savedMask);
        QCOMPARE(result.Role, TInstanceRole::First);
        QCOMPARE(result.Listening, kind == "missing");
        struct stat info = {};
        if (kind == "missing") {
            QVERIFY(::lstat(path, &info) == 0);
            QCOMPARE(info.st_mode & 07777, mode_t(0700));
        } else {
            QVERIFY2(result.Text.contains(QDir::cleanPath(folder)), qPrintable(result.Text));
            QCOMPARE(QDir(base.path()).entryList(QDir::AllEntries | QDir::System), before);
        }
        QVERIFY(QDir(base.filePath("real")).isEmpty());
    }

    void secondCopy_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("received");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text"); // the second copy's standard error
        QTest::newRow("waits past the silence limit while the running copy lives")
            << "later" << true << 1 << "Waits for a question.\n2 files kept";
        QTest::newRow("guard ends unanswered: not done")
            << "guard ends" << true << 1
            << "Waits for a question.\nThe running copy of Favrake ended without doing it.";
        QTest::newRow("running copy hangs")
            << "hangs" << false << 2 << "The running copy of Favrake does not answer.";
        QTest::newRow("lock held, nobody listens")
            << "nobody listens" << false << 2 << "The running copy of Favrake cannot be reached.";
    }
    // A live first copy, reachable or not, never lets a second one become first.
    void secondCopy()
    {
        QFETCH(QString, answer);
        QFETCH(int, status);
        QFETCH(QString, text);
        QTemporaryDir dir;
        instance::TLockFile lock(dir.filePath(instance::LockFileName));
        auto guard =
            std::make_unique<TSingleInstance>(dir.path(), TInstanceTimeouts{.LifeSignMs = 100});
        QLocalServer silent; // takes the start and never answers
        const bool answers = answer == "later" || answer == "guard ends";
        if (answers)
            QVERIFY(guard->Start({}).Listening);
        else
            QCOMPARE(lock.TryLock(), instance::TLockFile::TState::Held);
        if (answer == "hangs")
            QVERIFY(silent.listen(dir.filePath(SocketFileName)));
        QList<QStringList> received;
        std::shared_ptr<TInstanceReply> kept;
        connect(guard.get(), &TSingleInstance::InstanceStarted,
                [&](const QStringList &got, std::shared_ptr<TInstanceReply> reply) {
                    received.append(got);
                    kept = reply;
                });
        QProcess *second = StartCopy(this, {"start", dir.path(), "1000", "/UNINSTALL"});
        if (answers) {
            QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 10000);
            kept->Notify("Waits for a question.");
            QTest::qWait(2500); // more than the second copy's silence limit
            QCOMPARE(second->state(), QProcess::Running);
            if (answer == "later")
                kept->Answer(status, "2 files kept");
            else
                guard.reset();
        }
        QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 15000);
        QCOMPARE(received, answers ? QList<QStringList>{{"/UNINSTALL"}} : QList<QStringList>{});
        QCOMPARE(second->exitCode(), status);
        QCOMPARE(second->readAllStandardError().trimmed(), text.toUtf8());
    }

    // Five copies start at once: one runs and takes each other's parameters once, the others
    // end with its answer. Every later round starts after the running copy was killed, with
    // the program it started still running.
    void copiesRaceAndDie()
    {
        QTemporaryDir dir;
        QList<pid_t> children;
        for (int round = 0; round < 3; ++round) {
            QList<QProcess *> copies;
            for (int copy = 1; copy <= 5; ++copy)
                copies.append(StartCopy(this, QStringList{"start", dir.path(), "5000"} +
                                                  Numbered(copy, round + 1)));
            const auto isRunning = [](QProcess *copy) {
                return copy->state() != QProcess::NotRunning;
            };
            QTRY_COMPARE_WITH_TIMEOUT(std::ranges::count_if(copies, isRunning), 1, 15000);
            QProcess *first = *std::ranges::find_if(copies, isRunning);
            QByteArrayList handedOver;
            for (QProcess *second : copies) {
                if (second == first)
                    continue;
                const QByteArray seen = "seen " + second->arguments().mid(3).join(' ').toUtf8();
                QCOMPARE(second->exitCode(), 0);
                QCOMPARE(second->readAllStandardError(), seen + '\n');
                handedOver.append(seen);
            }
            QTRY_COMPARE_WITH_TIMEOUT(first->peek(4096).count('\n'), 2 + 4, 5000);
            QByteArrayList lines = first->readAll().split('\n');
            QCOMPARE(lines.value(1), "first");
            children.append(lines.first().mid(6).toInt());
            QByteArrayList received = lines.mid(2, 4);
            std::ranges::sort(received);
            std::ranges::sort(handedOver);
            QCOMPARE(received, handedOver);
            QVERIFY(children.last() > 0 && ::kill(children.last(), 0) == 0);
            first->kill();
            QVERIFY(first->waitForFinished(5000));
        }
        for (const pid_t child : children)
            ::kill(child, SIGKILL);
    }

    // Garbage, limits exceeded, silence, a hundred connections and another user: none starts
    // anything, and the guard keeps serving.
    void strangersAreDropped()
    {
        QTemporaryDir dir;
        TSingleInstance guard(dir.path(), {.ReadMs = 500});
        QVERIFY(guard.Start({}).Listening);
        int starts = 0, connected = 0, dropped = 0;
        connect(&guard, &TSingleInstance::InstanceStarted, [&] { ++starts; });
        const QStringList otherUser = AsOtherUser();
        QProcess *foreign = nullptr;
        if (!otherUser.isEmpty())
            foreign = StartCopy(this, {"foreign", dir.filePath(SocketFileName)}, otherUser);
        QList<QByteArray> sends = {"GET / HTTP/1.1\r\n\r\n", ParamsFrame(QByteArray(1, '\xc8')),
                                   ParamsFrame('\x01' + QByteArray("\xff\xff")),
                                   QByteArray("FVRK\x01\x01\xff\xff\xff\xff", 10),
                                   EncodeParamsFrame({"half"}).chopped(3)};
        sends.resize(sends.size() + 100); // silent clients
        QObject clients;
        for (const QByteArray &bytes : sends) {
            auto *client = new QLocalSocket(&clients);
            connect(client, &QLocalSocket::connected, [&connected, client, bytes] {
                ++connected;
                client->write(bytes);
            });
            connect(client, &QLocalSocket::disconnected, [&dropped] { ++dropped; });
            client->connectToServer(dir.filePath(SocketFileName));
        }
        QTRY_COMPARE_WITH_TIMEOUT(dropped, sends.size(), 10000);
        QCOMPARE(connected, sends.size());
        QTRY_VERIFY_WITH_TIMEOUT(!foreign || foreign->state() == QProcess::NotRunning, 15000);
        QCOMPARE(starts, 0);

        const QByteArray frame = EncodeParamsFrame({"slow"});
        QLocalSocket honest;
        honest.connectToServer(dir.filePath(SocketFileName));
        QVERIFY(honest.waitForConnected(2000));
        honest.write(frame.first(7));
        QTest::qWait(200);
        honest.write(frame.sliced(7));
        QTRY_COMPARE_WITH_TIMEOUT(starts, 1, 5000);
        QTRY_COMPARE(ReadReplyFrame(honest.peek(100)).State, TFrameState::Done);
        if (!foreign)
            QSKIP("another user's copy needs root and setpriv (util-linux); all else passed");
        QCOMPARE(foreign->exitCode(), 3); // connected, then dropped unanswered
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
