#include "../store/storefixture.h"
#include "fakedownloader.h"
#include "refresh/engine.h"
#include "refresh/linkverdict.h"

#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(StoreOutcome)

namespace {

constexpr DateTime fixedNow = 45000.5;

// Bookmarks b0.url ... (http://site<i>.test/) seen at a fixed time.
struct Collection
{
    QTemporaryDir dir;
    Bookmarks list{dir.path(), BookmarksEnv{.now = [] { return fixedNow; }}};
    FakeDownloader *fake = new FakeDownloader;
    RefreshEngine engine{std::unique_ptr<AbstractDownloader>(fake), [] { return fixedNow; }};

    explicit Collection(int count)
    {
        fake->started = true;
        for (int i = 0; i < count; ++i)
            writeFile(dir.filePath(u"b%1.url"_s.arg(i)),
                      shortcut("http://site" + QByteArray::number(i) + ".test/"));
        list.load();
    }
    RefreshStep step() { return runRefreshStep(engine, list, {}); }
};

// A record as "state|title|message|refreshed|address reached"; "URL" is its own address.
QString summary(const BookmarkRec &r)
{
    return u"%1|%2|%3|%4|%5"_s.arg(
        QString::number(r.refreshState), r.title, r.refreshMsg,
        r.refreshed == fixedNow ? u"now"_s : QString::number(r.refreshed),
        r.storedUrl.isEmpty() || r.storedUrl != r.url ? r.storedUrl : u"URL"_s);
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT
  private slots:
    void tick_data()
    {
        QTest::addColumn<QString>("states"); // per index: d due, - refreshed lately
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<bool>("noNetAccess");
        QTest::addColumn<int>("requested");
        const auto row = [](const char *name, const char *states, QList<int> shown, bool noNet,
                            int requested) {
            QTest::newRow(name) << states << shown << noNet << requested;
        };
        row("shown entry before a lower index", "-d-d-", {-1, 3}, false, 3);
        row("no shown entry due: index order", "--d-d", {0, -1}, false, 2);
        row("no net access", "d----", {0}, true, -1);
        row("nothing due", "---", {}, false, -1);
    }

    void tick()
    {
        QFETCH(QString, states);
        QFETCH(QList<int>, shown);
        QFETCH(bool, noNetAccess);
        QFETCH(int, requested);
        Collection c(int(states.size()));
        for (int i = 0; i < c.list.count(); ++i)
            c.list.item(i)->refreshed = states[i] == u'-' ? fixedNow : 0.0;
        const RefreshTick tick{.shownRows = shown, .noNetAccess = noNetAccess};
        QCOMPARE(runRefreshStep(c.engine, c.list, tick).requested, requested);
    }

    void collect_data()
    {
        QTest::addColumn<QString>("script");      // after bookmark 0 was requested; then one step
        QTest::addColumn<QByteArray>("answer");   // a page, or a failure's status line
        QTest::addColumn<StoreOutcome>("stored"); // of that step
        QTest::addColumn<QString>("summary");     // then bookmark 0 as Summary shows it
        const auto row = [](const char *name, const char *script, const QByteArray &answer,
                            StoreOutcome stored, const char *summary) {
            QTest::newRow(name) << script << answer << stored << QString::fromUtf8(summary);
        };
        using enum StoreOutcome;
        row("success stores title, clears message", "answer", "<title>New &amp; better</title>",
            Written, "0|New & better||now|URL");
        row("failure keeps title", "answer", "HTTP/1.1 404 Not Found", Written,
            "-1|Old|HTTP/1.1 404 Not Found|now|");
        row("worker finished just after an empty poll", "late", {}, Written,
            "0|Just done||now|URL");
        const QByteArray late = "<title>Late</title>";
        row("re-read folder puts another file at the index", "move answer", late, Dropped,
            "0|||0|");
        row("address edited, folder re-read", "readdress answer", late, Dropped, "0|||0|");
        row("aborted, answer published after", "abort answer", late, Nothing,
            "0|Old|Old failure|0|");
        row("answer published, then aborted", "answer abort", late, Nothing,
            "0|Old|Old failure|0|");
        row("asked again after abort: only the new answer counts", "abort ask answer fresh", late,
            Written, "0|Fresh||now|URL");
        row("withdrawn answer hides none behind it", "abort ask answer queued", late, Written,
            "0|Fresh||now|URL");
    }

    void collect()
    {
        QFETCH(QString, script);
        QFETCH(QByteArray, answer);
        Collection c(2);
        c.list.item(0)->title = u"Old"_s;
        c.list.item(0)->refreshMsg = u"Old failure"_s;
        QVERIFY(c.list.save(0));
        QCOMPARE(c.step().requested, 0);
        const DownloadResult first = *c.fake->outstanding;
        const QString file = c.list.item(0)->fileName;
        for (const QString &action : script.split(u' ')) {
            if (action == u"answer") {
                c.fake->publish(first, answer);
            } else if (action == u"abort") {
                c.engine.abortDownload();
            } else if (action == u"ask") {
                QVERIFY(c.engine.requestDownload(c.list.item(0)->url, 0, file));
            } else if (action == u"fresh" || action == u"queued") { // the new request's answer
                if (action == u"fresh") // comes once the withdrawn one was taken, else behind it
                    QCOMPARE(c.step().stored, StoreOutcome::Nothing);
                c.fake->publish(*c.fake->outstanding, "<title>Fresh</title>");
            } else if (action == u"move") { // both bookmarks of one site, the first one gone
                writeFile(c.list.item(1)->fileName, shortcut(first.url));
                QVERIFY(QFile::remove(file));
                c.list.load();
            } else if (action == u"readdress") {
                writeFile(file, shortcut("http://elsewhere.test/"));
                c.list.load();
            } else { // late: asking now would let the next result replace the waiting one
                c.fake->finishAfterEmptyTake = true;
                QCOMPARE(c.step().requested, -1);
                c.fake->finishAfterEmptyTake = false;
            }
        }
        const RefreshStep step = c.step();
        if (step.stored == StoreOutcome::Written) // and the next request goes out at once
            QCOMPARE(step.requested, 1);
        const Bookmarks reloaded(c.dir.path());
        QTEST(step.stored, "stored");
        for (const BookmarkRec *r : {std::as_const(c.list).item(0), reloaded.item(0)})
            QTEST(summary(*r), "summary");
    }

    // What the link check makes of an answer is recorded with the bookmark; an answer that
    // tells nothing leaves the bookmark alone without asking for it again at once.
    void linkCheck_data()
    {
        QTest::addColumn<bool>("offline");
        QTest::addColumn<bool>("parkedBefore"); // judged parked on a check an hour ago
        QTest::addColumn<StoreOutcome>("stored");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("offline: nothing recorded, not asked again at once")
            << true << false << StoreOutcome::NotRecorded << QString();
        QTest::newRow("for sale elsewhere: a second look")
            << false << false << StoreOutcome::Written << u"failing"_s;
        QTest::newRow("for sale again soon after parked: stays parked")
            << false << true << StoreOutcome::Written << u"parked"_s;
    }
    void linkCheck()
    {
        QFETCH(bool, offline);
        QFETCH(bool, parkedBefore);
        Collection c(2);
        if (parkedBefore) {
            c.list.item(0)->history = addCheck({}, CheckCode::Parked, fixedNow - 1.0 / 24);
            c.list.item(0)->verdict = LinkVerdict::Parked;
            QVERIFY(c.list.save(0));
        }
        QCOMPARE(c.step().requested, 0);
        DownloadResult answer = *c.fake->outstanding;
        answer.findings.checked = true;
        if (offline)
            answer.findings.network = {NetworkFailure::NoAnswer, {}};
        answer.findings.requested = QUrl(QString::fromLatin1(answer.url));
        answer.url = "http://lander.example/site0.test";
        answer.redirects = 1;
        answer.hops = {{302, "HTTP/1.1 302 Found", answer.url}, {200, "HTTP/1.1 200 OK", {}}};
        answer.body = "<title>site0.test</title>This domain is for sale! Make an offer.";
        c.fake->publish(answer, answer.body);
        const RefreshStep step = c.step();
        QTEST(step.stored, "stored");
        QCOMPARE(step.requested, 1);
        QTEST(verdictName(Bookmarks(c.dir.path()).item(0)->verdict), "verdict");
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
