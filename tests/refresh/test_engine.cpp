#include "loopbackserver.h"
#include "refresh/engine.h"
#include "store/bookmarks.h"
#include "store/hextext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr TDateTime FixedNow = 45000.5;

// A worker that answers when the test says so. Withdrawing keeps a published result, so
// the engine itself must never hand out the answer to a withdrawn request.
class FakeDownloader final : public AbstractDownloader
{
  public:
    std::optional<TIndyResult> outstanding; // index, address and serial of the request
    std::optional<TIndyResult> published;
    bool finishAfterEmptyTake = false; // the worker finishes just after a poll found nothing

    void start() override {}
    void stop() override {}
    bool hasWorker() const override { return true; }
    quint64 request(const QByteArray &address, int index) override
    {
        outstanding.emplace();
        outstanding->Index = index;
        outstanding->URL = address;
        return outstanding->Serial = ++m_serials;
    }
    void abort() override { outstanding.reset(); }
    bool isBusy() const override { return outstanding.has_value(); }
    bool isBusyWith(int index) const override { return outstanding && outstanding->Index == index; }
    std::optional<TIndyResult> takeResult() override
    {
        std::optional<TIndyResult> taken = std::exchange(published, {});
        if (!taken && finishAfterEmptyTake && outstanding)
            publish(*outstanding, "<title>Just done</title>");
        return taken;
    }
    // The page, or with an error text a failure.
    void publish(TIndyResult result, const QByteArray &page, const QByteArray &error = {})
    {
        result.Success = error.isEmpty();
        (result.Success ? result.Content : result.ErrorMsg) = result.Success ? page : error;
        if (outstanding && outstanding->Serial == result.Serial)
            outstanding.reset();
        published = result;
    }

  private:
    quint64 m_serials = 0;
};

void WriteFile(const QString &path, const QByteArray &url)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[InternetShortcut]\r\n" + (url.isNull() ? QByteArray() : "URL=" + url + "\r\n"));
}

// Bookmarks b0.url ... in a temporary folder, seen at a fixed time; none refreshed yet.
struct Collection
{
    QTemporaryDir dir;
    std::unique_ptr<TBookmarks> list;
    FakeDownloader *fake = new FakeDownloader;
    TRefreshEngine engine{std::unique_ptr<AbstractDownloader>(fake), [] { return FixedNow; }};

    explicit Collection(int count)
    {
        for (int i = 0; i < count; ++i)
            WriteFile(dir.filePath(QStringLiteral("b%1.url").arg(i)),
                      "http://site" + QByteArray::number(i) + ".test/");
        list =
            std::make_unique<TBookmarks>(dir.path(), TBookmarksEnv{.Now = [] { return FixedNow; }});
        engine.InitDownloader();
    }
    TRefreshStep step() { return RunRefreshStep(engine, *list, {}); }
};

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT
  private slots:
    void nextRequest_data();
    void nextRequest();
    void storeResult_data();
    void storeResult();
    void staleResultDropped_data();
    void staleResultDropped();
    void finishedBetweenCollectAndRequest();
    void progress_data();
    void progress();
    void refreshThroughLoopback();
};

void TestEngine::nextRequest_data()
{
    QTest::addColumn<QString>("states"); // per index: d due, k kept, - refreshed lately
    QTest::addColumn<QList<int>>("shown");
    QTest::addColumn<bool>("noNetAccess");
    QTest::addColumn<int>("requested");
    QTest::newRow("shown entry before a lower index") << "-d-d-" << QList{-1, 3} << false << 3;
    QTest::newRow("no shown entry due: index order") << "--d-d" << QList{0, -1} << false << 2;
    QTest::newRow("kept never, even when shown") << "kk-d-" << QList{1} << false << 3;
    QTest::newRow("no net access") << "d----" << QList{0} << true << -1;
}

void TestEngine::nextRequest()
{
    QFETCH(QString, states);
    QFETCH(QList<int>, shown);
    QFETCH(bool, noNetAccess);
    QFETCH(int, requested);
    Collection c(5);
    for (int i = 0; i < c.list->Count(); ++i) {
        c.list->Item(i)->Refreshed = states[i] == u'-' ? FixedNow : 0.0;
        c.list->Item(i)->RemindTime = states[i] == u'k' ? -1.0 : 0.0;
    }
    const TRefreshStep step =
        RunRefreshStep(c.engine, *c.list, {.ShownRows = shown, .NoNetAccess = noNetAccess});
    QCOMPARE(step.Requested, requested);
    if (requested >= 0)
        QCOMPARE(c.fake->outstanding->URL, c.list->Item(requested)->URL.toUtf8());
}

void TestEngine::storeResult_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QByteArray>("error");
    QTest::addColumn<QString>("title");

    QTest::newRow("success stores title, clears message")
        << QByteArray("<title>New &amp; better</title>") << QByteArray()
        << QStringLiteral("New & better");
    QTest::newRow("failure keeps title")
        << QByteArray() << QByteArray("HTTP/1.1 404 Not Found") << QStringLiteral("Old");
    // A pair cut in half would be stored, but read back without its high half.
    const QString title = QString(MaxStoredTextLength - 1, u'a') + QStringLiteral("\U0001F600z");
    QTest::newRow("long title cut before a pair")
        << "<title>" + title.toUtf8() + "</title>" << QByteArray() << title.left(title.size() - 3);
}

void TestEngine::storeResult()
{
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, error);
    QFETCH(QString, title);
    Collection c(1);
    TBookmarkRec &rec = *c.list->Item(0);
    rec.Title = QStringLiteral("Old");
    rec.RefreshMsg = QStringLiteral("Old failure");
    QVERIFY(c.list->Save(0));
    QCOMPARE(c.step().Requested, 0);
    c.fake->publish(*c.fake->outstanding, page, error);
    QCOMPARE(c.step().Stored, TStoreOutcome::Written);

    const TBookmarks reloaded(c.dir.path());
    for (const TBookmarkRec *r : {&std::as_const(rec), reloaded.Item(0)}) {
        QCOMPARE(r->RefreshState, error.isEmpty() ? 0 : -1);
        QCOMPARE(r->Title, title);
        QCOMPARE(r->RefreshMsg, QString::fromLatin1(error));
        QCOMPARE(r->Refreshed, FixedNow);
        QCOMPARE(r->StoredURL, error.isEmpty() ? rec.URL : QString());
    }
}

void TestEngine::staleResultDropped_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("re-read folder puts another file at the index") << "other file";
    QTest::newRow("address edited, folder re-read") << "address";
    QTest::newRow("aborted, answer published after") << "abort then answer";
    QTest::newRow("answer published, then aborted") << "answer then abort";
    QTest::newRow("same address asked again after abort") << "ask again";
}

void TestEngine::staleResultDropped()
{
    QFETCH(QString, change);
    Collection c(2);
    QCOMPARE(c.step().Requested, 0);
    const TIndyResult first = *c.fake->outstanding;
    const QString requestedFile = c.list->Item(0)->FileName;
    if (change == u"other file") { // both bookmarks of one site
        WriteFile(c.list->Item(1)->FileName, first.URL);
        QVERIFY(QFile::remove(requestedFile));
        c.list->Load();
    } else if (change == u"address") {
        WriteFile(requestedFile, "http://elsewhere.test/");
        c.list->Load();
    } else {
        if (change == u"answer then abort")
            c.fake->publish(first, "<title>Late</title>");
        c.engine.AbortDownload();
    }
    if (change == u"ask again")
        QVERIFY(c.engine.RequestDownload(c.list->Item(0)->URL, 0, requestedFile));
    if (change != u"answer then abort")
        c.fake->publish(first, "<title>Late</title>");

    const TStoreOutcome stored = c.step().Stored;
    QVERIFY(stored == TStoreOutcome::Nothing || stored == TStoreOutcome::Dropped);
    const TBookmarks reloaded(c.dir.path());
    for (int i = 0; i < reloaded.Count(); ++i)
        QCOMPARE(reloaded.Item(i)->Refreshed, 0.0);
    if (change == u"ask again") { // the new request's own answer still counts
        c.fake->publish(*c.fake->outstanding, "<title>Fresh</title>");
        QCOMPARE(c.step().Stored, TStoreOutcome::Written);
        QCOMPARE(c.list->Item(0)->Title, QStringLiteral("Fresh"));
    }
}

// The worker's next result would replace one still waiting.
void TestEngine::finishedBetweenCollectAndRequest()
{
    Collection c(2);
    QCOMPARE(c.step().Requested, 0);
    c.fake->finishAfterEmptyTake = true;
    QCOMPARE(c.step().Requested, -1);
    c.fake->finishAfterEmptyTake = false;
    const TRefreshStep next = c.step();
    QCOMPARE(next.Stored, TStoreOutcome::Written);
    QCOMPARE(next.Requested, 1);
}

void TestEngine::progress_data()
{
    QTest::addColumn<int>("due");
    QTest::addColumn<int>("notDue");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("position");
    QTest::newRow("3 due, 10 not due") << 3 << 10 << 3 << 3;
    QTest::newRow("100 due, 2 not due") << 100 << 2 << 5 << 2;
    QTest::newRow("nothing due") << 0 << 7 << 0 << 0;
}

void TestEngine::progress()
{
    QFETCH(int, due);
    QFETCH(int, notDue);
    QFETCH(int, max);
    QFETCH(int, position);
    const TRefreshProgress p = RefreshProgress(due, notDue);
    QCOMPARE(QList({p.Max, p.Position}), QList({max, position}));
}

// The real worker against a server of our own: what ends up in the files.
void TestEngine::refreshThroughLoopback()
{
    for (const char *name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "no_proxy"})
        qunsetenv(name);
    LoopbackServer server([](const QByteArray &path) {
        return path == "/page" ? testPage("200 OK", "<html><head><title>Loopback page</title>")
                               : testPage("404 Not Found", "gone");
    });
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("page.url"));
    const QString gone = dir.filePath(QStringLiteral("sub/gone.url"));
    const QString none = dir.filePath(QStringLiteral("none.url"));
    WriteFile(page, server.base() + "/page");
    WriteFile(gone, server.base() + "/gone");
    WriteFile(none, QByteArray());
    TBookmarks list(dir.path());
    TRefreshEngine engine(std::make_unique<Downloader>());
    engine.InitDownloader();
    TRefreshPass pass(engine, list);
    QElapsedTimer clock;
    clock.start();
    while (!pass.Finished() && clock.elapsed() < 10000) {
        pass.Step();
        QTest::qWait(5); // the server answers on this thread's event loop
    }
    QVERIFY(pass.Finished());
    QCOMPARE(list.RefreshDueCount(), 0); // the one without an address is passed over too

    const TBookmarks reloaded(dir.path());
    for (int i = 0; i < reloaded.Count(); ++i) {
        const TBookmarkRec &rec = *reloaded.Item(i);
        if (rec.FileName == page) {
            QCOMPARE(rec.RefreshState, 0);
            QCOMPARE(rec.Title, QStringLiteral("Loopback page"));
            QCOMPARE(rec.StoredURL, QString::fromLatin1(server.base() + "/page"));
        } else if (rec.FileName == gone) {
            QCOMPARE(rec.RefreshState, -1);
            QCOMPARE(rec.RefreshMsg, QStringLiteral("HTTP/1.1 404 Not Found"));
        }
        QCOMPARE(rec.Refreshed > 0, rec.FileName != none);
    }
}

QTEST_GUILESS_MAIN(TestEngine)
#include "test_engine.moc"
