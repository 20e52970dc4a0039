#include "reviewfakes.h"

#include <QRegularExpression>
#include <QTest>

namespace {
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

QList<int> rowsShown(Review &review)
{
    return QList<int>(review.rows().entries().begin(), review.rows().entries().end());
}
} // namespace

class TestReviewSelect : public QObject
{
    Q_OBJECT
  private slots:
    void select_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("bookmarks");
        QTest::addColumn<bool>("includeAwaiting");
        QTest::addColumn<bool>("noNet");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<bool>("awaits"); // AnyShownAwaitsRefresh afterwards
        // Nothing displayable: the bookmark windows lose their marks, so that they do not
        // come back with bookmarks already handled.
        QTest::addColumn<bool>("cleared");
        const auto row = [](const char *name, int mode, const char *bookmarks, bool include,
                            bool noNet, QList<int> rows, bool awaits = false,
                            bool cleared = false) {
            QTest::newRow(name) << mode << bookmarks << include << noNet << rows << awaits
                                << cleared;
        };
        row("oldest first, tie to the lower index", 1, "5 3 3 8", false, false, {1, 2, 0, 3, -1});
        row("newest first, tie to the higher index", 2, "5 3 3 8 5", false, false, {3, 4, 0, 2, 1});
        row("at most five rows", 1, "6 5 4 3 2 1", false, false, {5, 4, 3, 2, 1});
        row("oldest first skips a negative reference", 1, "-1 2", false, false,
            {1, -1, -1, -1, -1});
        row("newest first skips a negative reference", 2, "-1 0", false, false,
            {1, -1, -1, -1, -1});
        row("unsorted takes a negative reference", 0, "-1 2", false, false, {0, 1, -1, -1, -1});
        row("unknown mode is unsorted", 7, "9 8 7", false, false, {0, 1, 2, -1, -1});
        row("not due yet and kept are left out", 0, "1l 2k 3", false, false, {2, -1, -1, -1, -1});
        row("five due, three awaiting: two rows", 0, "1a 2 3a 4 5a", false, false,
            {1, 3, -1, -1, -1});
        row("awaiting ones included", 1, "1a 2 3a", true, false, {0, 1, 2, -1, -1}, true);
        row("no net access: awaiting ones never taken", 1, "1a 2 3a", true, true,
            {1, -1, -1, -1, -1});
        row("random: the sequence of seed 0", -1, "0 0 0 0 0 0 0", false, false, {0, 1, 6, 2, 3});
        row("random: unselectable start goes on cyclically", -1, "0l 0l 0 0 0 0 0", false, false,
            {2, 3, 6, 4, 5});
        row("only awaiting ones", 1, "1a 2l", true, false, {0, -1, -1, -1, -1}, true, true);
        row("no net access: nothing to show", 1, "1a 2l", true, true, {-1, -1, -1, -1, -1}, false,
            true);
        row("empty list", 1, "", true, false, {-1, -1, -1, -1, -1}, false, true);
        row("broken links first, then oldest first", 3, "5 3g 4f 1 2p 6", false, false,
            {4, 1, 3, 2, 0});
    }

    void select()
    {
        QFETCH(int, mode);
        QFETCH(QString, bookmarks);
        QFETCH(bool, includeAwaiting);
        QFETCH(bool, noNet);
        QFETCH(QList<int>, rows);
        QFETCH(bool, awaits);
        QFETCH(bool, cleared);
        ReviewRig rig;
        const QStringList tokens = bookmarks.split(u' ', Qt::SkipEmptyParts);
        for (int i = 0; i < tokens.size(); ++i)
            rig.add(u"b%1.url"_s.arg(i));
        Review &review = rig.start();
        prepare(review.bookmarks(), tokens);
        std::tie(rig.options.selectionMode, rig.options.noNetAccess) = std::tuple(mode, noNet);
        review.setOptions(rig.options);
        BookmarkChooser &chooser = review.chooser();
        QCOMPARE(chooser.selectEntries(includeAwaiting), int(rows.size() - rows.count(-1)));
        QCOMPARE(rowsShown(review), rows);
        QCOMPARE(chooser.anyShownAwaitsRefresh(), awaits);
        for (int row = 0; row < Review::rowCount; ++row) // shown now, so never chosen twice
            QVERIFY(!chooser.isSelectable(rows[row], true));
        rig.view.log.clear();
        chooser.updateView();
        QCOMPARE(rig.view.log.contains(u"ClearShown"_s), cleared);
    }

    // The generator goes on from selection to selection, and each start seeds it from the
    // clock: a restart shows other bookmarks.
    void randomSeeding()
    {
        QList<QList<int>> picks;
        for (const DateTime now : {day15, day15 + second, day15 + second}) {
            ReviewRig rig;
            std::tie(rig.now, rig.seed, rig.options.selectionMode) =
                std::tuple(now, std::nullopt, -1);
            for (int i = 0; i < 20; ++i)
                rig.add(u"b%1.url"_s.arg(i));
            picks << rowsShown(rig.start());
            rig.review->chooser().selectEntries(false);
            QVERIFY(rowsShown(*rig.review) != picks.last());
        }
        QVERIFY(picks[0] != picks[1]);
        QCOMPARE(picks[1], picks[2]);
    }

    void modeChangeSelectsWithoutAwaiting()
    {
        ReviewRig rig;
        rig.options.noNetAccess = false;
        rig.add(u"old.url"_s, {.reference = 1, .refreshed = 0});
        rig.add(u"new.url"_s, {.reference = 2});
        Review &review = rig.start();
        QCOMPARE(review.rows().entryAt(0), rig.indexOf(u"old.url"_s));
        QVERIFY(review.chooser().awaitingRefresh());
        review.chooser().changeSelectionMode(2);
        QCOMPARE(rig.host.log, QStringList{"Mode 2"}); // the program keeps it
        QCOMPARE(rowsShown(review), QList<int>({rig.indexOf(u"new.url"_s), -1, -1, -1, -1}));
        QCOMPARE(rig.view.log, QStringList({"UpdateView", "ShowAll"}));
    }
};

QTEST_GUILESS_MAIN(TestReviewSelect)
#include "test_review_select.moc"
