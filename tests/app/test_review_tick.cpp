#include "reviewfakes.h"

#include <QTest>

namespace {
const QString fileA = u"a.url"_s;
const QString fileB = u"b.url"_s;

bool hasState(const ReviewRig &rig, const QString &name)
{
    return readFile(rig.path(name)).contains("[Merkwerk]");
}
} // namespace

class TestReviewTick : public QObject
{
    Q_OBJECT
  private slots:
    void startup_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("installs"); // the first-run dialog's outcome
        QTest::addColumn<QStringList>("host");
        QTest::addColumn<QString>("settings"); // after a change and the save at program end
        const QStringList run{"Language English", "Tray"};
        QTest::newRow("installed") << QStringList() << true << false << run << "saved";
        QTest::newRow("first run accepted")
            << QStringList() << false << true << QStringList{"Language English", "FirstRun", "Tray"}
            << "saved";
        QTest::newRow("first run declined")
            << QStringList() << false << false
            << QStringList{"Language English", "FirstRun", "Close"} << "unsaved";
        QTest::newRow("uninstall") << QStringList{"/UNINSTALL"} << true << false
                                   << QStringList{"Uninstalled 0", "Close"} << "deleted";
        QTest::newRow("language template") << QStringList{"/CREATELNG"} << true << false
                                           << QStringList{"Template", "Close"} << "saved";
    }
    void startup()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, installed);
        QFETCH(QStringList, host);
        ReviewRig rig;
        saveSettings();
        settings.installed = installed;
        QFETCH(bool, installs);
        rig.host.installs = installs;
        rig.add(fileA);
        rig.start(arguments).tick();
        QCOMPARE(rig.host.log, host);
        const bool running = host.endsWith(u"Tray"_s);
        QCOMPARE(rig.review->isClosed(), !running);
        QCOMPARE(rig.timer.active, running); // never restarted after the close
        QCOMPARE(rig.downloader->started, running);
        QCOMPARE(rig.view.log.contains(u"ShowAll"_s), running);
        QCOMPARE(hasState(rig, fileA), !arguments.contains(u"/UNINSTALL"_s));
        std::tie(settings.installed, settings.remindInterval) = std::tuple(true, 9);
        saveSettings();
        const QByteArray file = readFile(settingsFile());
        QTEST(QString(file == "<missing>"                 ? "deleted"
                      : file.contains("RemindInterval=9") ? "saved"
                                                          : "unsaved"),
              "settings");
    }

    // The timer never shows an empty collection; a bookmark that turns up in it, or another
    // folder chosen, brings the windows at once.
    void emptyCollection()
    {
        ReviewRig rig;
        Review &review = rig.started();
        rig.tick(30);
        QVERIFY(rig.view.log.isEmpty() && rig.timer.active);
        rig.add(fileA);
        review.folderChanged(rig.favorites.path());
        QCOMPARE(rig.view.log.join(u' '), "Read UpdateView ShowAll");
        QTemporaryDir other;
        rig.add(fileB);
        QVERIFY(QFile::rename(rig.path(fileB), other.filePath(fileB)));
        rig.view.log.clear();
        review.changeFavorites(other.path());
        QCOMPARE(rig.view.log.join(u' '), "Read HideAll UpdateView ShowAll");
        QCOMPARE(review.bookmarks().item(review.entryAt(0))->fileName, other.filePath(fileB));
    }

    // What the user sees after each script, from a start with two bookmarks on the screen.
    // fileA pause above 11 s or another day number brings the windows back; a folder change
    // counts when names changed or a shown address was edited; a second start shows hidden
    // windows; what comes while the windows move waits until they stand still.
    void script_data()
    {
        QTest::addColumn<DateTime>("from");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("log");
        const auto row = [](const char *name, DateTime from, const char *script, const char *log) {
            QTest::newRow(name) << from << script << log;
        };
        row("pause of 11.9 s", day15, "hide;tick 11.9", "");
        row("pause of 12 s", day15, "hide;tick 12", "UpdateView ShowAll");
        row("clock set back 12 s", day15, "hide;tick -12", "UpdateView ShowAll");
        row("pause while visible: out and in", day15, "tick 12", "HideAll UpdateView ShowAll");
        row("past midnight", 45000.99995 - 4 * second, "tick 4;hide;tick 5", "UpdateView ShowAll");
        // What "Refresh all" chose comes back at once, on its download page.
        row("refresh all", day30, "refresh all;tick 1",
            "HideAll ClearShown Read UpdateView ClearShown ShowAll");
        row("folder changed, shown address edited", day15, "edit;changed;tick 1",
            "UpdateView HideAll Read UpdateView ShowAll");
        row("folder changed, shown files unchanged", day15, "changed;tick 1", "");
        // Favrake's own saves keep the names: the next showing reads nothing anew.
        row("own save, then a second start", day15, "save;changed;hide;second",
            "UpdateView ShowAll");
        row("bookmark added, then a second start", day15, "add;changed;hide;second",
            "Read UpdateView ShowAll");
        row("second start while hidden", day15, "hide;second", "UpdateView ShowAll");
        row("second start while visible", day15, "second", "");
        row("second start while the windows move", day15, "hide;moving;second;tick 12;settle",
            "UpdateView ShowAll");
        row("pause while the windows move", day15, "moving;tick 12", "");
        row("second start with uninstall", day15, "uninstall", "Close");
    }
    void script()
    {
        QFETCH(DateTime, from);
        QFETCH(QString, script);
        QFETCH(QString, log);
        ReviewRig rig;
        saveSettings();
        rig.add(fileA);
        rig.add(fileB);
        rig.now = from;
        Review &review = rig.started();
        QVERIFY(rig.view.visible);
        rig.view.log.clear();
        for (const QString &step : script.split(u';')) {
            if (step.startsWith(u"tick "))
                rig.tick(step.mid(5).toDouble());
            else if (step == u"hide")
                rig.view.visible = false;
            else if (step == u"moving" || step == u"settle")
                step == u"moving" ? void(rig.view.moving = true) : rig.view.settle();
            else if (step == u"edit")
                writeFile(rig.path(fileB), shortcut("http://elsewhere.test/"));
            else if (step == u"changed")
                review.folderChanged(rig.favorites.path());
            else if (step == u"save")
                QVERIFY(review.bookmarks().save(rig.indexOf(fileA)));
            else if (step == u"add")
                rig.add(u"c.url"_s, {.remind = -1});
            else if (step == u"second" || step == u"uninstall")
                review.takeSecondStart(step == u"second" ? QStringList()
                                                         : QStringList{"/UNINSTALL"});
            else if (step == u"refresh all") {
                rig.confirmer.answers = {{true}};
                review.refreshAll();
            }
        }
        QCOMPARE((rig.view.log + rig.host.log.filter(u"Close"_s)).join(u' '), log);
        const bool closed = log.endsWith(u"Close");
        QCOMPARE(hasState(rig, fileA) && QFileInfo::exists(settingsFile()), !closed);
        rig.tick();
        QCOMPARE(rig.timer.active, !closed);
    }

    // The download page counts the shown rows that await their refresh, not the bookmarks
    // that happen to be fresh; the windows come once all are refreshed.
    void refreshDoneShows()
    {
        ReviewRig rig;
        settings.noNetAccess = false;
        for (int i = 0; i < 7; ++i)
            rig.add(u"b%1.url"_s.arg(i), {.reference = 100.0 + i, .refreshed = i % 3 ? day15 : 0});
        rig.started();
        QVERIFY(rig.review->awaitingRefresh());
        const auto progress = [&rig] {
            const RefreshProgress p = rig.review->refreshProgress();
            return QList<int>{p.done, p.total};
        };
        QCOMPARE(progress(), QList<int>({0, 2}));
        rig.tick(20); // a pause does not show entries that still wait
        rig.downloader->finish("<title>Fresh</title>");
        rig.tick();
        QCOMPARE(progress(), QList<int>({1, 2}));
        QCOMPARE(rig.stored(u"b0.url"_s).title, u"Fresh"_s);
        rig.downloader->finish("<title>Also</title>");
        rig.tick();
        rig.tick();
        QCOMPARE(progress(), QList<int>({2, 2}));
        QCOMPARE(rig.view.log, QStringList({"Progress", "Progress", "UpdateView", "ShowAll"}));
        QVERIFY(!rig.review->awaitingRefresh());

        // "Refresh all" counts the whole collection until every bookmark is refreshed.
        rig.confirmer.answers = {{true}};
        rig.review->refreshAll();
        const auto whole = [&rig] {
            const RefreshProgress p = rig.review->wholeRefreshProgress();
            return QList<int>{p.done, p.total};
        };
        QCOMPARE(whole(), QList<int>({0, 7}));
        rig.tick();
        rig.downloader->finish("<title>Again</title>");
        rig.tick();
        QCOMPARE(whole(), QList<int>({1, 7}));
    }

    // While an action's question is open nothing re-reads the list under it; what came up
    // meanwhile happens when the action has ended.
    void actionHoldsBackTicks()
    {
        ReviewRig rig;
        rig.add(fileA);
        rig.add(fileB);
        Review &review = rig.started();
        rig.view.log.clear();
        const int a = rig.indexOf(fileA);
        rig.confirmer.answers.push_back({false, false, [&] {
                                             rig.add(u"c.url"_s);
                                             review.folderChanged(rig.favorites.path());
                                             rig.tick(20);
                                             QCOMPARE(review.takeSecondStart({}),
                                                      StartOutcome::WaitsForAction);
                                         }});
        QVERIFY(!review.keepAction(a));
        QCOMPARE(review.bookmarks().item(a)->fileName, rig.path(fileA));
        QCOMPARE(rig.view.log, QStringList());
        rig.tick();
        QCOMPARE(rig.view.log, QStringList({"HideAll", "Read", "UpdateView", "ShowAll"}));
    }

    // fileA close asked for inside a question waits for the action; then the timer stays off.
    void closeWaitsForAction_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("quit") << "quit";
        QTest::newRow("quit declined") << "quit declined";
        QTest::newRow("second start with uninstall") << "uninstall";
        QTest::newRow("uninstall during the first-run dialog") << "first run";
    }
    void closeWaitsForAction()
    {
        QFETCH(QString, how);
        ReviewRig rig;
        rig.add(fileA);
        const bool quit = how.startsWith(u"quit");
        const bool closes = how != u"quit declined";
        if (how == u"first run") {
            settings.installed = false;
            Review &review = rig.start();
            rig.host.duringFirstRun = [&] {
                QCOMPARE(review.takeSecondStart({"/UNINSTALL"}), StartOutcome::WaitsForAction);
            };
            review.tick();
            QCOMPARE(rig.host.log,
                     QStringList({"Language English", "FirstRun", "Uninstalled 0", "Close"}));
            QVERIFY(!hasState(rig, fileA) && !rig.timer.active && !rig.downloader->started);
            // Closed now: an uninstall handed over later is refused, not dropped silently.
            QCOMPARE(review.takeSecondStart({"/UNINSTALL"}), StartOutcome::Refused);
            return;
        }
        Review &review = rig.started();
        rig.confirmer.answers = {{true, false,
                                  [&] {
                                      if (quit)
                                          review.askToQuit();
                                      else
                                          review.takeSecondStart({"/UNINSTALL"});
                                      QVERIFY(!review.isClosed());
                                  }},
                                 {closes}};
        QVERIFY(review.remindAction(rig.indexOf(fileA), 3));
        QVERIFY(review.isClosed() == closes && rig.timer.active == !closes);
        rig.tick();
        QCOMPARE(rig.timer.active, !closes);
        QCOMPARE(rig.confirmer.keys(),
                 quit ? QStringList({"Remind", "Quit"}) : QStringList{"Remind"});
        // The uninstall came after the decision, so it removed that state too.
        QCOMPARE(hasState(rig, fileA), quit);
    }

    // fileA run whose network failed records nothing: the title window's hint says why, and
    // nothing is asked for until RefreshAfterFail minutes later, when the network is judged
    // anew. An answer that still comes is recorded.
    void networkWait_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("hint");
        QTest::newRow("a sign-in page")
            << int(NetworkFailure::Portal)
            << u"Favrake waits: the network asks you to sign in first"_s;
        QTest::newRow("no site answered")
            << int(NetworkFailure::NoAnswer)
            << u"Favrake waits: no site answers, or the proxy fails"_s;
    }
    void networkWait()
    {
        QFETCH(int, failure);
        QFETCH(QString, hint);
        ReviewRig rig;
        settings.noNetAccess = false;
        for (const QString &name : {fileA, fileB, u"c.url"_s})
            rig.add(name, {.refreshed = 0});
        rig.started();
        DownloadResult failed = *rig.downloader->outstanding;
        failed.findings.checked = true;
        failed.findings.network = {NetworkFailure(failure), "portal.test"};
        rig.downloader->publish(failed, "HTTP/1.1 302 Found");
        rig.tick();
        const QString stalled = rig.review->bookmarks().item(failed.index)->fileName;
        rig.downloader->finish("<title>Came</title>"); // asked before the failure was known
        rig.tick(29 * 60);
        rig.tick();
        QVERIFY(!rig.downloader->isBusy());
        QCOMPARE(rig.view.log.filter(u"Hint"_s), QStringList({u"Hint "_s + hint}));
        rig.tick(60);
        QCOMPARE(rig.view.log.filter(u"Hint"_s), QStringList({u"Hint "_s + hint, u"Hint "_s}));
        QVERIFY(rig.downloader->isBusy());
        QCOMPARE(rig.stored(stalled.section(u'/', -1)).refreshed, 0.0);
        QCOMPARE(rig.review->bookmarks().item(rig.indexOf(stalled.section(u'/', -1)))->title,
                 QString());
    }

    void resultForVanishedBookmarkDropped()
    {
        ReviewRig rig;
        settings.noNetAccess = false;
        rig.add(fileA, {.refreshed = 0});
        rig.add(fileB, {.refreshed = 0});
        rig.started();
        const DownloadResult late = *rig.downloader->outstanding;
        const QString requested = rig.review->bookmarks().item(late.index)->fileName;
        QVERIFY(QFile::remove(requested));
        rig.review->folderChanged(rig.favorites.path());
        rig.view.visible = false;
        rig.review->takeSecondStart({}); // re-reads the folder
        QVERIFY(!rig.downloader->isBusy());
        rig.downloader->publish(late, "<title>Late</title>");
        rig.view.log.clear();
        rig.tick();
        QVERIFY(!rig.view.log.contains(u"Progress"_s));
        QVERIFY(rig.stored(fileA).title.isEmpty() && rig.stored(fileB).title.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReviewTick)
#include "test_review_tick.moc"
