// favrake-cli run as a child process: its command lines and exit codes, list, refresh against
// loopback servers, import, export and duplicates, and how it ends when interrupted or killed.
#include "../refresh/loopbackserver.h"
#include "../store/storefixture.h"
#include "platform/filenames.h"
#include "rowfile.h"
#include "store/bookmarks.h"
#include "testenv.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
// Central European time by its rule, without the time-zone database.
const QByteArray centralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

struct Run
{
    int code = -1; // -1: crashed or still running after the limit
    QString out;
    QString err;
};

// favrake-cli (or program) with these arguments; during runs while it does, with the test's
// event loop serving the loopback servers.
Run runCli(const QStringList &arguments, const std::function<void(QProcess &)> &during = {},
           const QString &program = QStringLiteral(FAVRAKE_CLI))
{
    QProcess cli;
    cli.start(program, arguments);
    if (cli.waitForStarted() && during)
        during(cli);
    if (!QTest::qWaitFor([&] { return cli.state() == QProcess::NotRunning; }, 60000)) {
        cli.kill();
        cli.waitForFinished();
    }
    const bool normal = cli.exitStatus() == QProcess::NormalExit;
    return {normal ? cli.exitCode() : -1, cli.readAllStandardOutput(), cli.readAllStandardError()};
}

// Every file of a folder (not below it) by name, with its content.
QMap<QString, QByteArray> files(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[name] = readFile(QDir(folder).filePath(name));
    return files;
}
} // namespace

class TestCli final : public QObject
{
    Q_OBJECT

  private slots:
    // A wrong command line gets one line that names what is wrong, for every command; the
    // others do their work and say so. "@" stands for the test's folder, which is the
    // default Favorites folder too.
    void commands_data() { addRowsFromFile(QStringLiteral("cli/commands.tsv")); }
    void commands()
    {
        QFETCH(QString, commandLine);
        QFETCH(int, code);
        QFETCH(QString, says);
        QTemporaryDir dir;
        const QStringList arguments =
            commandLine.replace(u'%', QStringLiteral(FAVRAKE_TEST_DATA "/exchange/chromium.html"))
                .replace(u'@', dir.path())
                .split(u' ', Qt::SkipEmptyParts);
        says.replace(u"@"_s, dir.path());
        writeFile(dir.filePath(u"blocked"_s), "a file");
        for (const char *name : {"Only.url", "Copy.url"}) // one bookmark saved twice
            writeFile(dir.filePath(QString::fromLatin1(name)), shortcut("https://only.example/"));
        // A link is written through.
        QVERIFY(QDir(dir.path()).mkdir(u"out"_s) &&
                QFile::link(u"target.html"_s, dir.filePath(u"out/link"_s)));
        // Folders A and B with one address (out/1) or both (out/2) in common.
        const QByteArray a = "<DT><A HREF='https://a/'>a</A>", b = "<DT><A HREF='https://b/'>b</A>";
        const QByteArray one = "<DL><DT><H3>A</H3><DL>" + a + b + "</DL><DT><H3>B</H3><DL>" + a;
        writeFile(dir.filePath(u"out/1"_s), one);
        writeFile(dir.filePath(u"out/2"_s), one + b);
        const ScopedEnv favorites("FAVRAKE_FAVORITES", QFile::encodeName(dir.path()));
        const Run run = runCli(arguments);
        QCOMPARE(run.code, code);
        if (!says.isEmpty()) // and nothing else on the standard output when it fails
            QCOMPARE(run.out.isEmpty(), code != 0);
        if (code == 2)
            QCOMPARE(run.err, u"favrake-cli: "_s + says + u"\nTry 'favrake-cli --help'.\n"_s);
        const QStringList lines = (code == 0 ? run.out : run.err).trimmed().split(u'\n');
        QVERIFY2(code == 2 || lines.first().startsWith(says) || lines.last().startsWith(says),
                 qPrintable(run.out + run.err));
        QVERIFY(QFileInfo(dir.filePath(u"out/link"_s)).isSymLink());
        QCOMPARE(readFile(dir.filePath(u"out/target.html"_s)).startsWith("<!DOCTYPE"),
                 arguments.contains(dir.filePath(u"out/link"_s)));
        QCOMPARE(run.out.startsWith(u"<!DOCTYPE"), arguments.endsWith(u"-"_s));
        if (arguments.contains(u"--dry-run"_s) || code != 0)
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 4);
    }

    // The default folder, named in bytes that are not UTF-8, as the list shows it.
    void listFormat()
    {
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path()) + "/Jos\xE9/";
        writeRawFile(root + "Kept.url", shortcut("http://kept.test/"));
        writeRawFile(root + "News/Failed.url", shortcut("http://failed.test/"));
        writeRawFile(root + "Fresh\xE9.url", shortcut("http://fresh.test/a\tb"));
        writeRawFile(root + "Files.url", shortcut("ftp://files.test/"));
        Bookmarks list(platform::decodeFileName(root));
        for (int i = 0; i < list.count(); ++i) {
            BookmarkRec &rec = *list.item(i);
            rec.referenceTime = 45000.25; // 2023-03-15 06:00
            rec.remindTime = rec.url.contains(u"kept") ? -1 : 45001.5;
            if (rec.url.contains(u"failed") || rec.url.startsWith(u"ftp"))
                std::tie(rec.refreshed, rec.refreshState, rec.refreshMsg) =
                    std::tuple(45002.0, -1, u"HTTP/1.1 500 Oops"_s);
            if (rec.url.contains(u"fresh")) // 1 July 2024, in summer time
                std::tie(rec.refreshed, rec.title) = std::tuple(45474.5, u"Line\nbreak"_s);
            list.save(i);
        }
        const ScopedEnv favorites("FAVRAKE_FAVORITES", root);
        const ScopedEnv zone("TZ", centralEurope);
        const Run run = runCli({u"list"_s});
        std::filesystem::remove_all(root.constData()); // a name QTemporaryDir cannot remove
        QCOMPARE(run.code, 0);
        QStringList lines = run.out.split(u'\n');
        QCOMPARE(lines.takeLast(), QString());
        std::sort(lines.begin(), lines.end() - 1); // the totals stay last
        QCOMPARE(lines, dataLines(u"cli/listed.txt"_s));
    }

    // The table and JSON forms give each field of one bookmark: JSON with numbers, booleans
    // and null where they fit, both with the local offset of each moment.
    void listFields_data() { addRowsFromFile(QStringLiteral("cli/listfields.tsv")); }
    void listFields()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, field);
        QFETCH(QByteArray, value);
        QTemporaryDir dir;
        writeFile(dir.filePath(u"a.url"_s), shortcut("http://a.test/"));
        Bookmarks list(dir.path());
        BookmarkRec &rec = *list.item(0);
        rec.referenceTime = 45306.5;              // 15 January 2024, 12:00
        rec.refreshed = 45474.5;                  // 1 July 2024, 12:00
        rec.history.failSince = 45382 + 2.5 / 24; // 31 March 2024, 02:30
        std::tie(rec.history.checks, rec.history.checkTimes) =
            std::tuple(u"GT"_s, QList<DateTime>{45474.5, 0});
        std::tie(rec.remindTime, rec.refreshState, rec.rating, rec.title, rec.verdict) =
            std::tuple(-1, -1, 3, u"T\u00E9"_s, LinkVerdict::Failing);
        QVERIFY(list.save(0));
        const ScopedEnv tz("TZ", zone);
        const QString json = runCli({u"list"_s, dir.path(), u"--format"_s, u"json"_s}).out;
        const QJsonValue expected = QJsonDocument::fromJson('[' + value + ']').array().at(0);
        QCOMPARE(QJsonDocument::fromJson(json.toUtf8()).array().at(0).toObject().value(field),
                 expected);
        const QStringList table =
            runCli({u"list"_s, dir.path(), u"--format=tsv"_s}).out.split(u'\n');
        const QString text = expected.isDouble() ? QString::number(expected.toInt())
                             : expected.isBool() ? (expected.toBool() ? u"true"_s : u"false"_s)
                             : expected.isArray()
                                 ? expected[0].toString() + u',' + expected[1].toString()
                                 : expected.toString();
        QCOMPARE(table.value(1).split(u'\t').value(table.value(0).split(u'\t').indexOf(field)),
                 text);
    }

    // With one job the lines come in the order of the list, whatever each page takes; each
    // line says what happened, and why a result was not written.
    void refreshInListOrder()
    {
        QTemporaryDir dir;
        LoopbackServer server([&](const QByteArray &path) {
            if (path == "/edited") // the user gives the bookmark another address meanwhile
                writeFile(dir.filePath(u"edited.url"_s), shortcut("http://else.test/"));
            if (path == "/grown")
                writeFile(dir.filePath(u"grown.url"_s),
                          shortcut(server.base() + path, QByteArray(1 << 20, ';')));
            TestReply reply = path == "/gone" ? testPage("404 Not Found")
                                              : testPage("200 OK", "<title>T " + path + "</title>");
            reply.delayMs = path == "/slow" ? 300 : 0;
            return reply;
        });
        LoopbackServer other(
            [](const QByteArray &) { return testPage("200 OK", "<title>2</title>"); },
            u"127.0.0.2"_s);
        for (const char *name : {"slow", "gone", "edited", "grown", "a/fast", "b/slow", "fast"})
            writeFile(dir.filePath(QString::fromLatin1(name) + u".url"_s),
                      shortcut(server.base() + '/' +
                               QFileInfo(name).fileName().toLatin1().replace("fast", "page")));
        writeFile(dir.filePath(u"Other.url"_s), shortcut(other.base()));
        writeFile(dir.filePath(u"None.url"_s), "[InternetShortcut]\r\n");
        QStringList listed = runCli({u"list"_s, dir.path()}).out.split(u'\n').filter(u"\t"_s);
        for (QString &line : listed)
            line = line.section(u'\t', 0, 0);
        const Run run = runCli({u"refresh"_s, dir.path(), u"--jobs"_s, u"1"_s});
        QVERIFY2(run.code == 0, qPrintable(run.out + run.err));
        const QStringList says = dataLines(u"cli/refreshed.txt"_s); // by name, then the totals
        QStringList expected;
        for (const QString &name : listed)
            expected << says.filter(
                QRegularExpression(u'^' + QRegularExpression::escape(name) + u'\t'));
        expected << says.last(2);
        QCOMPARE(run.out.split(u'\n', Qt::SkipEmptyParts), expected);
        QCOMPARE(Bookmarks(dir.path()).refreshDueCount(), 3); // what was not written
    }

    // How a refresh ends: 0 when it recorded, 3 when the network, a proxy or a sign-in page
    // kept it from recording (files untouched, one line saying which). On a terminal the
    // lines are the same, progress aside.
    void refreshEnds_data() { addRowsFromFile(QStringLiteral("cli/refreshends.tsv")); }
    void refreshEnds()
    {
        QFETCH(QByteArray, sites);
        QFETCH(QByteArray, proxy);
        QFETCH(int, code);
        QFETCH(QString, last);
        QTemporaryDir dir;
        LoopbackServer live(
            [](const QByteArray &) { return testPage("200 OK", "<title>L</title>"); });
        LoopbackServer signIn([](const QByteArray &) { return testPage("200 OK", "Sign in"); },
                              u"127.0.0.9"_s);
        const auto toSignIn = [&](const QByteArray &) {
            return testPage("302 Found", {}, "Location: " + signIn.base() + "/login\r\n");
        };
        std::vector<std::unique_ptr<LoopbackServer>> portals;
        LoopbackServer proxyServer([](const QByteArray &) {
            return testPage("407 Proxy Authentication Required", {},
                            "Proxy-Authenticate: Basic realm=\"office\"\r\n");
        });
        QTcpServer closed; // refuses once it is gone
        closed.listen(QHostAddress::LocalHost);
        const QByteArray refused = "127.0.0.1:" + QByteArray::number(closed.serverPort());
        closed.close();
        const QByteArray proxyAddress = proxy == "407"    ? proxyServer.base()
                                        : proxy.isEmpty() ? QByteArray()
                                                          : "http://" + refused;
        int n = 0;
        for (const QByteArray &site : sites.split(' ')) {
            QByteArray address =
                (site == "dead" ? "http://" + refused : live.base()) + "/p" + QByteArray::number(n);
            if (site == "https" || site == "ftp")
                address = site + "://files.example/";
            else if (site == "portal") // each on a host of its own, all sent to one page
                address =
                    portals.emplace_back(new LoopbackServer(toSignIn, u"127.0.0.%1"_s.arg(2 + n)))
                        ->base() +
                    '/';
            writeFile(dir.filePath(u"b%1.url"_s.arg(n++)), shortcut(address));
        }
        const QMap<QString, QByteArray> before = files(dir.path());
        const ScopedEnv http("http_proxy", proxyAddress), https("https_proxy", proxyAddress);
        const ScopedEnv noProxy("no_proxy", proxyAddress.isEmpty() ? "*" : QByteArray());
        last.replace(u"PROXY"_s, QString::fromLatin1(proxyAddress));
        const Run piped = runCli({u"refresh"_s, dir.path()});
        const QStringList lines = piped.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(piped.code, code);
        QVERIFY2(lines.value(lines.size() - 1).startsWith(last), qPrintable(piped.out + piped.err));
        if (code == 3)
            QCOMPARE(files(dir.path()), before);
        if (sites.contains("ftp")) // no check and no failure
            QVERIFY(lines.contains(u"b1.url\tSKIPPED\tnot checked (ftp)"_s) &&
                    !files(dir.path())[u"b1.url"_s].contains("RefreshState=-1"));
        for (const auto &[name, content] : before.asKeyValueRange()) // as it was, for the terminal
            writeFile(dir.filePath(name), content);
        const Run terminal = runCli({u"-qec"_s, u"'%1' refresh '%2'"_s.arg(FAVRAKE_CLI, dir.path()),
                                     dir.filePath(u"typescript"_s)},
                                    {}, u"script"_s);
        QStringList shown;
        for (const QString &line : terminal.out.split(u'\n'))
            if (const QString text = line.section(u"\033[K"_s, -1).remove(u'\r'); !text.isEmpty())
                shown << text;
        QCOMPARE(terminal.code, code);
        QCOMPARE(QSet(shown.begin(), shown.end()), QSet(lines.begin(), lines.end()));
    }

    // Ctrl-C while pages are still coming: what was stored is kept and flushed, nothing is
    // half-written, and no temporary file stays behind.
    void interrupted()
    {
        QTemporaryDir dir;
        LoopbackServer fast(
            [](const QByteArray &) { return testPage("200 OK", "<title>Ok</title>"); });
        LoopbackServer stalling( // promises a body it never sends
            [](const QByteArray &) {
                return TestReply{testPage("200 OK", "x").head, {}, TestReply::Then::Stall};
            },
            u"127.0.0.2"_s);
        for (int i = 0; i < 4; ++i)
            writeFile(dir.filePath(u"b%1.url"_s.arg(i)),
                      shortcut((i < 2 ? fast : stalling).base() + "/p" + QByteArray::number(i)));
        const QMap<QString, QByteArray> before = files(dir.path());
        const auto stored = [&](const QString &name) {
            return readFile(dir.filePath(name)) != before[name];
        };
        const Run run = runCli({u"refresh"_s, dir.path()}, [&](QProcess &cli) {
            QTRY_VERIFY(stored(u"b0.url"_s) && stored(u"b1.url"_s) &&
                        stalling.requests().size() == 2);
            ::kill(pid_t(cli.processId()), SIGINT);
        });
        QCOMPARE(run.code, 130);
        QVERIFY(run.out.endsWith(u"interrupted: the downloads still running or waiting were "
                                 "abandoned\n2 refreshed: 2 OK, 0 failed; 0 not written; 2 still "
                                 "due\nverdicts: 2 ok\n"_s));
        const QMap<QString, QByteArray> after = files(dir.path());
        QCOMPARE(after.keys(), before.keys());
        for (const auto &[name, now] : after.asKeyValueRange())
            QVERIFY2(now == before[name] ||
                         (now.startsWith(before[name]) && now.contains("Rating=")),
                     qPrintable(name));
    }

    // Killed while writing, an import leaves only whole .URL files, and no other file but
    // its hidden temporary ones.
    void killedImport()
    {
        QTemporaryDir dir;
        QByteArray html = "<DL>\n";
        for (int i = 0; i < 20000; ++i)
            html += "<DT><A HREF=\"https://site.example/" + QByteArray::number(i) + "\">Site " +
                    QByteArray::number(i) + "</A>\n";
        writeFile(dir.filePath(u"big.html"_s), html);
        const QString favorites = dir.filePath(u"Favorites"_s);
        const ScopedEnv env("FAVRAKE_FAVORITES", QFile::encodeName(favorites));
        const Run run = runCli({u"import"_s, dir.filePath(u"big.html"_s)}, [&](QProcess &cli) {
            QTRY_VERIFY_WITH_TIMEOUT(
                QDir(favorites).count() > 1000 || cli.state() == QProcess::NotRunning, 60000);
            cli.kill();
        });
        QCOMPARE(run.code, -1);
        const QFileInfoList files = QDir(favorites).entryInfoList(QDir::Files | QDir::Hidden);
        QVERIFY(files.size() > 1000);
        for (const QFileInfo &info : files) {
            const bool temporary = info.fileName().startsWith(u'.');
            QVERIFY2(temporary ? info.fileName().contains(".favrake-tmp-")
                               : readFile(info.absoluteFilePath()).endsWith("\r\n"),
                     qPrintable(info.fileName()));
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
