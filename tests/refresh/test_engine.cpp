#include "fakedownloader.h"
#include "refresh/engine.h"
#include "refresh/linkverdict.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr TDateTime FixedNow = 45000.5;

void WriteFile(const QString &path, const QByteArray &url)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[InternetShortcut]\r\nURL=" + url + "\r\n");
}

// Bookmarks b0.url ... (http://site<i>.test/) seen at a fixed time.
struct Collection
{
    QTemporaryDir dir;
    TBookmarks list{dir.path(), TBookmarksEnv{.Now = [] { return FixedNow; }}};
    FakeDownloader *fake = new FakeDownloader;
    TRefreshEngine engine{std::unique_ptr<AbstractDownloader>(fake), [] { return FixedNow; }};

    explicit Collection(int count)
    {
        fake->started = true;
        for (int i = 0; i < count; ++i)
            WriteFile(dir.filePath(u"b%1.url"_s.arg(i)),
                      "http://site" + QByteArray::number(i) + ".test/");
        list.Load();
    }
    TRefreshStep step() { return RunRefreshStep(engine, list, {}); }
};

const char *const Outcomes[] = {"Nothing", "Written", "NotWritten", "Dropped",
                                "NotRecorded"}; // TStoreOutcome

// A record as "state|title|message|refreshed|address reached"; "URL" is its own address.
QString Summary(const TBookmarkRec &r)
{
    return u"%1|%2|%3|%4|%5"_s.arg(
        QString::number(r.RefreshState), r.Title, r.RefreshMsg,
        r.Refreshed == FixedNow ? u"now"_s : QString::number(r.Refreshed),
        r.StoredURL.isEmpty() || r.StoredURL != r.URL ? r.StoredURL : u"URL"_s);
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
        for (int i = 0; i < c.list.Count(); ++i)
            c.list.Item(i)->Refreshed = states[i] == u'-' ? FixedNow : 0.0;
        const TRefreshTick tick{.ShownRows = shown, .NoNetAccess = noNetAccess};
        QCOMPARE(RunRefreshStep(c.engine, c.list, tick).Requested, requested);
    }

    void collect_data()
    {
        QTest::addColumn<QString>("script");    // after bookmark 0 was requested; then one step
        QTest::addColumn<QByteArray>("answer"); // a page, or a failure's status line
        QTest::addColumn<QString>("outcome");   // of that step, then bookmark 0 as Summary shows it
        const auto row = [](const char *name, const char *script, const QByteArray &answer,
                            const QString &outcome) {
            QTest::newRow(name) << script << answer << outcome;
        };
        row("success stores title, clears message", "answer", "<title>New &amp; better</title>",
            "Written 0|New & better||now|URL");
        row("failure keeps title", "answer", "HTTP/1.1 404 Not Found",
            "Written -1|Old|HTTP/1.1 404 Not Found|now|");
        row("worker finished just after an empty poll", "late", {}, "Written 0|Just done||now|URL");
        const QByteArray late = "<title>Late</title>";
        row("re-read folder puts another file at the index", "move answer", late, "Dropped 0|||0|");
        row("address edited, folder re-read", "readdress answer", late, "Dropped 0|||0|");
        row("aborted, answer published after", "abort answer", late,
            "Nothing 0|Old|Old failure|0|");
        row("answer published, then aborted", "answer abort", late, "Nothing 0|Old|Old failure|0|");
        row("asked again after abort: only the new answer counts", "abort ask answer fresh", late,
            "Written 0|Fresh||now|URL");
        row("withdrawn answer hides none behind it", "abort ask answer queued", late,
            "Written 0|Fresh||now|URL");
    }

    void collect()
    {
        QFETCH(QString, script);
        QFETCH(QByteArray, answer);
        QFETCH(QString, outcome);
        Collection c(2);
        c.list.Item(0)->Title = u"Old"_s;
        c.list.Item(0)->RefreshMsg = u"Old failure"_s;
        QVERIFY(c.list.Save(0));
        QCOMPARE(c.step().Requested, 0);
        const TIndyResult first = *c.fake->outstanding;
        const QString file = c.list.Item(0)->FileName;
        for (const QString &action : script.split(u' ')) {
            if (action == u"answer") {
                c.fake->publish(first, answer);
            } else if (action == u"abort") {
                c.engine.AbortDownload();
            } else if (action == u"ask") {
                QVERIFY(c.engine.RequestDownload(c.list.Item(0)->URL, 0, file));
            } else if (action == u"fresh" || action == u"queued") { // the new request's answer
                if (action == u"fresh") // comes once the withdrawn one was taken, else behind it
                    QCOMPARE(c.step().Stored, TStoreOutcome::Nothing);
                c.fake->publish(*c.fake->outstanding, "<title>Fresh</title>");
            } else if (action == u"move") { // both bookmarks of one site, the first one gone
                WriteFile(c.list.Item(1)->FileName, first.URL);
                QVERIFY(QFile::remove(file));
                c.list.Load();
            } else if (action == u"readdress") {
                WriteFile(file, "http://elsewhere.test/");
                c.list.Load();
            } else { // late: asking now would let the next result replace the waiting one
                c.fake->finishAfterEmptyTake = true;
                QCOMPARE(c.step().Requested, -1);
                c.fake->finishAfterEmptyTake = false;
            }
        }
        const TRefreshStep step = c.step();
        if (step.Stored == TStoreOutcome::Written) // and the next request goes out at once
            QCOMPARE(step.Requested, 1);
        const TBookmarks reloaded(c.dir.path());
        for (const TBookmarkRec *r : {std::as_const(c.list).Item(0), reloaded.Item(0)})
            QCOMPARE(Outcomes[int(step.Stored)] + (' ' + Summary(*r)), outcome);
    }

    // What the link check makes of an answer is recorded with the bookmark; an answer that
    // tells nothing leaves the bookmark alone without asking for it again at once.
    void linkCheck_data()
    {
        QTest::addColumn<bool>("offline");
        QTest::addColumn<bool>("parkedBefore"); // judged parked on a check an hour ago
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("offline: nothing recorded, not asked again at once")
            << true << false << u"NotRecorded"_s << QString();
        QTest::newRow("for sale elsewhere: a second look")
            << false << false << u"Written"_s << u"failing"_s;
        QTest::newRow("for sale again soon after parked: stays parked")
            << false << true << u"Written"_s << u"parked"_s;
    }
    void linkCheck()
    {
        QFETCH(bool, offline);
        QFETCH(bool, parkedBefore);
        Collection c(2);
        if (parkedBefore) {
            c.list.Item(0)->History = addCheck({}, CheckCode::Parked, FixedNow - 1.0 / 24);
            c.list.Item(0)->Verdict = LinkVerdict::Parked;
            QVERIFY(c.list.Save(0));
        }
        QCOMPARE(c.step().Requested, 0);
        TIndyResult answer = *c.fake->outstanding;
        answer.Findings.checked = true;
        if (offline)
            answer.Findings.network = {NetworkFailure::NoAnswer, {}};
        answer.Findings.requested = QUrl(QString::fromLatin1(answer.URL));
        answer.URL = "http://lander.example/site0.test";
        answer.Redirects = 1;
        answer.Hops = {{302, "HTTP/1.1 302 Found", answer.URL}, {200, "HTTP/1.1 200 OK", {}}};
        answer.Body = "<title>site0.test</title>This domain is for sale! Make an offer.";
        c.fake->publish(answer, answer.Body);
        const TRefreshStep step = c.step();
        QTEST(QString::fromLatin1(Outcomes[int(step.Stored)]), "stored");
        QCOMPARE(step.Requested, 1);
        QTEST(VerdictName(TBookmarks(c.dir.path()).Item(0)->Verdict), "verdict");
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
