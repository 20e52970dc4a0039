#include "reviewfakes.h"

#include <QTest>

namespace {
const QString A = u"a.url"_s;
const QString B = u"b.url"_s;

bool HasState(const ReviewRig &rig, const QString &name)
{
    return ReadFile(rig.path(name)).contains("[Merkwerk]");
}

// Hidden, with the last tick a moment ago.
void HideNow(ReviewRig &rig)
{
    rig.view.visible = false;
    rig.view.log.clear();
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
        QTest::addColumn<bool>("stateKept");
        QTest::addColumn<QString>("settings"); // after a change and the save at program end
        const QStringList run{"Language English", "Tray"};
        QTest::newRow("installed") << QStringList() << true << false << run << true << "saved";
        QTest::newRow("first run accepted")
            << QStringList() << false << true << QStringList{"Language English", "FirstRun", "Tray"}
            << true << "saved";
        QTest::newRow("first run declined")
            << QStringList() << false << false
            << QStringList{"Language English", "FirstRun", "Close"} << true << "unsaved";
        QTest::newRow("uninstall") << QStringList{"/UNINSTALL"} << true << false
                                   << QStringList{"Uninstalled 0", "Close"} << false << "deleted";
        QTest::newRow("language template") << QStringList{"/CREATELNG"} << true << false
                                           << QStringList{"Template", "Close"} << true << "saved";
        QTest::newRow("switch in lower case does nothing")
            << QStringList{"/uninstall"} << true << false << QStringList{"Close"} << true
            << "saved";
    }

    void startup()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, installed);
        QFETCH(bool, installs);
        QFETCH(QStringList, host);
        QFETCH(bool, stateKept);
        QFETCH(QString, settings);
        ReviewRig rig;
        SaveSettings();
        Settings.Installed = installed;
        rig.host.installs = installs;
        rig.add(A);
        rig.start(arguments).TimerTimer();
        QCOMPARE(rig.host.log, host);
        const bool running = host.endsWith(u"Tray"_s);
        QCOMPARE(rig.review->IsClosed(), !running);
        QCOMPARE(rig.timer.active, running); // never restarted after the close
        QCOMPARE(rig.downloader->started, running);
        QCOMPARE(rig.view.log.contains(u"ShowAll"_s), running);
        QCOMPARE(HasState(rig, A), stateKept);
        Settings.Installed = true;
        Settings.RemindInterval = 9;
        SaveSettings();
        const QByteArray file = ReadFile(SettingsFile());
        QCOMPARE(file == "<missing>"                 ? "deleted"
                 : file.contains("RemindInterval=9") ? "saved"
                                                     : "unsaved",
                 settings);
    }

    // An uninstall asked for by a second start while the first-run dialog is open.
    void secondStartDuringFirstRun()
    {
        ReviewRig rig;
        Settings.Installed = false;
        rig.add(A);
        TReview &review = rig.start();
        rig.host.duringFirstRun = [&] { review.OneInstanceInstanceStarted({"/UNINSTALL"}); };
        review.TimerTimer();
        QCOMPARE(rig.host.log,
                 QStringList({"Language English", "FirstRun", "Uninstalled 0", "Close"}));
        QVERIFY(!HasState(rig, A) && !rig.timer.active && !rig.downloader->started);
    }

    void emptyListNeverShows()
    {
        ReviewRig rig;
        rig.started();
        rig.tick(30);
        QCOMPARE(rig.review->LastTick(), 1.0);
        QVERIFY(rig.view.log.isEmpty());
        QVERIFY(rig.timer.active);
    }

    // What the user sees after each script, from a start with two bookmarks on the screen.
    // A pause above 11 s or another day number brings the windows back; a folder change
    // re-reads the list when a shown file changed; a second start shows hidden windows.
    void script_data()
    {
        QTest::addColumn<TDateTime>("from");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("log");
        const auto row = [](const char *name, TDateTime from, const char *script, const char *log) {
            QTest::newRow(name) << from << script << log;
        };
        row("pause of 11.9 s", Day15, "hide;tick 11.9", "");
        row("pause of 12 s", Day15, "hide;tick 12", "UpdateView ShowAll");
        row("clock set back 12 s", Day15, "hide;tick -12", "UpdateView ShowAll");
        row("pause while visible: out and in", Day15, "clear;tick 12",
            "HideAll UpdateView ShowAll");
        row("past midnight", 45000.99995 - 4 * Second, "tick 4;hide;tick 5", "UpdateView ShowAll");
        // The reset LastShown = 0 is the 30th: on that day only the next day brings them.
        row("refresh all on the 15th", Day15, "refresh all;tick 1",
            "Read UpdateView ClearShown ShowAll");
        row("refresh all on the 30th", Day30, "refresh all;tick 1", "");
        row("folder changed, shown address edited", Day15, "edit;changed;clear;tick 1",
            "UpdateView HideAll Read UpdateView ShowAll");
        row("folder changed, shown files unchanged", Day15, "changed;clear;tick 1", "");
        // Favrake's own saves keep the names: the next showing reads nothing anew.
        row("own save, then a second start", Day15, "save;changed;hide;second",
            "UpdateView ShowAll");
        row("bookmark added, then a second start", Day15, "add;changed;hide;second",
            "Read UpdateView ShowAll");
        row("second start while hidden", Day15, "hide;second", "UpdateView ShowAll");
        row("second start while visible", Day15, "clear;second", "");
        row("second start with uninstall", Day15, "clear;uninstall", "Close");
    }

    void script()
    {
        QFETCH(TDateTime, from);
        QFETCH(QString, script);
        QFETCH(QString, log);
        ReviewRig rig;
        SaveSettings();
        rig.add(A);
        rig.add(B);
        rig.now = from;
        TReview &review = rig.started();
        QVERIFY(rig.view.visible);
        for (const QString &step : script.split(u';')) {
            if (step.startsWith(u"tick "))
                rig.tick(step.mid(5).toDouble());
            else if (step == u"hide")
                HideNow(rig);
            else if (step == u"clear")
                rig.view.log.clear();
            else if (step == u"edit")
                WriteFile(rig.path(B), Shortcut("http://elsewhere.test/"));
            else if (step == u"changed")
                review.FolderChanged(rig.favorites.path());
            else if (step == u"save")
                QVERIFY(review.Bookmarks().Save(rig.indexOf(A)));
            else if (step == u"add")
                rig.add(u"c.url"_s, {.remind = -1});
            else if (step == u"second" || step == u"uninstall")
                review.OneInstanceInstanceStarted(step == u"second" ? QStringList()
                                                                    : QStringList{"/UNINSTALL"});
            else if (step == u"refresh all") {
                rig.confirmer.answers = {{true}};
                review.RefreshClick();
                rig.view.log.clear();
            }
        }
        QCOMPARE((rig.view.log + rig.host.log.filter(u"Close"_s)).join(u' '), log);
        const bool closed = log.endsWith(u"Close");
        QCOMPARE(HasState(rig, A), !closed);
        QCOMPARE(QFileInfo::exists(SettingsFile()), !closed);
        rig.tick();
        QCOMPARE(rig.timer.active, !closed);
    }

    void refreshDoneShows()
    {
        ReviewRig rig;
        Settings.NoNetAccess = false;
        rig.add(A, {.refreshed = 0});
        rig.started();
        QVERIFY(rig.review->AwaitingRefresh());
        QVERIFY(rig.downloader->isBusyWith(rig.indexOf(A)));
        rig.tick(20); // a pause does not show entries that still wait
        rig.downloader->finish("<title>Fresh</title>");
        rig.tick();
        QCOMPARE(rig.view.log, QStringList{"Progress"});
        QCOMPARE(rig.stored(A).Title, u"Fresh"_s);
        rig.tick();
        QCOMPARE(rig.view.log, QStringList({"Progress", "UpdateView", "ShowAll"}));
        QVERIFY(!rig.review->AwaitingRefresh());
    }

    // While an action's question is open nothing re-reads the list under it; what came up
    // meanwhile happens when the action has ended.
    void actionHoldsBackTicks()
    {
        ReviewRig rig;
        rig.add(A);
        rig.add(B);
        TReview &review = rig.started();
        rig.view.log.clear();
        const int a = rig.indexOf(A);
        rig.confirmer.answers.push_back({false, false, [&] {
                                             WriteFile(rig.path(B), Shortcut("http://b.test/"));
                                             review.FolderChanged(rig.favorites.path());
                                             rig.tick(20);
                                             rig.tick();
                                             review.OneInstanceInstanceStarted({});
                                         }});
        QVERIFY(!review.KeepAction(a));
        QCOMPARE(rig.view.log, QStringList());
        QCOMPARE(review.Bookmarks().Item(a)->FileName, rig.path(A));
        rig.tick();
        QCOMPARE(rig.view.log, QStringList({"HideAll", "Read", "UpdateView", "ShowAll"}));
    }

    // A close asked for inside a question waits for the action; then the timer stays off.
    void closeWaitsForAction_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("quit") << "quit";
        QTest::newRow("quit declined") << "quit declined";
        QTest::newRow("second start with uninstall") << "uninstall";
    }

    void closeWaitsForAction()
    {
        QFETCH(QString, how);
        ReviewRig rig;
        rig.add(A);
        TReview &review = rig.started();
        const bool quit = how.startsWith(u"quit");
        const bool closes = how != u"quit declined";
        rig.confirmer.answers = {{true, false,
                                  [&] {
                                      if (quit)
                                          review.QuitClick();
                                      else
                                          review.OneInstanceInstanceStarted({"/UNINSTALL"});
                                      QVERIFY(rig.host.log.endsWith(u"Tray"_s));
                                  }},
                                 {closes}};
        QVERIFY(review.RemindAction(rig.indexOf(A), 3));
        QCOMPARE(rig.host.log.last(), closes ? u"Close"_s : u"Tray"_s);
        QVERIFY(review.IsClosed() == closes && rig.timer.active == !closes);
        rig.tick();
        QCOMPARE(rig.timer.active, !closes);
        QCOMPARE(rig.confirmer.keys(),
                 quit ? QStringList({"Remind", "Quit"}) : QStringList{"Remind"});
        // The uninstall came after the decision, so it removed that state too.
        QCOMPARE(HasState(rig, A), quit);
        if (quit)
            QCOMPARE(rig.stored(A).RemindTime, Day15 + 3);
    }

    void resultForVanishedBookmarkDropped()
    {
        ReviewRig rig;
        Settings.NoNetAccess = false;
        rig.add(A, {.refreshed = 0});
        rig.add(B, {.refreshed = 0});
        rig.started();
        const TIndyResult late = *rig.downloader->outstanding;
        const QString requested = rig.review->Bookmarks().Item(late.Index)->FileName;
        QVERIFY(QFile::remove(requested));
        rig.review->FolderChanged(rig.favorites.path());
        HideNow(rig);
        rig.review->OneInstanceInstanceStarted({}); // re-reads the folder
        QVERIFY(!rig.downloader->isBusy());
        rig.downloader->published = late;
        rig.downloader->published->Success = true;
        rig.downloader->published->Content = "<title>Late</title>";
        rig.tick();
        QVERIFY(!rig.view.log.contains(u"Progress"_s));
        QVERIFY(rig.stored(A).Title.isEmpty() && rig.stored(B).Title.isEmpty());
        QVERIFY(!QFile::exists(requested));
    }
};

QTEST_GUILESS_MAIN(TestReviewTick)
#include "test_review_tick.moc"
