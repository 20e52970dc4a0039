#include "reviewfakes.h"
#include "rowfile.h"

#include <QRegularExpression>
#include <QTest>

namespace {
const auto nameOf = [](qsizetype i) { return u"b%1.url"_s.arg(i); };

// A review started on the bookmarks given, one a letter ("f" fresh, "a" awaiting its refresh,
// "l" due later, "k" kept for good; with any awaiting the network is on), and the steps of a
// script run on it.
struct Script
{
    ReviewRig rig;
    Review *review = nullptr;
    DownloadResult first; // the page asked for first
    QTemporaryDir other;

    Script(const QString &bookmarks, DateTime from)
    {
        saveSettings();
        rig.options.noNetAccess = !bookmarks.contains(u'a');
        for (qsizetype i = 0; i < bookmarks.size(); ++i) {
            const QChar letter = bookmarks[i];
            rig.add(nameOf(i), {.reference = 100.0 + double(i),
                                .remind = letter == u'l'   ? day15 + 10
                                          : letter == u'k' ? -1
                                                           : 1.0,
                                .refreshed = letter == u'a' ? 0 : day15});
        }
        rig.now = from;
        review = &rig.started();
        rig.view.log.clear();
        first = rig.downloader->outstanding.value_or(DownloadResult());
    }
    void step(const QString &line)
    {
        static const QStringList refreshing{"finish", "title", "progress", "whole",  "awaits",
                                            "busy",   "fail",  "race",     "vanish", "late"};
        const QString word = line.section(u' ', 0, 0), argument = line.section(u' ', 1);
        if (line.endsWith(u'}')) { // keep b0 (answered No) or remind it (Yes), with steps meanwhile
            const bool remind = line.startsWith(u"remind");
            const QStringList inner =
                line.section(u'{', 1).chopped(1).split(u',', Qt::SkipEmptyParts);
            rig.confirmer.answers = {{remind, [this, inner] {
                                          for (const QString &innerLine : inner)
                                              step(innerLine);
                                      }}};
            QCOMPARE(review->actions().actOnEntry(0, remind ? RemindTag : KeepTag), remind);
        } else if (refreshing.contains(word)) {
            refresh(word, argument);
        } else {
            change(word, argument);
        }
    }
    void change(const QString &word, const QString &argument)
    {
        if (word == u"tick") {
            rig.tick(argument.isEmpty() ? 1 : argument.toDouble());
        } else if (word == u"hide" || word == u"moving") {
            (word == u"hide" ? rig.view.visible : rig.view.moving) = word == u"moving";
        } else if (word == u"settle") {
            rig.view.settle();
        } else if (word == u"edit") {
            writeFile(rig.path(nameOf(1)), shortcut("http://elsewhere.test/"));
        } else if (word == u"changed") {
            review->ticker().folderChanged(rig.favorites.path());
        } else if (word == u"save") {
            QVERIFY(review->bookmarks().save(rig.indexOf(nameOf(0))));
        } else if (word == u"add") {
            rig.add(u"c.url"_s);
        } else if (word == u"other") {
            rig.add(u"d.url"_s);
            QVERIFY(QFile::rename(rig.path(u"d.url"_s), other.filePath(u"d.url"_s)));
            review->ticker().changeFavorites(other.path());
            QCOMPARE(review->bookmarks().item(review->rows().entryAt(0))->fileName,
                     other.filePath(u"d.url"_s));
        } else if (word == u"second" || word == u"uninstall") {
            if (review->session().takeSecondStart(word == u"second" ? QStringList()
                                                                    : QStringList{"/UNINSTALL"}) ==
                StartOutcome::WaitsForAction)
                rig.view.log << u"Waits"_s;
        } else if (word == u"refresh" || word == u"quit" || word == u"putback") {
            rig.confirmer.answers = {{argument != u"no"}};
            word == u"quit"      ? review->session().askToQuit()
            : word == u"refresh" ? review->ticker().refreshAll()
                                 : review->ticker().showPutBackBookmarks();
        } else if (word == u"netoff") {
            rig.options.noNetAccess = true;
            review->setOptions(rig.options);
        } else if (word == u"running") {
            QVERIFY(!review->rows().isClosed());
        } else if (word == u"language") {
            writeFile(rig.appData.filePath(u"t.lng"_s),
                      "LanguageName = 'Test'\r\n" + argument.toUtf8() + "\r\n");
            rig.language.scan({rig.appData.path()});
            QVERIFY(rig.language.setCurrentLanguage(u"Test"_s));
        } else {
            QCOMPARE(word, u"|"_s); // the question has ended
            rig.view.log << word;
        }
    }
    void refresh(const QString &word, const QString &argument)
    {
        const RefreshProgress shown = review->chooser().refreshProgress();
        const RefreshProgress whole = review->refresh().wholeProgress();
        if (word == u"finish") {
            rig.finish("<title>" + argument.toUtf8() + "</title>");
        } else if (word == u"fail" || word == u"race") {
            DownloadResult failed = first; // a race: the tick finds it before the worker's word
            failed.findings.checked = true;
            failed.findings.network = {NetworkFailure(argument.toInt()), "portal.test"};
            word == u"fail" ? rig.publish(failed, "HTTP/1.1 302 Found")
                            : rig.downloader->publish(failed, "HTTP/1.1 302 Found");
        } else if (word == u"vanish") {
            QVERIFY(QFile::remove(review->bookmarks().item(first.index)->fileName));
            review->ticker().folderChanged(rig.favorites.path());
            rig.view.visible = false;
            review->session().takeSecondStart({}); // re-reads the folder
        } else if (word == u"late") {
            rig.publish(first, "<title>Late</title>"); // the answer to the request withdrawn
        } else { // what is found now: b0's title, the progress counts, and yes or no
            const QMap<QString, QVariant> found{
                {u"title"_s, rig.stored(nameOf(0)).title},
                {u"progress"_s, u"%1/%2"_s.arg(shown.done).arg(shown.total)},
                {u"whole"_s, u"%1/%2"_s.arg(whole.done).arg(whole.total)},
                {u"awaits"_s, review->chooser().awaitingRefresh()},
                {u"busy"_s, rig.downloader->isBusy()}};
            QCOMPARE(found[word].toString(), argument);
        }
    }
};
} // namespace

class TestReviewTick : public QObject
{
    Q_OBJECT
  private slots:
    void startup_data() { addRowsFromFile(u"app/startups.tsv"_s); }
    void startup()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, host);
        ReviewRig rig;
        saveSettings();
        QFETCH(bool, installed);
        QFETCH(bool, installs);
        std::tie(rig.options.installed, rig.host.installs) = std::tuple(installed, installs);
        rig.add(u"a.url"_s);
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
        QCOMPARE(readFile(rig.path(u"a.url"_s)).contains("[Merkwerk]"),
                 !host.contains(u"Uninstalled 0"_s));
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

    // What the user sees after each script, and the titles stored ("-": not refreshed). The
    // windows come back after a pause above 11 s, on another day, on a second start while
    // hidden and once the awaited refresh is done (what "Refresh all" chose comes at once, on
    // its download page); a folder change counts when names changed (Favrake's own saves keep
    // them) or a shown address was edited; the timer never shows an empty collection. What
    // comes while the windows move or an action's question is open (keep: answered No,
    // remind: Yes; "|" marks its end) waits until that is over; an uninstall then removes the
    // state of that decision too. The download page counts the shown rows that await their
    // refresh. A result is stored once the worker says so, without a tick; a run whose
    // network failed records nothing, says why in the language handed in, and asks again
    // RefreshAfterFail minutes later; a page asked for before the failure is still recorded.
    void script_data() { addRowsFromFile(u"app/scripts.tsv"_s); }
    // The end of "Refresh all" in one line, by verdict group, in the language in use.
    void summary_data() { addRowsFromFile(u"app/summaries.tsv"_s); }
    void summary()
    {
        QFETCH(QString, language);
        QFETCH(QString, counts);
        const QList<int> count = numbers(counts);
        Languages languages;
        languages.scan({QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)});
        QVERIFY(languages.setCurrentLanguage(language));
        QTEST(refreshSummaryText(ReviewTexts(languages), {count[0], count[1], count[2]}), "text");
    }

    void script()
    {
        QFETCH(QString, bookmarks);
        QFETCH(DateTime, from);
        Script run(bookmarks, from);
        ReviewRig &rig = run.rig;
        QFETCH(QString, script);
        for (const QString &step : script.split(u';'))
            run.step(step);
        QFETCH(QString, log);
        QCOMPARE((rig.view.log + rig.host.log.filter(QRegularExpression(u"Uninstalled|Close"_s)))
                     .join(u' '),
                 log);
        const bool uninstalled = log.contains(u"Uninstalled"_s);
        QCOMPARE(QFileInfo::exists(settingsFile()), !uninstalled);
        QStringList titles;
        for (qsizetype i = 0; i < bookmarks.size(); ++i) {
            const BookmarkRec rec = rig.stored(nameOf(i));
            if (rec.fileName.isEmpty())
                continue; // gone
            if (i == 0)   // b1 may have been edited
                QCOMPARE(readFile(rig.path(nameOf(i))).contains("[Merkwerk]"), !uninstalled);
            titles << (rec.refreshed <= 1.0 ? u"-"_s : rec.title);
            if (!uninstalled)
                QCOMPARE(rig.review->bookmarks().item(rig.indexOf(nameOf(i)))->title, rec.title);
        }
        QTEST(titles.join(u','), "titles");
        rig.tick();
        QCOMPARE(rig.timer.active, !log.endsWith(u"Close"));
    }
};

QTEST_GUILESS_MAIN(TestReviewTick)
#include "test_review_tick.moc"
