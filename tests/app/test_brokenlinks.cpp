#include "app/brokenlinks.h"
#include "reviewfakes.h"
#include "rowfile.h"
#include "store/ini.h"

#include <QTest>

namespace {
// One bookmark per token "name verdict since", since the day its failure began (for one that
// answers: its checks' first day); "k" after it keeps it for good. The list is read from the
// files and then marked.
std::unique_ptr<Bookmarks> prepare(ReviewRig &rig, const QString &spec)
{
    const QStringList tokens = spec.split(u';', Qt::SkipEmptyParts);
    for (const QString &token : tokens)
        rig.add(token.section(u' ', 0, 0) + u".url"_s);
    auto list = std::make_unique<Bookmarks>(rig.favorites.path());
    for (const QString &token : tokens) {
        const QStringList words = token.split(u' ', Qt::SkipEmptyParts);
        BookmarkRec &rec = *list->item(rig.find(*list, words[0] + u".url"_s));
        rec.verdict = verdictFromName(words[1]);
        const DateTime since = words[2].toDouble();
        const bool answers = BrokenLinksModel::severity(rec.verdict) == 2;
        rec.history.failSince = answers ? 0 : since;
        rec.history.checks = answers ? u"MM"_s : u"GG"_s;
        rec.history.checkTimes = {since + 9, since};
        rec.remindTime = words.value(3) == u"k" ? -1 : 1;
    }
    return list;
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
    void order_data() { addRowsFromFile(u"app/brokenorder.tsv"_s); }
    void order()
    {
        QFETCH(QString, bookmarks);
        QFETCH(QString, filter);
        ReviewRig rig;
        const std::unique_ptr<Bookmarks> list = prepare(rig, bookmarks);
        BrokenLinksModel model(*list);
        model.setFilter(verdictFromName(filter));
        QTEST(listed(model, *list), "listed");
        QFETCH(QString, empty);
        QCOMPARE(model.emptyText().left(empty.size()), empty);
        QCOMPARE(model.emptyText().isEmpty(), empty.isEmpty());
    }

    // The verdict, since when and the last cause in the user's words, never the client's.
    void texts_data() { addRowsFromFile(u"app/brokentexts.tsv"_s); }
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
    void several_data() { addRowsFromFile(u"app/severalactions.tsv"_s); }
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
