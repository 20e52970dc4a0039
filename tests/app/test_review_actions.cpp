#include "reviewfakes.h"
#include "store/ini.h"

#include <QRegularExpression>
#include <QTest>

namespace {
const QString paperFile = u"News/Old/paperFile.url"_s;
const QString otherFile = u"otherFile.url"_s;

// A file system that takes no new content.
const platform::FileWriteOps refusingWrites{failingWrite, ::fsync, ::rename};

// The rig with paperFile and otherFile (shown unless it is due later), answers in order.
Review &shown(ReviewRig &rig, const QList<bool> &answers,
              const Mark &paper = {.subject = u"Travel Tips"_s}, DateTime other = 1.0)
{
    rig.add(paperFile, paper);
    rig.add(otherFile, {.reference = 200, .remind = other});
    for (const bool yes : answers)
        rig.confirmer.answers.push_back({yes});
    Review &review = rig.started();
    rig.view.log.clear();
    return review;
}

// One bookmark per token, by list index: its reference time, then "a" when it awaits a
// refresh, "l" when it is due only later, "k" when it is kept for good; "g" gone, "p" parked,
// "f" failing.
void prepare(Bookmarks &list, const QStringList &tokens)
{
    for (int i = 0; i < list.count(); ++i) {
        QString token = tokens[i];
        BookmarkRec &rec = *list.item(i);
        rec.refreshed = token.contains(u'a') ? 0.0 : day15;
        rec.remindTime = token.contains(u'k') ? -1.0 : token.contains(u'l') ? day15 + 1 : 1.0;
        rec.verdict = token.contains(u'g')   ? LinkVerdict::Gone
                      : token.contains(u'p') ? LinkVerdict::Parked
                      : token.contains(u'f') ? LinkVerdict::Failing
                                             : LinkVerdict::None;
        rec.referenceTime = token.remove(QRegularExpression(u"[alkgpf]"_s)).toDouble();
    }
}

// What happens to paperFile, its folder or the trash, before the action or during it.
const QByteArray edited = shortcut("http://elsewhere.test/");
void happen(ReviewRig &rig, const QString &event)
{
    if (event == u"reload") {
        QFile::remove(rig.path(paperFile));
        rig.review->bookmarks().load();
    } else if (event == u"edit") {
        writeFile(rig.path(paperFile), edited);
    } else if (event == u"fill") {
        writeFile(rig.path(u"News/Old/x.txt"_s), "x");
    }
    rig.desktop.works = event != u"refuse";
}

QString storedState(const ReviewRig &rig, const QString &name)
{
    if (!QFile::exists(rig.path(name)))
        return u"trashed"_s;
    const DateTime remind = rig.stored(name).remindTime;
    return remind > day15 ? u"+%1"_s.arg(remind - day15) : QString::number(remind);
}
} // namespace

// The choice of bookmarks for the rows, and the user's decisions on them.
class TestReviewActions : public QObject
{
    Q_OBJECT
  private slots:
    void select_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("bookmarks");
        // "awaiting": those included (with no net access: "offline"); "menu": a new mode;
        // "clock", "a second later": the generator seeded from the clock at the start.
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("rows"); // the rows not given are empty
        QTest::addColumn<bool>("awaits");     // AnyShownAwaitsRefresh afterwards
        // Nothing displayable: the bookmark windows lose their marks, so that they do not
        // come back with bookmarks already handled.
        QTest::addColumn<bool>("cleared");
        const auto row = [](const char *name, int mode, const char *bookmarks, const char *how,
                            QList<int> rows, bool awaits = false, bool cleared = false) {
            QTest::newRow(name) << mode << bookmarks << how << rows << awaits << cleared;
        };
        row("oldest first, tie to the lower index", 1, "5 3 3 8", "", {1, 2, 0, 3});
        row("newest first, tie to the higher index", 2, "5 3 3 8 5", "", {3, 4, 0, 2, 1});
        row("at most five rows", 1, "6 5 4 3 2 1", "", {5, 4, 3, 2, 1});
        row("oldest first skips a negative reference", 1, "-1 2", "", {1});
        row("newest first skips a negative reference", 2, "-1 0", "", {1});
        row("unsorted takes a negative reference", 0, "-1 2", "", {0, 1});
        row("unknown mode is unsorted", 7, "9 8 7", "", {0, 1, 2});
        row("not due yet and kept are left out", 0, "1l 2k 3", "", {2});
        row("five due, three awaiting: two rows", 0, "1a 2 3a 4 5a", "", {1, 3});
        row("awaiting ones included", 1, "1a 2 3a", "awaiting", {0, 1, 2}, true);
        row("no net access: those due for a refresh shown as they are", 1, "1a 2 3a", "offline",
            {0, 1, 2});
        row("random: the sequence of seed 0", -1, "0 0 0 0 0 0 0", "", {0, 1, 6, 2, 3});
        row("random: unselectable start goes on cyclically", -1, "0l 0l 0 0 0 0 0", "",
            {2, 3, 6, 4, 5});
        row("random: seeded by the clock", -1, "0 0 0 0 0 0 0", "clock", {0, 5, 3, 4, 6});
        row("random: seeded a second later", -1, "0 0 0 0 0 0 0", "a second later",
            {5, 1, 6, 0, 2});
        row("only awaiting ones", 1, "1a 2l", "awaiting", {0}, true, true);
        row("empty list", 1, "", "awaiting", {-1}, false, true);
        row("broken links first, then oldest first", 3, "5 3g 4f 1 2p 6", "", {4, 1, 3, 2, 0});
        row("broken links first: the first bookmark broken", 3, "5g 3 4", "", {0, 1, 2});
        row("newest first chosen in the menu: without awaiting ones", 2, "1a 2", "menu", {1});
    }

    void select()
    {
        QFETCH(int, mode);
        QFETCH(QString, bookmarks);
        QFETCH(QString, how);
        QFETCH(QList<int>, rows);
        while (rows.size() < Review::rowCount)
            rows << -1;
        ReviewRig rig;
        if (how == u"clock" || how == u"a second later")
            std::tie(rig.seed, rig.now) =
                std::tuple(std::nullopt, how == u"clock" ? day15 : day15 + second);
        const QStringList tokens = bookmarks.split(u' ', Qt::SkipEmptyParts);
        for (int i = 0; i < tokens.size(); ++i)
            rig.add(u"b%1.url"_s.arg(i));
        Review &review = rig.start();
        prepare(review.bookmarks(), tokens);
        const bool menu = how == u"menu";
        review.setOptions({.selectionMode = mode, .noNetAccess = how == u"offline"});
        BookmarkChooser &chooser = review.chooser();
        if (menu)
            chooser.changeSelectionMode(mode);
        else
            QCOMPARE(chooser.selectEntries(how == u"awaiting" || how == u"offline"),
                     int(rows.size() - rows.count(-1)));
        QCOMPARE(rig.host.log, menu ? QStringList{u"Mode %1"_s.arg(mode)} : QStringList());
        QCOMPARE(rig.view.log, menu ? QStringList({"UpdateView", "ShowAll"}) : QStringList());
        const ReviewRows::Entries &shown = review.rows().entries();
        QCOMPARE(QList<int>(shown.begin(), shown.end()), rows);
        QTEST(chooser.anyShownAwaitsRefresh(), "awaits");
        for (int row = 0; row < Review::rowCount; ++row) // shown now, so never chosen twice
            QVERIFY(!chooser.isSelectable(rows[row], true));
        rig.view.log.clear();
        chooser.updateView();
        QTEST(rig.view.log.contains(u"ClearShown"_s), "cleared");
    }

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
        QTest::addColumn<QString>("opened");    // the address the browser was handed
        QTest::addColumn<DateTime>("other");    // the remind time of the other bookmark
        QTest::addColumn<DateTime>("farewell"); // the day it names; -1: windows stay
        const auto row = [](const char *name, int tag, QList<bool> answers, const char *stored,
                            QStringList asked, const QString &opened = {}, DateTime other = 1.0,
                            DateTime farewell = -1, bool dontDelete = false) {
            QTest::newRow(name) << tag << answers << dontDelete << stored << asked << opened
                                << other << farewell;
        };
        const QString keep = u"0 Keep 1 2"_s, remind = u"0 Remind 2 2"_s, del = u"1 Delete 3 1"_s;
        const QString keepSuggest = u"0 SuggestK 14 13"_s, deleteSuggest = u"0 SuggestD 14 13"_s;
        const QString server = u"https://links.test/route.php?q=a%20b%20c%20d%20%C3%A9&btn="_s;
        row("keep", KeepTag, {true, false}, "-1", {keep, keepSuggest});
        row("keep declined", KeepTag, {false}, "1", {keep});
        row("keep with the suggestion", KeepTag, {true, true}, "-1", {keep, keepSuggest},
            server + "K");
        row("remind after the interval", RemindTag, {true}, "+5", {remind});
        row("remind tomorrow", 1, {true}, "+1", {remind});
        row("remind in a month", 30, {true}, "+30", {remind});
        row("unknown tag", 2, {true}, "1", {});
        row("delete", DeleteTag, {false, true, false}, "trashed",
            {deleteSuggest, del, "1 EmptyTree 13 1"});
        row("delete declined", DeleteTag, {false, false}, "1", {deleteSuggest, del});
        row("delete with the suggestion", DeleteTag, {true, false}, "1", {deleteSuggest, del},
            server + "D");
        row("delete without deleting", DeleteTag, {false}, "-1", {deleteSuggest}, {}, 1.0, -1,
            true);
        row("suggest settles nothing", SuggestTag, {true}, "1", {"0 Suggest 14 3"}, server + "S");
        row("the last: next in three days", RemindTag, {true}, "+5", {remind}, {}, day15 + 3.2,
            45003);
        row("the last: next later today, so tomorrow", RemindTag, {true}, "+5", {remind}, "",
            day15 + 0.2, 45001);
        row("the last: itself, put back", 1, {true}, "+1", {remind}, {}, day15 + 9, 45001);
        row("the last: none left", KeepTag, {true, false}, "-1", {keep, keepSuggest}, {}, -1, 0);
    }

    void decision()
    {
        QFETCH(int, tag);
        QFETCH(QString, stored);
        QFETCH(DateTime, other);
        QFETCH(DateTime, farewell);
        for (const bool window : {true, false}) {
            ReviewRig rig;
            QFETCH(bool, dontDelete);
            rig.options.dontDelete = dontDelete;
            rig.options.suggestServer = u"https://links.test"_s;
            rig.options.intervals.remindInterval = 5;
            QFETCH(QList<bool>, answers);
            Review &review = shown(rig, answers, {.subject = u"A&b=c d/é"_s}, other);
            BookmarkActions &actions = review.actions(); // paperFile, the older, is in row 0
            const bool done =
                window ? actions.actInBookmarkWindow(0, tag) : actions.actOnEntry(0, tag);
            QCOMPARE(storedState(rig, paperFile), stored);
            // A bookmark in the trash is not counted as kept for good.
            QCOMPARE(review.bookmarks().isKept(rig.indexOf(paperFile)), stored == u"-1");
            QCOMPARE(rig.stored(otherFile).remindTime, other);
            QTEST(rig.confirmer.asked, "asked");
            QTEST(rig.desktop.opened.join(u' '), "opened");
            QCOMPARE(done, stored != u"1");
            QCOMPARE(review.rows().entryAt(0), done ? -1 : rig.indexOf(paperFile));
            const QString shownLog = farewell >= 0
                                         ? u"Farewell%1 %2"_s.arg(window ? 0 : -1).arg(farewell)
                                     : window ? u"Remove0"_s
                                              : u"UpdateView ShowAll"_s;
            QCOMPARE(rig.view.log.join(u' '), done ? shownLog : QString());
            QCOMPARE(review.rows().actionDepth(), 0);
        }
    }

    // Another copy of the program wrote the shown file (as "favrake-cli refresh" does). When
    // only its refresh values changed, the decision goes onto the fresh content. When the
    // bookmark itself changed, the user is told, the record holds what the file holds now
    // and the next decision is taken; a file gone leaves the column. A copy is deleted
    // after its confirmation alone, with no question about its subject.
    void decisionAfterOutsideWrite_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("outside");
        QTest::addColumn<QString>("stored"); // empty: not decided
        QTest::addColumn<QStringList>("asked");
        const QString keep = u"0 Keep 1 2"_s, remind = u"0 Remind 2 2"_s;
        const auto row = [](const char *name, int tag, const char *outside, const char *stored,
                            const QStringList &asked) {
            QTest::newRow(name) << tag << outside << stored << asked;
        };
        row("keep after a refresh", KeepTag, "refresh", "-1", {keep, u"0 SuggestK 14 13"_s});
        row("remind after a refresh", 3, "refresh", "+3", {remind});
        row("keep, another address", KeepTag, "address", "", {keep, u"0 SuggestK 14 13"_s});
        row("remind, decided elsewhere", 3, "decision", "", {remind});
        row("remind, file deleted", 3, "delete", "", {remind});
        row("delete this copy", DeleteCopyTag, "", "trashed",
            {u"1 Delete 3 1"_s, u"1 EmptyTree 13 1"_s});
    }
    void decisionAfterOutsideWrite()
    {
        QFETCH(int, tag);
        QFETCH(QString, outside);
        QFETCH(QString, stored);
        ReviewRig rig;
        Review &review = shown(rig, {true, false, true, false});
        if (!outside.isEmpty()) {
            Bookmarks cli(rig.favorites.path()); // the other copy
            const int i = rig.find(cli, paperFile);
            BookmarkRec &rec = *cli.item(i);
            std::tie(rec.title, rec.refreshed, rec.verdict, rec.history.checks) =
                std::tuple(u"Fresh"_s, day15 + 0.5, LinkVerdict::Ok, u"2"_s);
            rec.remindTime = outside == u"decision" ? day15 + 9 : rec.remindTime;
            QVERIFY(cli.save(i));
        }
        if (outside == u"address")
            QVERIFY(iniWriteString(rig.path(paperFile), u"InternetShortcut"_s, u"URL"_s,
                                   u"http://elsewhere.test/"_s));
        if (outside == u"delete")
            QVERIFY(QFile::remove(rig.path(paperFile)));
        BookmarkActions &actions = review.actions();
        QCOMPARE(actions.actInBookmarkWindow(0, tag), !stored.isEmpty() || outside == u"delete");
        QTEST(rig.confirmer.asked, "asked");
        QCOMPARE(rig.view.errors.size(), int(stored.isEmpty()));
        QVERIFY(rig.view.errors.join(u' ').contains(
            stored.isEmpty() ? u"\"paperFile\" was changed or removed by another"_s : QString()));
        const int paper = rig.indexOf(paperFile);
        const BookmarkRec &held = *review.bookmarks().item(paper);
        const BookmarkRec file = rig.stored(paperFile);
        if (!stored.isEmpty()) {
            QCOMPARE(storedState(rig, paperFile), stored);
            QCOMPARE(file.title, stored == u"trashed" ? QString() : u"Fresh"_s);
            return;
        }
        if (outside == u"delete") {
            QCOMPARE(std::tuple(review.bookmarks().isActive(paper),
                                review.bookmarks().isKept(paper), review.rows().entryAt(0)),
                     std::tuple(false, false, -1));
            return;
        }
        QCOMPARE(std::tuple(held.url, held.title, held.remindTime, held.storedState),
                 std::tuple(file.url, file.title, file.remindTime, file.storedState));
        rig.confirmer.answers = {{true}, {false}};
        QVERIFY(tag == KeepTag ? actions.keepAction(paper) : actions.remindAction(paper, 3));
    }

    // Without a server the program writes the collection itself, into the user's cache
    // folder: the user's bookmarks on the subject, as plain text even when their names hold
    // markup.
    void subjectPageWithoutServer()
    {
        ReviewRig rig;
        rig.add(u"<b>Trip<b>.url"_s, {.subject = u"Travel Tips"_s});
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
        QCOMPARE(rig.confirmer.asked, QStringList{"0 WebLink 4 2"});
        QCOMPARE(rig.desktop.opened.size(), int(url.startsWith("http")));
        QCOMPARE(rig.view.errors.size(), int(!error.isEmpty()));
        QVERIFY(rig.view.errors.join(u'\n').contains(error));
        QCOMPARE(review.rows().entryAt(0), rig.indexOf(paperFile));
    }

    // A decision that cannot be carried out is not lost silently: all stays as it was, and a
    // failure is told. Before the action or during one of its questions (all answered Yes) the
    // file may be edited, the list read anew (the index then names another bookmark), the
    // empty folder filled; the file or the trash may refuse. Never is the wrong file touched.
    // Only a moved link takes its new address, and only into an unchanged file.
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
        row("new address", UseNewAddressTag, 0, "moved", {}, "");
        row("new address, file edited", UseNewAddressTag, 0, "edit", {},
            "was changed or removed by another");
        row("new address of a link not moved", UseNewAddressTag, 0, "not moved", {}, "");
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
        BookmarkRec &rec = *review.bookmarks().item(paper);
        const QString moved = u"https://b.test/new"_s;
        if (tag == UseNewAddressTag) {
            std::tie(rec.storedUrl, rec.history.checks, rec.verdict) = std::tuple(
                moved, u"M"_s, event == u"not moved" ? LinkVerdict::Gone : LinkVerdict::Moved);
            QVERIFY(review.bookmarks().save(paper));
        }
        const DateTime remind = rec.remindTime;
        const QByteArray before = readFile(rig.path(paperFile));
        const QByteArray other = readFile(rig.path(otherFile));
        rig.confirmer.answers.assign(std::max(question, 1), {true});
        if (question > 0)
            rig.confirmer.answers[question - 1].meanwhile = [&] { happen(rig, event); };
        else
            happen(rig, event);
        BookmarkActions &actions = review.actions();
        const bool done = !trashed.isEmpty() || event == u"moved";
        QCOMPARE(tag == KeepTag            ? actions.keepAction(paper)
                 : tag == DeleteTag        ? actions.deleteAction(paper)
                 : tag == UseNewAddressTag ? actions.useNewAddressAction(paper)
                                           : actions.remindAction(paper, 5),
                 done);
        const QString url = iniReadString(rig.path(paperFile), u"InternetShortcut"_s, u"URL"_s, {});
        QCOMPARE(url == moved, event == u"moved");
        if (!done && event != u"reload")
            QCOMPARE(readFile(rig.path(paperFile)), event == u"edit" ? edited : before);
        QCOMPARE(rig.desktop.trashed,
                 trashed.replaceInStrings(QRegularExpression(u"^"_s), rig.favorites.path() + u'/'));
        QCOMPARE(readFile(rig.path(otherFile)), other);
        QCOMPARE(rig.view.errors.size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty())
            QVERIFY2(rig.view.errors[0].contains(error) &&
                         rig.view.errors[0].contains(u"\"paperFile\""),
                     qPrintable(rig.view.errors[0]));
        // A new address refused for an edited file leaves the record as the file is now.
        const bool reread = event == u"edit" && tag == UseNewAddressTag;
        if (event != u"reload" && trashed.isEmpty())
            QCOMPARE(review.bookmarks().item(paper)->remindTime,
                     reread ? rig.stored(paperFile).remindTime : remind);
    }

    // Another Favrake refreshed a shown bookmark: its window shows the fresh values where it
    // stands. A decision made elsewhere is left for the next save to find out.
    void outsideRefreshShows_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("outside");
        QTest::addColumn<bool>("taken");
        QTest::newRow("refresh of a shown one") << paperFile << u"refresh"_s << true;
        QTest::newRow("decided elsewhere") << paperFile << u"decision"_s << false;
        QTest::newRow("own save") << paperFile << u"own"_s << false;
        QTest::newRow("refresh of one not shown") << otherFile << u"refresh"_s << false;
    }
    void outsideRefreshShows()
    {
        QFETCH(QString, file);
        QFETCH(QString, outside);
        ReviewRig rig;
        Review &review = shown(rig, {}, {.subject = u"Travel Tips"_s}, day15 + 100);
        Bookmarks other(rig.favorites.path());
        Bookmarks &list = outside == u"own" ? review.bookmarks() : other;
        BookmarkRec &rec = *list.item(rig.find(list, file));
        std::tie(rec.title, rec.refreshed, rec.history.checks) =
            std::tuple(u"Fresh"_s, day15 + 0.5, u"2"_s);
        rec.remindTime = outside == u"decision" ? day15 + 9 : rec.remindTime;
        QVERIFY(list.save(rig.find(list, file)));
        const ReviewRows::Entries rows = review.rows().entries();
        review.ticker().folderChanged(rig.favorites.path());
        QTEST(rig.view.log.contains(u"UpdateTexts"_s), "taken");
        QCOMPARE(review.rows().entries(), rows);
        QVERIFY(!rig.view.log.contains(u"HideAll"_s));
        const BookmarkRec &held = *review.bookmarks().item(rig.indexOf(file));
        QCOMPARE(held.title == u"Fresh"_s,
                 outside == u"own" || rig.view.log.contains(u"UpdateTexts"_s));
        QCOMPARE(held.remindTime == day15 + 9, false);
    }
};

QTEST_GUILESS_MAIN(TestReviewActions)
#include "test_review_actions.moc"
