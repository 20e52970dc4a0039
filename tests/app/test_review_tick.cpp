#include "reviewfakes.h"

#include <QRegularExpression>
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
        QTest::addColumn<bool>("installs");     // the first-run dialog's outcome
        QTest::addColumn<bool>("uninstalling"); // a second copy asks for it during the dialog
        QTest::addColumn<QStringList>("host");
        QTest::addColumn<QString>("settings"); // after a change and the save at program end
        const auto row = [](const char *name, QStringList arguments, bool installed, bool installs,
                            QStringList host, const char *settings, bool uninstalling = false) {
            QTest::newRow(name) << arguments << installed << installs << uninstalling << host
                                << settings;
        };
        const QString english = u"Language English"_s;
        row("installed", {}, true, false, {english, "Tray"}, "saved");
        row("first run accepted", {}, false, true, {english, "FirstRun", "Tray"}, "saved");
        row("first run declined", {}, false, false, {english, "FirstRun", "Close"}, "unsaved");
        row("uninstall", {"/UNINSTALL"}, true, false, {"Uninstalled 0", "Close"}, "deleted");
        row("language template", {"/CREATELNG"}, true, false, {"Template", "Close"}, "saved");
        // It waits for the dialog's end, and the start goes no further.
        row("uninstall during the first-run dialog", {}, false, true,
            {english, "FirstRun", "Uninstalled 0", "Close"}, "deleted", true);
    }
    void startup()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, host);
        ReviewRig rig;
        saveSettings();
        QFETCH(bool, installed);
        QFETCH(bool, installs);
        std::tie(rig.options.installed, rig.host.installs) = std::tuple(installed, installs);
        rig.add(fileA);
        ReviewSession &session = rig.start(arguments).session();
        QFETCH(bool, uninstalling);
        if (uninstalling)
            rig.host.duringFirstRun = [&session] {
                QCOMPARE(session.takeSecondStart({"/UNINSTALL"}), StartOutcome::WaitsForAction);
            };
        rig.review->tick();
        QCOMPARE(rig.host.log, host);
        const bool running = host.endsWith(u"Tray"_s);
        QCOMPARE(rig.review->rows().isClosed(), !running);
        QCOMPARE(rig.timer.active, running); // never restarted after the close
        QCOMPARE(rig.downloader->started, running);
        QCOMPARE(rig.view.log.contains(u"ShowAll"_s), running);
        QCOMPARE(hasState(rig, fileA), !host.contains(u"Uninstalled 0"_s));
        // Closed now: an uninstall handed over later is refused, not dropped silently.
        if (!running)
            QCOMPARE(session.takeSecondStart({"/UNINSTALL"}), StartOutcome::Refused);
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
        review.ticker().folderChanged(rig.favorites.path());
        QCOMPARE(rig.view.log.join(u' '), "Read UpdateView ShowAll");
        QTemporaryDir other;
        rig.add(fileB);
        QVERIFY(QFile::rename(rig.path(fileB), other.filePath(fileB)));
        rig.view.log.clear();
        review.ticker().changeFavorites(other.path());
        QCOMPARE(rig.view.log.join(u' '), "Read HideAll UpdateView ShowAll");
        QCOMPARE(review.bookmarks().item(review.rows().entryAt(0))->fileName,
                 other.filePath(fileB));
    }

    // What the user sees after each script, from a start with two bookmarks on the screen.
    // A pause above 11 s or another day number brings the windows back; a folder change
    // counts when names changed or a shown address was edited; a second start shows hidden
    // windows; what comes while the windows move waits until they stand still. While an
    // action's question is open (keep: answered No, remind: Yes) nothing re-reads the list
    // under it: what came up meanwhile, a close too, happens once it has ended ("|").
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
        row("second start with uninstall", day15, "uninstall", "Uninstalled 0 Close");
        row("question open: ticks and a second start wait", day15,
            "keep{add,changed,tick 20,second};|;tick 1", "Waits | HideAll Read UpdateView ShowAll");
        row("question open: quit", day15, "remind{quit,running};|;tick 1", "| Close");
        row("question open: quit declined", day15, "remind{quit no,running};tick 1", "");
        // The uninstall comes after the decision, so it removes that state too.
        row("question open: uninstall", day15, "remind{uninstall,running}",
            "Waits Uninstalled 0 Close");
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
        std::function<void(const QString &)> run = [&](const QString &step) {
            if (step.startsWith(u"tick "))
                rig.tick(step.mid(5).toDouble());
            else if (step == u"hide")
                rig.view.visible = false;
            else if (step == u"moving" || step == u"settle")
                step == u"moving" ? void(rig.view.moving = true) : rig.view.settle();
            else if (step == u"edit")
                writeFile(rig.path(fileB), shortcut("http://elsewhere.test/"));
            else if (step == u"changed")
                review.ticker().folderChanged(rig.favorites.path());
            else if (step == u"save")
                QVERIFY(review.bookmarks().save(rig.indexOf(fileA)));
            else if (step == u"add")
                rig.add(u"c.url"_s, {.remind = -1});
            else if (step == u"second" || step == u"uninstall") {
                if (review.session().takeSecondStart(
                        step == u"second" ? QStringList() : QStringList{"/UNINSTALL"}) ==
                    StartOutcome::WaitsForAction)
                    rig.view.log << u"Waits"_s;
            } else if (step == u"refresh all") {
                rig.confirmer.answers = {{true}};
                review.ticker().refreshAll();
            } else if (step.startsWith(u"quit")) {
                rig.confirmer.answers = {{step == u"quit"}};
                review.session().askToQuit();
            } else if (step.endsWith(u'}')) { // keep or remind fileA, the steps in {} meanwhile
                const bool remind = step.startsWith(u"remind");
                const QStringList inner = step.section(u'{', 1).chopped(1).split(u',');
                rig.confirmer.answers = {{remind, [&run, inner] {
                                              for (const QString &innerStep : inner)
                                                  run(innerStep);
                                          }}};
                BookmarkActions &actions = review.actions();
                const int a = rig.indexOf(fileA);
                QCOMPARE(remind ? actions.remindAction(a, 3) : actions.keepAction(a), remind);
            } else if (step == u"running") {
                QVERIFY(!review.rows().isClosed());
            } else {
                QCOMPARE(step, u"|"_s); // marks the end of the question
                rig.view.log << step;
            }
        };
        for (const QString &step : script.split(u';'))
            run(step);
        const QRegularExpression hostSteps(u"Uninstalled|Close"_s);
        QCOMPARE((rig.view.log + rig.host.log.filter(hostSteps)).join(u' '), log);
        const bool uninstalled = log.contains(u"Uninstalled"_s);
        QCOMPARE(hasState(rig, fileA), !uninstalled);
        QCOMPARE(QFileInfo::exists(settingsFile()), !uninstalled);
        rig.tick();
        QCOMPARE(rig.timer.active, !log.endsWith(u"Close"));
    }

    // The refresh from a start with the bookmarks given ("a": awaits its refresh), after each
    // script: what the user saw and, per bookmark, the title stored ("-": not refreshed).
    // The download page counts the shown rows that await their refresh, not the bookmarks
    // that happen to be fresh; the windows come once all are refreshed. A result is stored
    // as soon as the worker says it is there, without a tick. A run whose network failed
    // records nothing: the title window's hint says why, in the language handed in, and
    // nothing is asked for until RefreshAfterFail minutes later, when the network is judged
    // anew. A page asked for before the failure was known is still recorded.
    void refresh_data()
    {
        QTest::addColumn<QString>("bookmarks");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("titles");
        const auto row = [](const char *name, const char *bookmarks, const QString &script,
                            const char *log, const char *titles) {
            QTest::newRow(name) << bookmarks << script << log << titles;
        };
        const QString waits = u"tick 1740;tick;busy no;tick 60;busy yes"_s;
        row("shown rows refreshed, then all", "a..a..a",
            "awaits yes;progress 0/2;tick 20;finish Fresh;progress 1/2;tick;finish Also;tick;"
            "progress 2/2;awaits no;refresh all;whole 0/7;tick;finish Again;whole 1/7",
            "Progress Progress UpdateView ShowAll HideAll ClearShown UpdateView ClearShown ShowAll "
            "Progress",
            "Again,-,-,-,-,-,-");
        row("a sign-in page", "aaa", "fail 4;" + waits,
            "Hint Favrake waits: the network asks you to sign in first Hint ", "-,-,-");
        row("no site answered, found by the tick", "aaa", "race 1;tick;finish X;" + waits,
            "Hint Favrake waits: no site answers, or the proxy fails Progress Hint ", "-,X,-");
        row("no site answered, in another language", "aaa",
            "language HintNoNetwork = 'Kein Netz';fail 1;" + waits, "Hint Kein Netz Hint ",
            "-,-,-");
        row("result for a bookmark gone meanwhile", "aa", "vanish;busy no;late;tick",
            "Read UpdateView ClearShown ShowAll", "-");
    }
    void refresh()
    {
        QFETCH(QString, bookmarks);
        QFETCH(QString, script);
        ReviewRig rig;
        rig.options.noNetAccess = false;
        const auto name = [](qsizetype i) { return u"b%1.url"_s.arg(i); };
        for (qsizetype i = 0; i < bookmarks.size(); ++i)
            rig.add(name(i), {.reference = 100.0 + double(i),
                              .refreshed = bookmarks[i] == u'a' ? 0 : day15});
        Review &review = rig.started();
        rig.view.log.clear();
        const TransferResult first = *rig.downloader->outstanding;
        for (const QString &step : script.split(u';')) {
            const QString word = step.section(u' ', 0, 0), argument = step.section(u' ', 1);
            TransferResult failed = first;
            failed.findings.checked = true;
            failed.findings.network = {NetworkFailure(argument.toInt()), "portal.test"};
            if (word == u"tick")
                rig.tick(argument.isEmpty() ? 1 : argument.toDouble());
            else if (word == u"finish")
                rig.finish("<title>" + argument.toUtf8() + "</title>");
            else if (word == u"progress" || word == u"whole") {
                const RefreshProgress counted = word == u"whole"
                                                    ? review.refresh().wholeProgress()
                                                    : review.chooser().refreshProgress();
                QCOMPARE(u"%1/%2"_s.arg(counted.done).arg(counted.total), argument);
            } else if (word == u"awaits" || word == u"busy")
                QCOMPARE(word == u"busy" ? rig.downloader->isBusy()
                                         : review.chooser().awaitingRefresh(),
                         argument == u"yes");
            else if (word == u"fail")
                rig.publish(failed, "HTTP/1.1 302 Found");
            else if (word == u"race") // the tick finds it before the worker's word comes
                rig.downloader->publish(failed, "HTTP/1.1 302 Found");
            else if (word == u"refresh")
                rig.confirmer.answers = {{true}}, review.ticker().refreshAll();
            else if (word == u"language") {
                writeFile(rig.appData.filePath(u"t.lng"_s),
                          "LanguageName = 'Test'\r\n" + argument.toUtf8() + "\r\n");
                rig.language.scan({rig.appData.path()});
                QVERIFY(rig.language.setCurrentLanguage(u"Test"_s));
            } else if (word == u"vanish") {
                QVERIFY(QFile::remove(review.bookmarks().item(first.index)->fileName));
                review.ticker().folderChanged(rig.favorites.path());
                rig.view.visible = false;
                review.session().takeSecondStart({}); // re-reads the folder
            } else {
                QCOMPARE(word, u"late"_s); // the answer to the request withdrawn
                rig.publish(first, "<title>Late</title>");
            }
        }
        QTEST(rig.view.log.join(u' '), "log");
        QStringList titles;
        for (qsizetype i = 0; i < bookmarks.size(); ++i) {
            const BookmarkRec rec = rig.stored(name(i));
            if (rec.fileName.isEmpty())
                continue; // gone
            titles << (rec.refreshed <= 1.0 ? u"-"_s : rec.title);
            QCOMPARE(review.bookmarks().item(rig.indexOf(name(i)))->title, rec.title);
        }
        QTEST(titles.join(u','), "titles");
    }
};

QTEST_GUILESS_MAIN(TestReviewTick)
#include "test_review_tick.moc"
