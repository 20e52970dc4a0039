#include "reviewfakes.h"
#include "store/ini.h"

#include <QRegularExpression>
#include <QTest>

namespace {
const QString paperFile = u"News/Old/paperFile.url"_s;
const QString otherFile = u"otherFile.url"_s;
const Mark withSubject{.subject = u"Travel Tips"_s};

// A file system that takes no new content.
const platform::FileWriteOps refusingWrites{failingWrite, ::fsync, ::rename};

// The rig with paperFile and otherFile (shown unless it is due later), answers in order.
Review &shown(ReviewRig &rig, const QList<bool> &answers, const Mark &paper = withSubject,
              DateTime other = 1.0)
{
    rig.add(paperFile, paper);
    rig.add(otherFile, {.reference = 200, .remind = other});
    for (const bool yes : answers)
        rig.confirmer.answers.push_back({yes});
    Review &review = rig.started();
    rig.view.log.clear();
    return review;
}

QString storedState(const ReviewRig &rig, const QString &name)
{
    if (!QFile::exists(rig.path(name)))
        return u"trashed"_s;
    const DateTime remind = rig.stored(name).remindTime;
    return remind > day15 ? u"+%1"_s.arg(remind - day15) : QString::number(remind);
}
} // namespace

class TestReviewActions : public QObject
{
    Q_OBJECT
  private slots:
    // Each decision by Tag, from the bookmark window or the pocket entry, seen in the file.
    // The subject goes to the server in plain lower-case words, escaped, with the button
    // asked for. The last shown bookmark handled, the column says on which day the next come:
    // the day of the next one due, but never today, whose bookmarks come on a click.
    void decision_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("dontDelete");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<QString>("opened");    // the button the server was asked with
        QTest::addColumn<DateTime>("other");    // the remind time of the other bookmark
        QTest::addColumn<DateTime>("farewell"); // the day it names; -1: windows stay
        const auto row = [](const char *name, int tag, QList<bool> answers, bool dontDelete,
                            const char *stored, QStringList asked, const char *opened = "",
                            DateTime other = 1.0, DateTime farewell = -1) {
            QTest::newRow(name) << tag << answers << dontDelete << stored << asked << opened
                                << other << farewell;
        };
        const QString keep = u"0 Keep 1 2"_s, remind = u"0 Remind 2 2"_s;
        row("keep", KeepTag, {true, false}, false, "-1", {keep, "0 SuggestK 14 13"});
        row("keep declined", KeepTag, {false}, false, "1", {keep});
        row("keep with the suggestion", KeepTag, {true, true}, false, "-1",
            {keep, "0 SuggestK 14 13"}, "K");
        row("remind after the interval", RemindTag, {true}, false, "+5", {remind});
        row("remind tomorrow", 1, {true}, false, "+1", {remind});
        row("remind in 3 days", 3, {true}, false, "+3", {remind});
        row("remind in a week", 7, {true}, false, "+7", {remind});
        row("remind in a month", 30, {true}, false, "+30", {remind});
        row("unknown tag", 2, {true}, false, "1", {});
        row("delete", DeleteTag, {false, true, false}, false, "trashed",
            {"0 SuggestD 14 13", "1 Delete 3 1", "1 EmptyTree 13 1"});
        row("delete declined", DeleteTag, {false, false}, false, "1",
            {"0 SuggestD 14 13", "1 Delete 3 1"});
        row("delete with the suggestion", DeleteTag, {true, false}, false, "1",
            {"0 SuggestD 14 13", "1 Delete 3 1"}, "D");
        row("delete without deleting", DeleteTag, {false}, true, "-1", {"0 SuggestD 14 13"});
        row("suggest settles nothing", SuggestTag, {true}, false, "1", {"0 Suggest 14 3"}, "S");
        row("last one: the next in three days", RemindTag, {true}, false, "+5", {remind}, "",
            day15 + 3.2, 45003);
        row("last one: the next later today, so tomorrow", RemindTag, {true}, false, "+5", {remind},
            "", day15 + 0.2, 45001);
        row("last one: itself, just put back", 1, {true}, false, "+1", {remind}, "", day15 + 9,
            45001);
        row("last one: none left", KeepTag, {true, false}, false, "-1", {keep, "0 SuggestK 14 13"},
            "", -1, 0);
    }

    void decision()
    {
        QFETCH(int, tag);
        QFETCH(QString, stored);
        QFETCH(QString, opened);
        QFETCH(DateTime, other);
        QFETCH(DateTime, farewell);
        for (const bool window : {true, false}) {
            ReviewRig rig;
            std::tie(rig.options.intervals.remindInterval, rig.options.suggestServer) =
                std::tuple(5, u"https://links.test"_s);
            QFETCH(bool, dontDelete);
            rig.options.dontDelete = dontDelete;
            QFETCH(QList<bool>, answers);
            Review &review = shown(rig, answers, {.subject = u"A&b=c d/é"_s}, other);
            const int row = rig.rowOf(paperFile);
            BookmarkActions &actions = review.actions();
            const bool done =
                window ? actions.actInBookmarkWindow(row, tag) : actions.actOnEntry(row, tag);
            QCOMPARE(storedState(rig, paperFile), stored);
            QCOMPARE(rig.stored(otherFile).remindTime, other);
            QTEST(rig.confirmer.asked, "asked");
            QCOMPARE(rig.desktop.opened.join(u' '),
                     opened.isEmpty()
                         ? opened
                         : u"https://links.test/route.php?q=a%20b%20c%20d%20%C3%A9&btn="_s +
                               opened);
            QCOMPARE(done, stored != u"1");
            QCOMPARE(review.rows().entryAt(row), done ? -1 : rig.indexOf(paperFile));
            const QString shownLog = farewell >= 0
                                         ? u"Farewell%1 %2"_s.arg(window ? row : -1).arg(farewell)
                                     : window ? u"Remove%1"_s.arg(row)
                                              : u"UpdateView ShowAll"_s;
            QCOMPARE(rig.view.log.join(u' '), done ? shownLog : QString());
            QCOMPARE(review.rows().actionDepth(), 0);
        }
    }

    // Without a server the program writes the collection itself, into the user's cache
    // folder: the user's bookmarks on the subject, as plain text even when their names hold
    // markup.
    void subjectPageWithoutServer()
    {
        ReviewRig rig;
        rig.add(u"<b>Trip<b>.url"_s, withSubject);
        rig.add(u"Unrelated.url"_s);
        BookmarkActions &actions = shown(rig, {true, true}).actions();
        QVERIFY(actions.suggestAction(rig.indexOf(paperFile), QString()));
        const QString page = qEnvironmentVariable("XDG_CACHE_HOME") + u"/favrake/subject.html"_s;
        QCOMPARE(rig.desktop.opened, QStringList{"file:" + page});
        const QString html = QString::fromUtf8(readFile(page));
        QVERIFY2(html.contains(u"&lt;b&gt;Trip&lt;b&gt;"_s) && html.contains(u">paperFile</a>"_s) &&
                     html.contains(u"search=Travel%20Tips"_s),
                 qPrintable(html));
        QVERIFY(!html.contains(u"Unrelated"_s) && !html.contains(u"<b>"_s));
        rig.desktop.works = false;
        QVERIFY(!actions.suggestAction(rig.indexOf(paperFile), QString()));
        QCOMPARE(rig.view.errors.size(), 1);
    }

    // Only a web address reaches the browser; opening settles nothing.
    void open_data()
    {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<bool>("browserWorks");
        QTest::addColumn<QString>("error");
        QTest::newRow("http") << QByteArray("http://a.test/x?y=1") << true << QString();
        QTest::newRow("file") << QByteArray("file:///etc/passwd") << true << "is not a web address";
        QTest::newRow("browser fails")
            << QByteArray("http://a.test/") << false << "could not be started for";
    }
    void open()
    {
        QFETCH(QByteArray, url);
        QFETCH(QString, error);
        ReviewRig rig;
        rig.add(paperFile, {}, url);
        QFETCH(bool, browserWorks);
        rig.desktop.works = browserWorks;
        rig.confirmer.answers = {{true}};
        Review &review = rig.started();
        QCOMPARE(review.actions().openEntry(0), error.isEmpty());
        QCOMPARE(rig.confirmer.keys, QStringList{"WebLink"});
        QCOMPARE(rig.desktop.opened.size(), int(url.startsWith("http")));
        QCOMPARE(rig.view.errors.size(), int(!error.isEmpty()));
        QVERIFY(rig.view.errors.join(u'\n').contains(error));
        QCOMPARE(review.rows().entryAt(0), rig.indexOf(paperFile));
    }

    // A decision that cannot be carried out is not lost silently: all stays as it was, and a
    // failure is told. Before the action or during one of its questions (all answered Yes) the
    // file may be edited, the list read anew (the index then names another bookmark), the
    // empty folder filled; the file or the trash may refuse. Never is the wrong file touched.
    void failedDecision_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("question"); // the one during which it happens; 0 before
        QTest::addColumn<QString>("event");
        QTest::addColumn<QStringList>("trashed");
        QTest::addColumn<QString>("error");
        const auto row = [](const char *name, int tag, int question, const char *event,
                            QStringList trashed, const char *error) {
            QTest::newRow(name) << tag << question << event << trashed << error;
        };
        row("keep, address edited", KeepTag, 0, "edit", {}, "was changed or removed by another");
        row("keep without address", KeepTag, 0, "no address", {}, "has no address");
        row("keep, file not writable", KeepTag, 0, "unwritable", {}, "could not be written");
        row("without deleting, not writable", DeleteTag, 0, "dont delete", {},
            "could not be written");
        row("keep, list read anew", KeepTag, 1, "reload", {}, "");
        row("remind, list read anew", RemindTag, 1, "reload", {}, "");
        row("delete, list read anew", DeleteTag, 1, "reload", {}, "");
        row("delete, address edited", DeleteTag, 1, "edit", {}, "was not moved to the trash");
        row("delete, trash refuses", DeleteTag, 1, "refuse", {}, "could not be moved to the trash");
        row("delete, empty folder filled", DeleteTag, 2, "fill", {paperFile}, "");
    }

    void failedDecision()
    {
        QFETCH(int, tag);
        QFETCH(int, question);
        QFETCH(QString, event);
        QFETCH(QStringList, trashed);
        QFETCH(QString, error);
        ReviewRig rig;
        rig.options.dontDelete = event == u"dont delete";
        if (event == u"unwritable" || rig.options.dontDelete)
            rig.writeOps = &refusingWrites;
        rig.add(paperFile, {}, event == u"no address" ? QByteArray() : "http://a.test/");
        rig.add(otherFile, {.reference = 200});
        Review &review = rig.start();
        const int paper = rig.indexOf(paperFile);
        const DateTime remind = review.bookmarks().item(paper)->remindTime;
        const QByteArray other = readFile(rig.path(otherFile));
        const QByteArray edited = shortcut("http://elsewhere.test/");
        const auto happen = [&] {
            if (event == u"reload") {
                QFile::remove(rig.path(paperFile));
                review.bookmarks().load();
            } else if (event == u"edit") {
                writeFile(rig.path(paperFile), edited);
            } else if (event == u"fill") {
                writeFile(rig.path(u"News/Old/x.txt"_s), "x");
            }
            rig.desktop.works = event != u"refuse";
        };
        rig.confirmer.answers.assign(std::max(question, 1), {true});
        if (question > 0)
            rig.confirmer.answers[question - 1].meanwhile = happen;
        else
            happen();
        BookmarkActions &actions = review.actions();
        QCOMPARE(tag == KeepTag     ? actions.keepAction(paper)
                 : tag == DeleteTag ? actions.deleteAction(paper)
                                    : actions.remindAction(paper, 5),
                 !trashed.isEmpty());
        QCOMPARE(rig.desktop.trashed,
                 trashed.replaceInStrings(QRegularExpression(u"^"_s), rig.favorites.path() + u'/'));
        QCOMPARE(readFile(rig.path(otherFile)), other);
        QCOMPARE(rig.view.errors.size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty())
            QVERIFY2(rig.view.errors[0].contains(error) &&
                         rig.view.errors[0].contains(u"\"paperFile\""),
                     qPrintable(rig.view.errors[0]));
        if (event == u"edit")
            QCOMPARE(readFile(rig.path(paperFile)), edited);
        if (event != u"reload" && trashed.isEmpty())
            QCOMPARE(review.bookmarks().item(paper)->remindTime, remind);
    }

    // Only a moved link takes its new address, and only into an unchanged file.
    void useNewAddress_data()
    {
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<bool>("edited"); // the file changed after it was read
        QTest::addColumn<bool>("written");
        QTest::newRow("moved") << u"moved"_s << false << true;
        QTest::newRow("moved, file edited meanwhile") << u"moved"_s << true << false;
        QTest::newRow("not moved") << u"gone"_s << false << false;
    }
    void useNewAddress()
    {
        QFETCH(bool, edited);
        QFETCH(bool, written);
        ReviewRig rig;
        rig.add(paperFile);
        Review &review = rig.start();
        const int paper = rig.indexOf(paperFile);
        BookmarkRec &rec = *review.bookmarks().item(paper);
        QFETCH(QString, verdict);
        std::tie(rec.storedUrl, rec.history.checks, rec.verdict) =
            std::tuple(u"https://b.test/new"_s, u"M"_s, verdictFromName(verdict));
        QVERIFY(review.bookmarks().save(paper));
        if (edited)
            writeFile(rig.path(paperFile), shortcut("http://elsewhere.test/"));
        const QByteArray before = readFile(rig.path(paperFile));
        QCOMPARE(review.actions().useNewAddressAction(paper), written);
        const QString url = iniReadString(rig.path(paperFile), u"InternetShortcut"_s, u"URL"_s, {});
        QCOMPARE(url == u"https://b.test/new"_s, written);
        QCOMPARE(readFile(rig.path(paperFile)) == before, !written);
        QCOMPARE(rig.view.errors.size(), edited ? 1 : 0);
    }

    void putBack()
    {
        ReviewRig rig;
        rig.add(u"later.url"_s, {.remind = day15 + 10});
        rig.add(u"kept.url"_s, {.remind = -1});
        const QByteArray kept = readFile(rig.path(u"kept.url"_s));
        rig.confirmer.answers = {{true}};
        Review &review = rig.started();
        QVERIFY(review.rows().allEmpty());
        rig.view.log.clear();
        review.ticker().showPutBackBookmarks();
        QCOMPARE(rig.confirmer.keys, QStringList{"PutBack"});
        QCOMPARE(rig.stored(u"later.url"_s).remindTime, 1.0);
        QCOMPARE(readFile(rig.path(u"kept.url"_s)), kept);
        QCOMPARE(rig.view.log, QStringList({"HideAll", "Read", "UpdateView", "ShowAll"}));
        QCOMPARE(review.rows().entryAt(0), rig.indexOf(u"later.url"_s));
    }

    void actionAbortsItsDownload()
    {
        ReviewRig rig;
        rig.options.noNetAccess = false;
        Review &review = shown(rig, {true, false}, {.refreshed = 0});
        QVERIFY(rig.downloader->isBusyWith(rig.indexOf(paperFile)));
        QVERIFY(review.actions().actOnEntry(rig.rowOf(paperFile), KeepTag));
        QVERIFY(!rig.downloader->isBusy());
    }
};

QTEST_GUILESS_MAIN(TestReviewActions)
#include "test_review_actions.moc"
