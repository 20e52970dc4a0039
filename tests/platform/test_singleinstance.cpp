#include "platform/instanceframe.h"
#include "platform/singleinstance.h"
#include "platform/singleinstance_os.h"

#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using platform::TFrameState;
using platform::TInstanceRole;

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

QProcess *StartHelper(QObject *owner, const QStringList &args)
{
    auto *process = new QProcess(owner);
    process->start(QStringLiteral(INSTANCE_HELPER), args);
    return process;
}

bool SaysFirst(QProcess *process)
{
    return process->peek(4096).contains("first\n");
}

QString ErrorText(QProcess *process)
{
    return QString::fromUtf8(process->readAllStandardError()).trimmed();
}
} // namespace

class TestSingleInstance final : public QObject
{
    Q_OBJECT
  private slots:
    void paramsTravelCut_data();
    void paramsTravelCut();
    void badParamsFrames_data();
    void badParamsFrames();
    void replyTravels_data();
    void replyTravels();
    void framesKeepTheirShape();

    void runtimeFolder_data();
    void runtimeFolder();
    void untrustedFolderTurnsGuardOff_data();
    void untrustedFolderTurnsGuardOff();
    void missingFolderMadePrivate();

    void secondCopyHandsOver_data();
    void secondCopyHandsOver();
    void liveHolderNeverMakesASecondFirst_data();
    void liveHolderNeverMakesASecondFirst();
    void deadFirstCopyNeverBlocks();
    void twoCopiesAtOnce();
    void hostileClientsAreDropped();
    void otherUserIsDropped();
};

void TestSingleInstance::paramsTravelCut_data()
{
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("received");
    const QString a299 = QString(299, 'a');
    QTest::newRow("none") << QStringList() << QStringList();
    QTest::newRow("uninstall") << QStringList{"/UNINSTALL"} << QStringList{"/UNINSTALL"};
    QTest::newRow("empty parameter") << QStringList{""} << QStringList{""};
    QTest::newRow("twelve become ten") << Numbered(12, 2) << Numbered(10, 2);
    QTest::newRow("400 characters become 300") << Numbered(1, 400) << Numbered(1, 300);
    QTest::newRow("cut never splits a pair") << QStringList{a299 + Emoji} << QStringList{a299};
    QTest::newRow("pair that fits")
        << QStringList{a299.chopped(1) + Emoji + "b"} << QStringList{a299.chopped(1) + Emoji};
    QTest::newRow("300 three-byte characters")
        << QStringList{QString(300, QChar(0x65E5))} << QStringList{QString(300, QChar(0x65E5))};
    const QStringList unicode = {"Grüße", Emoji, QChar(0xFEFF) + QStringLiteral("x")};
    QTest::newRow("non-ASCII and a leading U+FEFF") << unicode << unicode;
}

void TestSingleInstance::paramsTravelCut()
{
    QFETCH(QStringList, sent);
    QFETCH(QStringList, received);
    const platform::TParamsRead read = platform::ReadParamsFrame(platform::EncodeParamsFrame(sent));
    QCOMPARE(read.State, TFrameState::Done);
    QCOMPARE(read.Params, received);
}

void TestSingleInstance::badParamsFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TFrameState>("state");
    const QByteArray whole = platform::EncodeParamsFrame({"abc"});
    const auto invalid = TFrameState::Invalid;
    QTest::newRow("foreign bytes") << QByteArray("GET / HTTP/1.1\r\n") << invalid;
    QTest::newRow("newer version") << QByteArray("FVRK\x02") << invalid;
    QTest::newRow("a reply") << platform::EncodeReplyFrame(0, "") << invalid;
    QTest::newRow("declared length over 16 KiB")
        << QByteArray("FVRK\x01\x01\x00\x00\x40\x00", 10) << invalid;
    QTest::newRow("eleven parameters") << ParamsFrame('\x0b' + Text("").repeated(11)) << invalid;
    QTest::newRow("count beyond the parameters") << ParamsFrame('\x02' + Text("a")) << invalid;
    QTest::newRow("301 characters") << ParamsFrame('\x01' + Text(QByteArray(301, 'a'))) << invalid;
    QTest::newRow("length beyond the payload")
        << ParamsFrame('\x01' + Text("abcde").chopped(3)) << invalid;
    QTest::newRow("overlong UTF-8") << ParamsFrame('\x01' + Text("\xC0\xAF")) << invalid;
    QTest::newRow("UTF-8 surrogate") << ParamsFrame('\x01' + Text("\xED\xA0\x80")) << invalid;
    QTest::newRow("beyond U+10FFFF") << ParamsFrame('\x01' + Text("\xF4\x90\x80\x80")) << invalid;
    QTest::newRow("cut UTF-8 sequence") << ParamsFrame('\x01' + Text("\xE2\x82")) << invalid;
    QTest::newRow("byte after the frame") << whole + '!' << invalid;
    QTest::newRow("nothing yet") << QByteArray() << TFrameState::NeedMore;
    QTest::newRow("header only") << whole.first(10) << TFrameState::NeedMore;
    QTest::newRow("half a parameter") << whole.chopped(2) << TFrameState::NeedMore;
}

void TestSingleInstance::badParamsFrames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TFrameState, state);
    const platform::TParamsRead read = platform::ReadParamsFrame(bytes);
    QCOMPARE(read.State, state);
    QVERIFY(read.Params.isEmpty());
}

void TestSingleInstance::replyTravels_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("receivedStatus");
    QTest::addColumn<QString>("receivedText");
    QTest::newRow("success") << 0 << "" << 0 << "";
    QTest::newRow("failure with text") << 1 << "2 files kept" << 1 << "2 files kept";
    QTest::newRow("largest status") << 255 << "" << 255 << "";
    QTest::newRow("negative status fails") << -5 << "x" << 1 << "x";
    QTest::newRow("status beyond a byte fails") << 256 << "" << 1 << "";
    QTest::newRow("long text cut") << 0 << QString(5000, 't') << 0 << QString(4000, 't');
}

void TestSingleInstance::replyTravels()
{
    QFETCH(int, status);
    QFETCH(QString, text);
    const platform::TReplyRead read =
        platform::ReadReplyFrame(platform::EncodeReplyFrame(status, text));
    QCOMPARE(read.State, TFrameState::Done);
    QTEST(read.ExitStatus, "receivedStatus");
    QTEST(read.Text, "receivedText");
}

void TestSingleInstance::framesKeepTheirShape()
{
    const QByteArray frame = platform::EncodeParamsFrame({"ab", Emoji});
    QCOMPARE(frame, ParamsFrame('\x02' + Text("ab") + Text("\xF0\x9F\x98\x80")));
    for (qsizetype size = 0; size < frame.size(); ++size)
        QCOMPARE(platform::ReadParamsFrame(frame.first(size)).State, TFrameState::NeedMore);
    QCOMPARE(platform::ReadReplyFrame(frame).State, TFrameState::Invalid);
    QVERIFY(platform::EncodeParamsFrame(Numbered(10, 300)).size() <= platform::MaxFrameBytes);
}

void TestSingleInstance::runtimeFolder_data()
{
    QTest::addColumn<QByteArray>("runtime");
    QTest::addColumn<QString>("folder");
    const QString fallback = QStringLiteral("/tmp/favrake-%1/").arg(::geteuid());
    QTest::newRow("runtime folder") << QByteArray("/run/user/7") << "/run/user/7/favrake/";
    QTest::newRow("trailing slash") << QByteArray("/run/user/7/") << "/run/user/7/favrake/";
    QTest::newRow("relative ignored") << QByteArray("run/user/7") << fallback;
    QTest::newRow("unset") << QByteArray() << fallback;
}

void TestSingleInstance::runtimeFolder()
{
    QFETCH(QByteArray, runtime);
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime);
    const QString folder = platform::RuntimeInstanceFolder();
    qputenv("XDG_RUNTIME_DIR", saved);
    QTEST(folder, "folder");
}

void TestSingleInstance::untrustedFolderTurnsGuardOff_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"link", "plain file", "open to the group", "other owner", "too long"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestSingleInstance::untrustedFolderTurnsGuardOff()
{
    QFETCH(QString, kind);
    QTemporaryDir base;
    QString folder = base.filePath("guard");
    if (kind == "link") {
        QVERIFY(QDir(base.path())
                    .mkdir("real", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(QFile::link(base.filePath("real"), folder));
    } else if (kind == "plain file") {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    } else if (kind == "too long") {
        folder = base.filePath(QString(100, 'x'));
    } else {
        QVERIFY(QDir().mkdir(folder));
        QCOMPARE(::chmod(qPrintable(folder), kind == "other owner" ? 0700 : 0750), 0);
        if (kind == "other owner" && ::chown(qPrintable(folder), 65534, 65534) != 0)
            QSKIP("only root can give a folder away");
    }
    const QStringList before = QDir(base.path()).entryList(QDir::AllEntries | QDir::System);

    platform::TSingleInstance guard(folder);
    const platform::TStartResult result = guard.Start({});
    QCOMPARE(result.Role, TInstanceRole::First);
    QVERIFY(!result.Listening);
    QVERIFY2(result.Text.contains(QDir::cleanPath(folder)), qPrintable(result.Text));
    QCOMPARE(QDir(base.path()).entryList(QDir::AllEntries | QDir::System), before);
    if (kind == "link")
        QVERIFY(QDir(base.filePath("real")).isEmpty());
}

void TestSingleInstance::missingFolderMadePrivate()
{
    QTemporaryDir base;
    const QString folder = base.filePath("favrake");
    const mode_t saved = ::umask(0277);
    platform::TSingleInstance guard(folder);
    const platform::TStartResult result = guard.Start({});
    ::umask(saved);
    QCOMPARE(result.Role, TInstanceRole::First);
    QVERIFY2(result.Listening, qPrintable(result.Text));
    struct stat info = {};
    QCOMPARE(::lstat(qPrintable(folder), &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0700));
}

void TestSingleInstance::secondCopyHandsOver_data()
{
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<QString>("answer"); // "dropped", "later" or "guard ends"
    QTest::addColumn<QStringList>("received");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain start") << QStringList() << "dropped" << QStringList() << 0 << "";
    QTest::newRow("twelve long parameters")
        << Numbered(12, 400) << "dropped" << Numbered(10, 300) << 0 << "";
    QTest::newRow("uninstall answered later")
        << QStringList{"/UNINSTALL"} << "later" << QStringList{"/UNINSTALL"} << 1 << "2 files kept";
    QTest::newRow("guard ends unanswered")
        << QStringList{"/UNINSTALL"} << "guard ends" << QStringList{"/UNINSTALL"} << 0 << "";
}

void TestSingleInstance::secondCopyHandsOver()
{
    QFETCH(QStringList, params);
    QFETCH(QString, answer);
    QFETCH(int, status);
    QFETCH(QString, text);
    QTemporaryDir dir;
    auto guard = std::make_unique<platform::TSingleInstance>(dir.path());
    QVERIFY(guard->Start({}).Listening);
    QList<QStringList> received;
    std::shared_ptr<platform::TInstanceReply> kept;
    connect(guard.get(), &platform::TSingleInstance::InstanceStarted,
            [&](const QStringList &got, std::shared_ptr<platform::TInstanceReply> reply) {
                received.append(got);
                if (answer != "dropped")
                    kept = reply;
            });

    QProcess *second = StartHelper(this, QStringList{"start", dir.path(), "20000"} + params);
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 10000);
    QTEST(received.first(), "received");
    if (answer != "dropped") {
        QTest::qWait(300);
        QCOMPARE(second->state(), QProcess::Running); // waits for the answer
        if (answer == "later")
            kept->Answer(status, text);
        else
            guard.reset();
    }
    QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 10000);
    QCOMPARE(second->exitCode(), status);
    QCOMPARE(ErrorText(second), text);
    QVERIFY(!SaysFirst(second));
}

void TestSingleInstance::liveHolderNeverMakesASecondFirst_data()
{
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("why");
    QTest::newRow("lock held, nobody listens") << false << "cannot be reached";
    QTest::newRow("running copy never answers") << true << "did not answer in time";
}

void TestSingleInstance::liveHolderNeverMakesASecondFirst()
{
    QFETCH(bool, listening);
    QTemporaryDir dir;
    platform::instance::TLockFile lock(dir.filePath(platform::instance::LockFileName));
    platform::TSingleInstance guard(dir.path());
    std::shared_ptr<platform::TInstanceReply> kept;
    if (listening) {
        QVERIFY(guard.Start({}).Listening);
        connect(&guard, &platform::TSingleInstance::InstanceStarted,
                [&](const QStringList &, std::shared_ptr<platform::TInstanceReply> reply) {
                    kept = reply;
                });
    } else {
        QCOMPARE(lock.TryLock(), platform::instance::TLockFile::TState::Held);
    }
    QProcess *second = StartHelper(this, {"start", dir.path(), "1000"});
    QTRY_COMPARE_WITH_TIMEOUT(second->state(), QProcess::NotRunning, 15000);
    QCOMPARE(second->exitCode(), 2);
    QFETCH(QString, why);
    const QString error = ErrorText(second);
    QVERIFY2(error.contains(why), qPrintable(error));
    QVERIFY(!SaysFirst(second));
}

void TestSingleInstance::deadFirstCopyNeverBlocks()
{
    QTemporaryDir dir;
    QProcess *first = StartHelper(this, {"start-with-child", dir.path(), "5000"});
    QTRY_VERIFY_WITH_TIMEOUT(SaysFirst(first), 10000);
    const pid_t child = first->readLine().mid(6).trimmed().toInt();
    QVERIFY(child > 0 && ::kill(child, 0) == 0);
    first->kill();
    QVERIFY(first->waitForFinished(5000));
    QVERIFY(QFile::exists(dir.filePath(platform::instance::SocketFileName)));

    // The lock neither stays with the dead copy nor passed to the program it started.
    platform::TSingleInstance next(dir.path());
    const platform::TStartResult result = next.Start({});
    ::kill(child, SIGKILL);
    QCOMPARE(result.Role, TInstanceRole::First);
    QVERIFY(result.Listening);
    QProcess *later = StartHelper(this, {"start", dir.path(), "5000"});
    QTRY_COMPARE_WITH_TIMEOUT(later->state(), QProcess::NotRunning, 10000);
    QCOMPARE(later->exitCode(), 0);
}

void TestSingleInstance::twoCopiesAtOnce()
{
    for (int round = 0; round < 3; ++round) {
        QTemporaryDir dir;
        QProcess *a = StartHelper(this, {"start", dir.path(), "5000", "a"});
        QProcess *b = StartHelper(this, {"start", dir.path(), "5000", "b"});
        QTRY_VERIFY_WITH_TIMEOUT(
            a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning, 10000);
        QProcess *second = a->state() == QProcess::NotRunning ? a : b;
        QProcess *first = second == a ? b : a;
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(ErrorText(second), second == a ? "seen a" : "seen b");
        QVERIFY(SaysFirst(first));
        first->kill();
        QVERIFY(first->waitForFinished(5000));
    }
}

void TestSingleInstance::hostileClientsAreDropped()
{
    QTemporaryDir dir;
    platform::TInstanceTimeouts timeouts;
    timeouts.ReadMs = 500;
    platform::TSingleInstance guard(dir.path(), timeouts);
    QVERIFY(guard.Start({}).Listening);
    int starts = 0;
    connect(&guard, &platform::TSingleInstance::InstanceStarted, [&] { ++starts; });

    QList<QByteArray> sends = {"GET / HTTP/1.1\r\n\r\n", ParamsFrame(QByteArray(1, '\xc8')),
                               ParamsFrame('\x01' + QByteArray("\xff\xff")),
                               QByteArray("FVRK\x01\x01\xff\xff\xff\xff", 10),
                               platform::EncodeParamsFrame({"half"}).chopped(3)};
    for (int i = 0; i < 100; ++i)
        sends.append(QByteArray()); // silent
    int connected = 0;
    QList<QLocalSocket *> clients;
    for (const QByteArray &bytes : sends) {
        auto *client = new QLocalSocket(this);
        connect(client, &QLocalSocket::connected, [&connected, client, bytes] {
            ++connected;
            client->write(bytes);
        });
        client->connectToServer(dir.filePath(platform::instance::SocketFileName));
        clients.append(client);
    }
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(clients.begin(), clients.end(),
                                         [](QLocalSocket *client) {
                                             return client->state() ==
                                                    QLocalSocket::UnconnectedState;
                                         }),
                             10000);
    QCOMPARE(connected, sends.size());
    QCOMPARE(starts, 0);
    qDeleteAll(clients);

    // Still serving: a frame that comes in pieces within the deadline is heard and answered.
    const QByteArray frame = platform::EncodeParamsFrame({"slow"});
    QLocalSocket honest;
    honest.connectToServer(dir.filePath(platform::instance::SocketFileName));
    QVERIFY(honest.waitForConnected(2000));
    honest.write(frame.first(7));
    QTest::qWait(200);
    honest.write(frame.sliced(7));
    QTRY_COMPARE_WITH_TIMEOUT(starts, 1, 5000);
    QTRY_COMPARE(platform::ReadReplyFrame(honest.peek(100)).State, TFrameState::Done);
}

void TestSingleInstance::otherUserIsDropped()
{
    QTemporaryDir dir;
    platform::TSingleInstance guard(dir.path());
    QVERIFY(guard.Start({}).Listening);
    int starts = 0;
    connect(&guard, &platform::TSingleInstance::InstanceStarted, [&] { ++starts; });
    QProcess *foreign =
        StartHelper(this, {"foreign", dir.filePath(platform::instance::SocketFileName)});
    QTRY_COMPARE_WITH_TIMEOUT(foreign->state(), QProcess::NotRunning, 15000);
    if (foreign->exitCode() == 4)
        QSKIP("needs root to act as another user");
    QCOMPARE(foreign->exitCode(), 0);
    QCOMPARE(starts, 0);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
