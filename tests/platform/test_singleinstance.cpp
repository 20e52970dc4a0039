#include "platform/instanceframe.h"
#include "platform/singleinstance.h"
#include "platform/singleinstance_os.h"
#include "rowfile.h"
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
using instance::socketFileName;

namespace {
const QString emoji = QStringLiteral("\U0001F600");

QByteArray text(const QByteArray &utf8)
{
    return QByteArray(1, char(utf8.size() >> 8)) + char(utf8.size() & 0xff) + utf8;
}

QByteArray paramsFrame(const QByteArray &payload)
{
    const qsizetype n = payload.size();
    return QByteArray("FVRK\x01\x01\x00\x00", 8) + char(n >> 8) + char(n & 0xff) + payload;
}

QStringList numbered(int count, qsizetype length)
{
    QStringList params;
    for (int i = 0; i < count; ++i)
        params.append(QString(length, QChar(u'a' + i)));
    return params;
}

// Another copy of the program, played by the helper, started through runAs when given.
QProcess *startCopy(QObject *owner, const QStringList &args, const QStringList &runAs = {})
{
    const QStringList command = runAs + QStringList{INSTANCE_HELPER} + args;
    auto *process = new QProcess(owner);
    process->start(command.first(), command.mid(1));
    return process;
}

// The OS runs the copy as user 65534; ambient CAP_DAC_OVERRIDE lets it through the private
// folder, so the guard's own peer check is what must refuse it. Empty when not root.
QStringList asOtherUser()
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
        const QStringList unicode = {"Grüße", emoji, QChar(0xFEFF) + QStringLiteral("x")};
        row("wire layout", paramsFrame('\x02' + text("ab") + text("\xF0\x9F\x98\x80")), false,
            {"ab", emoji});
        row("twelve long parameters become ten of 300", encodeParamsFrame(numbered(12, 400)), false,
            numbered(10, 300));
        row("cut never splits a pair", encodeParamsFrame({a299 + emoji}), false, {a299});
        row("non-ASCII and a leading U+FEFF", encodeParamsFrame(unicode), false, unicode);
        row("declared length over 16 KiB", QByteArray("FVRK\x01\x01\x00\x00\x40\x00", 10), false,
            {"invalid"});
        row("long text cut", encodeReplyFrame(0, QString(5000, 't')), true,
            {"0 " + QString(4000, 't')});
        row("notices before the reply",
            encodeNoticeFrame("") + encodeNoticeFrame("waits") + encodeReplyFrame(0, "done"), true,
            {"notice ", "notice waits", "0 done"});
        row("params are no answer", encodeParamsFrame({"x"}), true, {"invalid"});
        row("garbage after a notice", encodeNoticeFrame("a") + "GET", true,
            {"notice a", "invalid"});
    }
    void frames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, reply);
        QStringList read;
        const auto stop = [&](FrameState state) {
            read << (state == FrameState::Invalid ? u"invalid"_s : u"more"_s);
            return false;
        };
        if (const ParamsRead params = readParamsFrame(bytes); !reply)
            params.state == FrameState::Done ? void(read = params.params)
                                             : void(stop(params.state));
        for (QByteArrayView rest = bytes; reply && !rest.isEmpty();) {
            const ReplyRead frame = readReplyFrame(rest);
            if (frame.state != FrameState::Done && !stop(frame.state))
                break;
            read << (frame.notice ? u"notice"_s : QString::number(frame.exitStatus)) + u' ' +
                        frame.text;
            rest = rest.sliced(frame.size);
        }
        QTEST(read.join(u'|'), "read");
    }

    void runtimeFolder()
    {
        const auto folderWith = [](const QByteArray &runtime) {
            const ScopedEnv given("XDG_RUNTIME_DIR", runtime);
            return runtimeInstanceFolder();
        };
        QCOMPARE(folderWith("/run/user/7/"), "/run/user/7/favrake/");
        QCOMPARE(folderWith("run/user/7"), QStringLiteral("/tmp/favrake-%1/").arg(::geteuid()));
    }

    void folderTrust_data() { addRowsFromFile(QStringLiteral("platform/guardfolders.tsv")); }
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
        const StartResult result = SingleInstance(folder).start({});
        ::umask(savedMask);
        QCOMPARE(result.role, InstanceRole::First);
        QCOMPARE(result.listening, kind == "missing");
        struct stat info = {};
        if (kind == "missing") {
            QVERIFY(::lstat(path, &info) == 0);
            QCOMPARE(info.st_mode & 07777, mode_t(0700));
        } else {
            QVERIFY2(result.text.contains(QDir::cleanPath(folder)), qPrintable(result.text));
            QCOMPARE(QDir(base.path()).entryList(QDir::AllEntries | QDir::System), before);
        }
        QVERIFY(QDir(base.filePath("real")).isEmpty());
    }

    void secondCopy_data() { addRowsFromFile(QStringLiteral("platform/secondcopies.tsv")); }
    // A live first copy, reachable or not, never lets a second one become first.
    void secondCopy()
    {
        QFETCH(QString, answer);
        QFETCH(int, status);
        QFETCH(QString, text);
        QTemporaryDir dir;
        instance::LockFile lock(dir.filePath(instance::lockFileName));
        auto guard =
            std::make_unique<SingleInstance>(dir.path(), InstanceTimeouts{.lifeSignMs = 100});
        QLocalServer silent; // takes the start and never answers
        const bool answers = answer == "later" || answer == "guard ends";
        if (answers)
            QVERIFY(guard->start({}).listening);
        else
            QCOMPARE(lock.tryLock(), instance::LockFile::State::Held);
        if (answer == "hangs")
            QVERIFY(silent.listen(dir.filePath(socketFileName)));
        QList<QStringList> received;
        std::shared_ptr<InstanceReply> kept;
        connect(guard.get(), &SingleInstance::instanceStarted,
                [&](const QStringList &got, std::shared_ptr<InstanceReply> reply) {
                    received.append(got);
                    kept = reply;
                });
        QProcess *second = startCopy(this, {"start", dir.path(), "1000", "/UNINSTALL"});
        if (answers) {
            QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 10000);
            kept->notify("Waits for a question.");
            // It keeps waiting for longer than its silence limit.
            QVERIFY(!QTest::qWaitFor([&] { return second->state() != QProcess::Running; }, 2500));
            if (answer == "later")
                kept->answer(status, "2 files kept");
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
                copies.append(startCopy(this, QStringList{"start", dir.path(), "5000"} +
                                                  numbered(copy, round + 1)));
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
        SingleInstance guard(dir.path(), {.readMs = 500});
        QVERIFY(guard.start({}).listening);
        int starts = 0, connected = 0, dropped = 0;
        connect(&guard, &SingleInstance::instanceStarted, [&] { ++starts; });
        const QStringList otherUser = asOtherUser();
        QProcess *foreign = nullptr;
        if (!otherUser.isEmpty())
            foreign = startCopy(this, {"foreign", dir.filePath(socketFileName)}, otherUser);
        QList<QByteArray> sends = {"GET / HTTP/1.1\r\n\r\n", paramsFrame(QByteArray(1, '\xc8')),
                                   paramsFrame('\x01' + QByteArray("\xff\xff")),
                                   QByteArray("FVRK\x01\x01\xff\xff\xff\xff", 10),
                                   encodeParamsFrame({"half"}).chopped(3)};
        sends.resize(sends.size() + 100); // silent clients
        QObject clients;
        for (const QByteArray &bytes : sends) {
            auto *client = new QLocalSocket(&clients);
            connect(client, &QLocalSocket::connected, [&connected, client, bytes] {
                ++connected;
                client->write(bytes);
            });
            connect(client, &QLocalSocket::disconnected, [&dropped] { ++dropped; });
            client->connectToServer(dir.filePath(socketFileName));
        }
        QTRY_COMPARE_WITH_TIMEOUT(dropped, sends.size(), 10000);
        QCOMPARE(connected, sends.size());
        QTRY_VERIFY_WITH_TIMEOUT(!foreign || foreign->state() == QProcess::NotRunning, 15000);
        QCOMPARE(starts, 0);

        const QByteArray frame = encodeParamsFrame({"slow"});
        QLocalSocket honest;
        honest.connectToServer(dir.filePath(socketFileName));
        QVERIFY(honest.waitForConnected(2000));
        honest.write(frame.first(7));
        QVERIFY(!QTest::qWaitFor([&] { return starts > 0; }, 200)); // half a frame starts nothing
        honest.write(frame.sliced(7));
        QTRY_COMPARE_WITH_TIMEOUT(starts, 1, 5000);
        QTRY_COMPARE(readReplyFrame(honest.peek(100)).state, FrameState::Done);
        if (!foreign)
            QSKIP("another user's copy needs root and setpriv (util-linux); all else passed");
        QCOMPARE(foreign->exitCode(), 3); // connected, then dropped unanswered
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
