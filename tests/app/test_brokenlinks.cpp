#include "app/brokenlinks.h"
#include "reviewfakes.h"
#include "store/ini.h"

#include <QTest>

namespace {
// One bookmark per token "name verdict since", since the day its failure began (for one that
// answers: its checks' first day); "k" after it keeps it for good.
void prepare(ReviewRig &rig, const QString &spec)
{
    for (const QString &token : spec.split(u';', Qt::SkipEmptyParts))
        rig.add(token.split(u' ', Qt::SkipEmptyParts)[0] + u".url"_s, {}, "http://a.test/"_ba);
}

void mark(Bookmarks &list, const ReviewRig &rig, const QString &spec)
{
    for (const QString &token : spec.split(u';', Qt::SkipEmptyParts)) {
        const QStringList words = token.split(u' ', Qt::SkipEmptyParts);
        BookmarkRec &rec = *list.item(rig.find(list, words[0] + u".url"_s));
        rec.verdict = verdictFromName(words[1]);
        const DateTime since = words[2].toDouble();
        const bool answers = BrokenLinksModel::severity(rec.verdict) == 2;
        rec.history.failSince = answers ? 0 : since;
        rec.history.checks = answers ? u"MM"_s : u"GG"_s;
        rec.history.checkTimes = {since + 9, since};
        rec.remindTime = words.value(3) == u"k" ? -1 : 1;
    }
}

QString listed(const BrokenLinksModel &model, const Bookmarks &list)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << list.displayName(model.bookmarkAt(row));
    return names.join(u' ');
}
} // namespace

// The broken-links window's list and the actions on several bookmarks at once.
class TestBrokenLinks : public QObject
{
    Q_OBJECT
  private slots:
    // Every verdict but ok is listed unless the bookmark was decided (kept, deleted); the
    // lost first, then the failing, then those that answer, each by the oldest failure.
    void order_data()
    {
        QTest::addColumn<QString>("bookmarks");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("empty");
        const QString all = u"gone gone 100;parked parked 50;nodomain no-domain 200;failing "
                            "failing 10;unreach unreachable 5;moved moved 1;login login 3;"
                            "blocked blocked 2;ok ok 1;unchecked none 1;kept gone 1 k"_s;
        const auto row = [](const char *name, const QString &bookmarks, LinkVerdict filter,
                            const char *listed, const char *empty = "") {
            QTest::newRow(name) << bookmarks << int(filter) << listed << empty;
        };
        row("every verdict, by severity and age", all, LinkVerdict::None,
            "parked gone nodomain unreach failing moved blocked login");
        row("only gone", all, LinkVerdict::Gone, "gone");
        row("only moved", all, LinkVerdict::Moved, "moved");
        row("ok is no verdict to filter by", all, LinkVerdict::Ok, "",
            "No link with this verdict.");
        row("one severity, the older failure first", u"b gone 30;a gone 20;c gone 40"_s,
            LinkVerdict::None, "a b c");
        row("a kept one is decided", u"kept gone 1 k;ok ok 1"_s, LinkVerdict::None, "",
            "No broken links: every checked bookmark answered.");
        row("nothing checked yet", u"unchecked none 1"_s, LinkVerdict::None, "",
            "No broken links: no bookmark has been checked yet.");
    }
    void order()
    {
        QFETCH(QString, bookmarks);
        QFETCH(int, filter);
        ReviewRig rig;
        prepare(rig, bookmarks);
        Bookmarks list(rig.favorites.path());
        mark(list, rig, bookmarks);
        BrokenLinksModel model(list);
        model.setFilter(LinkVerdict(filter));
        QTEST(listed(model, list), "listed");
        QFETCH(QString, empty);
        QCOMPARE(model.emptyText().left(empty.size()), empty);
        QCOMPARE(model.emptyText().isEmpty(), empty.isEmpty());
    }

    // The verdict, since when and the last cause in the user's words, never the client's.
    void texts_data()
    {
        QTest::addColumn<QString>("checks");
        QTest::addColumn<QString>("evidence");
        QTest::addColumn<QStringList>("shown"); // verdict, since, cause
        const auto row = [](const char *name, const char *checks, const char *evidence,
                            const char *verdict, const char *cause) {
            QTest::newRow(name) << QString::fromLatin1(checks) << QString::fromLatin1(evidence)
                                << QStringList{verdict, u"3 May 2024"_s, cause};
        };
        row("gone", "GG", "HTTP/1.1 404 Not Found", "Gone", "Page not found (404)");
        row("error page", "SG", "HTTP/1.1 200 OK", "Gone", "An error page instead of the content");
        row("moved", "MM", "", "Moved", "Moved to https://new.test/");
        row("bot wall", "BB", "HTTP/1.1 403", "Blocked", "Blocked by the site's bot protection");
    }
    void texts()
    {
        QFETCH(QString, checks);
        QFETCH(QString, evidence);
        ReviewRig rig;
        rig.add(u"a.url"_s);
        Bookmarks list(rig.favorites.path());
        BookmarkRec &rec = *list.item(0);
        const DateTime may3 = 45415.25; // 2024-05-03
        const bool answers = checks[0] == u'M' || checks[0] == u'B';
        rec.verdict = checks[0] == u'M'   ? LinkVerdict::Moved
                      : checks[0] == u'B' ? LinkVerdict::Blocked
                                          : LinkVerdict::Gone;
        std::tie(rec.history.checks, rec.history.checkTimes, rec.evidence, rec.storedUrl) =
            std::tuple(checks, QList<DateTime>{may3 + 7, answers ? may3 : may3 - 9}, evidence,
                       u"https://new.test/"_s);
        rec.history.failSince = answers ? 0 : may3;
        const BrokenLinksModel model(list);
        QStringList shown;
        for (const int column : {BrokenLinksModel::VerdictColumn, BrokenLinksModel::SinceColumn,
                                 BrokenLinksModel::CauseColumn})
            shown << model.index(0, column).data().toString();
        QTEST(shown, "shown");
    }

    // The window's actions on the files: one question for all, the trash, the checks of the
    // single actions (a file changed meanwhile is left alone).
    void several_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("states"); // gone1 gone2 moved failing: file or trash
        QTest::addColumn<QString>("asked");
        const auto row = [](const char *name, const char *action, bool yes, const char *meanwhile,
                            const char *states, const char *asked) {
            QTest::newRow(name) << QString::fromLatin1(action) << yes
                                << QString::fromLatin1(meanwhile) << QString::fromLatin1(states)
                                << QString::fromLatin1(asked);
        };
        const char *question = "1 DeleteSeveral 3 1";
        row("delete two", "delete", true, "", "trash trash 1 1", question);
        row("delete declined", "delete", false, "", "1 1 1 1", question);
        row("delete, one changed meanwhile", "delete", true, "edit", "changed trash 1 1", question);
        row("without deleting: out of the rotation", "keep-files", true, "", "-1 -1 1 1", "");
        row("keep two", "keep", true, "", "1 1 -1 -1", "0 Keep 1 2");
        row("keep, one changed meanwhile", "keep", true, "edit-moved", "1 1 changed -1",
            "0 Keep 1 2");
        row("delete the other copies", "copies", true, "", "1 trash 1 1", question);
    }
    void several()
    {
        QFETCH(QString, action);
        QFETCH(QString, meanwhile);
        ReviewRig rig;
        rig.options.dontDelete = action == u"keep-files";
        const QStringList names{"gone1.url", "gone2.url", "moved.url", "failing.url"};
        for (int i = 0; i < names.size(); ++i)
            rig.add(names[i], {.reference = 100.0 + i},
                    i < 2 ? "http://gone.test/"_ba : "http://" + names[i].toLatin1() + "/");
        QFETCH(bool, yes);
        rig.confirmer.answers.push_back(
            {yes, [&] {
                 if (meanwhile == u"edit")
                     writeFile(rig.path(names[0]), shortcut("http://x.test/"));
                 if (meanwhile == u"edit-moved")
                     writeFile(rig.path(names[2]), shortcut("http://x.test/"));
             }});
        Review &review = rig.started();
        Bookmarks &list = review.bookmarks();
        const std::vector<int> gone{rig.indexOf(names[0]), rig.indexOf(names[1])};
        const std::vector<int> others{rig.indexOf(names[2]), rig.indexOf(names[3])};
        if (action == u"keep")
            QCOMPARE(review.actions().keepSeveral(others), meanwhile.isEmpty() ? 2 : 1);
        else if (action == u"copies")
            review.actions().deleteSeveral(copyGroups(list).at(0).others);
        else
            review.actions().deleteSeveral(gone);
        QStringList states;
        for (const QString &name : names) {
            const BookmarkRec rec = rig.stored(name);
            states << (!QFile::exists(rig.path(name)) ? u"trash"_s
                       : rec.url == u"http://x.test/" ? u"changed"_s
                                                      : QString::number(rec.remindTime));
        }
        QTEST(states.join(u' '), "states");
        QTEST(rig.confirmer.asked.join(u' '), "asked");
        QCOMPARE(QDir(rig.desktop.bin.path()).entryList(QDir::Files).size(),
                 states.join(u' ').count(u"trash"_s));
        QCOMPARE(rig.view.errors.size(), meanwhile.isEmpty() ? 0 : 1);
    }

    // "Check again now" makes the bookmark due at once, and it goes before others due.
    void checkAgain()
    {
        ReviewRig rig;
        rig.add(u"due.url"_s, {.remind = day15 + 5, .refreshed = 0}, "http://due.test/");
        rig.add(u"fresh.url"_s, {.remind = day15 + 5}, "http://fresh.test/");
        Review &review = rig.started();
        review.refresh().checkAgain(rig.indexOf(u"fresh.url"_s));
        QVERIFY(review.bookmarks().isRefreshDue(rig.indexOf(u"fresh.url"_s)));
        rig.options.noNetAccess = false;
        review.setOptions(rig.options);
        rig.tick();
        QCOMPARE(rig.downloader->outstanding->url, "http://fresh.test/"_ba);
    }
};

QTEST_GUILESS_MAIN(TestBrokenLinks)
#include "test_brokenlinks.moc"
