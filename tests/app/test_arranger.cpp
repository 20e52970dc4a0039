// Placement of the window column beside the taskbar, fading and the slide that closes the
// gap of a removed bookmark window.
#include "app/arranger.h"
#include "app/bookmarkform.h"
#include "app/mainform.h"
#include "app/speedform.h"
#include "config/settings.h"
#include "windowfixture.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int MainHeight = 111;
constexpr std::array<int, BookmarkSlotCount> BookmarkHeights = {100, 110, 120, 130, 140};
const QRect FullHd(0, 0, 1920, 1080);
const QRect BarBelow(0, 0, 1920, 1040);

std::array<TSlotWindow, SlotCount> Column(const QList<int> &marked)
{
    std::array<TSlotWindow, SlotCount> windows;
    windows[SlotPosition(MainSlot)] = {true, QSize(140, MainHeight)};
    windows[SlotPosition(SpeedSlot)] = {false, QSize(140, 30)};
    for (int i = 0; i < BookmarkSlotCount; ++i)
        windows[SlotPosition(i)] = {marked.contains(i), QSize(140, BookmarkHeights[i])};
    return windows;
}

// The docking side, the column's left edge, then "slot@y" for every marked slot from the
// main window to the speed bar.
QString Placed(const TArrangement &arrangement)
{
    QStringList placed{arrangement.DockLeft ? "left" : "right",
                       arrangement.DockTop ? "top" : "bottom",
                       QString::number(arrangement.TopLeft[SlotPosition(MainSlot)].x()) + u':'};
    for (int slot = MainSlot; slot <= SpeedSlot; ++slot)
        if (arrangement.Marked[SlotPosition(slot)])
            placed << u"%1@%2"_s.arg(slot).arg(arrangement.TopLeft[SlotPosition(slot)].y());
    return placed.join(u' ');
}

// The fade level and the top of each slot at one pause.
struct Moment
{
    std::array<int, SlotCount> levels, tops;
    int Level(int slot) const { return levels[SlotPosition(slot)]; }
    int Top(int slot) const { return tops[SlotPosition(slot)]; }
};

// The main window, five marked bookmark windows of known heights and the speed bar; every
// pause is recorded.
struct Rig
{
    explicit Rig(const QRect &work = BarBelow)
        : screen{FullHd, work}, arranger(
                                    &main, [this] { return screen; }, [this](int) { Record(); })
    {
        main.resize(140, MainHeight);
        for (int i = 0; i < BookmarkSlotCount; ++i) {
            arranger.BookmarkWindow(i)->resize(140, BookmarkHeights[i]);
            arranger.SetShown(i, true);
        }
    }
    void Record()
    {
        Moment moment;
        for (int slot = MainSlot; slot <= SpeedSlot; ++slot) {
            moment.levels[SlotPosition(slot)] = arranger.Window(slot)->FadeLevel();
            moment.tops[SlotPosition(slot)] = arranger.Window(slot)->y();
        }
        moments << moment;
    }
    // Lets the fades and slides run to their end.
    bool Settled()
    {
        return QTest::qWaitFor([this] { return !arranger.IsMoving(); }, 20000);
    }

    platform::ScreenArea screen;
    TMainForm main;
    QList<Moment> moments;
    TWindowArranger arranger;
};
} // namespace

class TestArranger : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { SilenceOffscreenWarnings(); }
    void init() { Settings = DefaultSettings; }

    // The taskbar's side is judged on the screen the column stands on.
    void arrangeColumn_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("work");
        QTest::addColumn<QList<int>>("marked");
        QTest::addColumn<bool>("noSpeedWnd");
        QTest::addColumn<QString>("placed");
        const QList<int> all = {0, 1, 2, 3, 4};
        QTest::newRow("taskbar at the top")
            << FullHd << QRect(0, 40, 1920, 1040) << all << false
            << "right top 1780: -1@670 0@570 1@460 2@340 3@210 4@70 5@40";
        QTest::newRow("taskbar at the left") << FullHd << QRect(60, 0, 1860, 1080) << QList<int>{4}
                                             << false << "left bottom 60: -1@799 4@910 5@1050";
        QTest::newRow("too low: lower numbers go first")
            << FullHd << QRect(0, 0, 1920, 460) << all << false
            << "right bottom 1780: -1@49 3@160 4@290 5@430";
        QTest::newRow("a window exactly as high as the room is dropped")
            << FullHd << QRect(0, 0, 1920, MainHeight + 30 + 100) << QList<int>{0} << false
            << "right bottom 1780: -1@100 5@211";
        QTest::newRow("no bookmark window: no speed bar")
            << FullHd << BarBelow << QList<int>{} << false << "right bottom 1780: -1@929";
    }

    void arrangeColumn()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, work);
        QFETCH(QList<int>, marked);
        QFETCH(bool, noSpeedWnd);
        QFETCH(QString, placed);
        QCOMPARE(Placed(ArrangeColumn({screen, work}, Column(marked), noSpeedWnd)), placed);
    }

    void slideStepsAlwaysAddUp()
    {
        for (int gap = -20; gap <= 600; ++gap) {
            const std::vector<int> steps = SlideSteps(gap);
            QCOMPARE(std::accumulate(steps.begin(), steps.end(), 0), std::max(gap, 0));
            QVERIFY(
                std::all_of(steps.begin(), steps.end(), [](int s) { return s >= 1 && s <= 8; }));
        }
    }

    // Showing fades the windows in one after another from the speed bar up; hiding fades out
    // only what shows, each window from its own level. Nothing flashes when all is there or
    // gone already.
    void fadesInTurn()
    {
        Rig rig;
        rig.arranger.SetShown(1, false);
        rig.arranger.ShowAll();
        QVERIFY(rig.Settled());
        QCOMPARE(rig.moments.size(), 6 * 16);
        for (int step = 0; step < 16; ++step) {
            QCOMPARE(rig.moments[step].Level(SpeedSlot), step);
            QCOMPARE(rig.moments[step].Level(4), 0);
            QCOMPARE(rig.moments[16 + step].Level(4), step);
            QCOMPARE(rig.moments[80 + step].Level(MainSlot), step);
        }
        QCOMPARE(rig.moments.last().levels, (std::array{15, 15, 0, 15, 15, 15, 15}));
        rig.moments.clear();
        rig.arranger.ShowAll();
        QVERIFY(!rig.arranger.IsMoving() && rig.moments.isEmpty());
        rig.main.SetFadeLevel(7);
        rig.arranger.HideAll();
        QVERIFY(rig.Settled());
        QCOMPARE(rig.moments.size(), 16);
        for (int step = 0; step < 16; ++step) {
            const int l = 15 - step, m = std::min(l, 7);
            QCOMPARE(rig.moments[step].levels, (std::array{m, l, 0, l, l, l, l}));
        }
        for (int i = 0; i < BookmarkSlotCount; ++i)
            QCOMPARE(rig.arranger.IsShown(i), i != 1); // the marks stay for the next ShowAll
        rig.moments.clear();
        rig.arranger.HideAll();
        QVERIFY(!rig.arranger.IsMoving() && rig.moments.isEmpty());
    }

    // The fades run on the event loop; what is asked for meanwhile waits for them, in order.
    void fadesRunWithoutANestedLoop()
    {
        Rig rig;
        rig.arranger.ShowAll();
        QVERIFY(rig.Settled());
        rig.moments.clear();
        QStringList done;
        QMetaObject::invokeMethod(
            &rig.main, [&] { done << u"event"_s; }, Qt::QueuedConnection);
        rig.arranger.HideAll();
        rig.arranger.WhenStill([&] { done << u"after hiding"_s; });
        rig.arranger.ShowAll();
        rig.arranger.WhenStill([&] { done << u"after showing"_s; });
        QVERIFY(rig.arranger.IsMoving() && done.isEmpty());
        QVERIFY(rig.Settled());
        QCOMPARE(done, QStringList({"event", "after hiding", "after showing"}));
        QCOMPARE(rig.moments.size(), 16 + 7 * 16);
        QCOMPARE(rig.main.FadeLevel(), 15);
    }

    void removeWindowClosesTheGap_data()
    {
        QTest::addColumn<QRect>("work");
        QTest::addColumn<int>("direction");
        QTest::newRow("taskbar at the bottom: down") << BarBelow << 1;
        QTest::newRow("taskbar at the top: up") << QRect(0, 40, 1920, 1040) << -1;
        QTest::newRow("the last window: all fade out") << BarBelow << 0;
    }

    void removeWindowClosesTheGap()
    {
        QFETCH(QRect, work);
        QFETCH(int, direction);
        Rig rig(work);
        for (const int i : {0, 1, 3, 4})
            rig.arranger.SetShown(i, direction != 0);
        rig.arranger.ShowAll();
        QVERIFY(rig.Settled());
        const Moment before = rig.moments.last();
        rig.moments.clear();
        rig.arranger.RemoveWindow(rig.arranger.BookmarkWindow(2));
        QVERIFY(rig.Settled());
        QCOMPARE(rig.moments[15].Level(2), 0);
        QVERIFY(!rig.arranger.IsShown(2));
        if (direction == 0) {
            QCOMPARE(rig.moments.size(), 16);
            QCOMPARE(rig.moments[15].levels, (std::array{0, 0, 0, 0, 0, 0, 0}));
            return;
        }
        // Then windows 0, 1 and the main window slide together; the others stay.
        QVERIFY(rig.moments.size() > 17);
        for (const Moment &moment : rig.moments.mid(16)) {
            for (const int slot : {0, 1})
                QCOMPARE(moment.Top(slot) - before.Top(slot),
                         moment.Top(MainSlot) - before.Top(MainSlot));
            for (const int slot : {3, 4, SpeedSlot})
                QCOMPARE(moment.Top(slot), before.Top(slot));
        }
        for (const int slot : {MainSlot, 0, 1})
            QCOMPARE(rig.arranger.Window(slot)->y(),
                     before.Top(slot) + direction * BookmarkHeights[2]);
        QCOMPARE(rig.main.FadeLevel(), 15);
    }

    // The windows belong to the main window; closing it in the middle of a fade breaks nothing.
    void mainWindowGoesMidFade()
    {
        auto main = std::make_unique<TMainForm>();
        TWindowArranger arranger(main.get(), [] { return platform::ScreenArea{FullHd, FullHd}; });
        QCOMPARE(arranger.SpeedWindow()->parentWidget(), main.get());
        arranger.SetShown(0, true);
        arranger.ShowAll();
        QVERIFY(arranger.IsMoving());
        main.reset();
        QVERIFY(!arranger.BookmarkWindow(0) && !arranger.SpeedWindow());
        QVERIFY(QTest::qWaitFor([&] { return !arranger.IsMoving(); }, 20000));
        arranger.HideAll();
    }
};

QTEST_MAIN(TestArranger)
#include "test_arranger.moc"
