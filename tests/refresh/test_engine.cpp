#include "../store/storefixture.h"
#include "fakedownloader.h"
#include "refresh/engine.h"
#include "refresh/linkverdict.h"
#include "rowfile.h"

#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

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

QString outcomeName(StoreOutcome outcome)
{
    static const QStringList names = {u"Nothing"_s, u"Written"_s, u"NotWritten"_s, u"Dropped"_s,
                                      u"NotRecorded"_s};
    return names.value(int(outcome));
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT
  private slots:
    void tick_data() { addRowsFromFile(QStringLiteral("refresh/ticks.tsv")); }

    void tick()
    {
        QFETCH(QString, states);
        QFETCH(QStringList, shown);
        QFETCH(bool, noNetAccess);
        QFETCH(int, requested);
        Collection c(int(states.size()));
        QList<int> shownRows;
        for (const QString &row : shown)
            shownRows << row.toInt();
        for (int i = 0; i < c.list.count(); ++i)
            c.list.item(i)->refreshed = states[i] == u'-' ? fixedNow : 0.0;
        const RefreshTick tick{.shownRows = shownRows, .noNetAccess = noNetAccess};
        QCOMPARE(runRefreshStep(c.engine, c.list, tick).requested, requested);
    }

    void collect_data() { addRowsFromFile(QStringLiteral("refresh/collects.tsv")); }

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
        QTEST(outcomeName(step.stored), "stored");
        for (const BookmarkRec *r : {std::as_const(c.list).item(0), reloaded.item(0)})
            QTEST(summary(*r), "summary");
    }

    // What the link check makes of an answer is recorded with the bookmark; an answer that
    // tells nothing leaves the bookmark alone without asking for it again at once.
    void linkCheck_data() { addRowsFromFile(QStringLiteral("refresh/linkchecks.tsv")); }
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
        QTEST(outcomeName(step.stored), "stored");
        QCOMPARE(step.requested, 1);
        QTEST(verdictName(Bookmarks(c.dir.path()).item(0)->verdict), "verdict");
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
