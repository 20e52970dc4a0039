// Placement of the window column beside the taskbar, fading and the slide that closes the
// gap of a removed bookmark window.
#include "app/arranger.h"
#include "app/bookmarkform.h"
#include "app/mainform.h"
#include "app/speedform.h"
#include "cells.h"
#include "config/settings.h"
#include "rowfile.h"
#include "windowfixture.h"

#include <QTest>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int mainHeight = 111;
constexpr std::array<int, bookmarkSlotCount> bookmarkHeights = {100, 110, 120, 130, 140};
const QRect fullHd(0, 0, 1920, 1080);
const QRect barBelow(0, 0, 1920, 1040);

// "left top width height" as a rectangle.
QRect rectOf(const QString &cell)
{
    const QList<int> n = numbers(cell);
    return {n[0], n[1], n[2], n[3]};
}

std::array<SlotWindow, slotCount> column(const QList<int> &marked)
{
    std::array<SlotWindow, slotCount> windows;
    windows[slotPosition(mainSlot)] = {true, QSize(140, mainHeight)};
    windows[slotPosition(speedSlot)] = {false, QSize(140, 30)};
    for (int i = 0; i < bookmarkSlotCount; ++i)
        windows[slotPosition(i)] = {marked.contains(i), QSize(140, bookmarkHeights[i])};
    return windows;
}

// The fade level and the top of each slot at one pause.
struct Moment
{
    std::array<int, slotCount> levels, tops;
    int level(int slot) const { return levels[slotPosition(slot)]; }
    int top(int slot) const { return tops[slotPosition(slot)]; }
};

// The main window, five marked bookmark windows of known heights and the speed bar; every
// pause is recorded.
struct Rig
{
    explicit Rig(const QRect &work = barBelow)
        : screen{fullHd, work}, arranger(
                                    &main, [this] { return screen; }, [this](int) { record(); })
    {
        main.resize(140, mainHeight);
        for (int i = 0; i < bookmarkSlotCount; ++i) {
            arranger.bookmarkWindow(i)->resize(140, bookmarkHeights[i]);
            arranger.setShown(i, true);
        }
    }
    void record()
    {
        Moment moment;
        for (int slot = mainSlot; slot <= speedSlot; ++slot) {
            moment.levels[slotPosition(slot)] = arranger.windowAt(slot)->fadeLevel();
            moment.tops[slotPosition(slot)] = arranger.windowAt(slot)->y();
        }
        moments << moment;
    }
    // Lets the fades and slides run to their end.
    bool settled()
    {
        return QTest::qWaitFor([this] { return !arranger.isMoving(); }, 20000);
    }

    platform::ScreenArea screen;
    MainForm main;
    QList<Moment> moments;
    WindowArranger arranger;
};
} // namespace

class TestArranger : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { silenceOffscreenWarnings(); }
    void init() { settings = defaultSettings; }

    // The column stands at the work area's edge beside the taskbar, on the screen it stands
    // on: the speed bar in the corner, then bookmark windows 4 to 0 and the main window, each
    // touching the one before. What does not fit is dropped farthest from the corner first.
    void arrangeColumn_data() { addRowsFromFile(u"app/columns.tsv"_s); }
    void arrangeColumn()
    {
        QFETCH(QString, screen);
        QFETCH(QString, work);
        QFETCH(QString, marked);
        QFETCH(bool, noSpeedWnd);
        QFETCH(QString, placed);
        const std::array<SlotWindow, slotCount> windows = column(numbers(marked));
        const QRect area = rectOf(work);
        const Arrangement got = ::arrangeColumn({rectOf(screen), area}, windows, noSpeedWnd);
        QTEST(QString(got.dockLeft ? "left " : "right ") + (got.dockTop ? "top" : "bottom"),
              "dock");
        QList<int> shown;
        for (int slot = mainSlot; slot <= speedSlot; ++slot)
            if (got.marked[slotPosition(slot)])
                shown << slot;
        QCOMPARE(shown, numbers(placed));
        // From the corner outwards, each window begins where the one before ends.
        int edge = got.dockTop ? area.top() : area.bottom() + 1;
        for (auto slot = shown.crbegin(); slot != shown.crend(); ++slot) {
            const QRect at(got.topLeft[slotPosition(*slot)], windows[slotPosition(*slot)].size);
            QVERIFY(area.contains(at));
            QCOMPARE(got.dockLeft ? at.left() : at.right(),
                     got.dockLeft ? area.left() : area.right());
            QCOMPARE(got.dockTop ? at.top() : at.bottom() + 1, edge);
            edge = got.dockTop ? at.bottom() + 1 : at.top();
        }
    }

    void slideStepsAlwaysAddUp()
    {
        for (int gap = -20; gap <= 600; ++gap) {
            const std::vector<int> steps = slideSteps(gap);
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
        rig.arranger.setShown(1, false);
        rig.arranger.showAll();
        QVERIFY(rig.settled());
        QCOMPARE(rig.moments.size(), 6 * 16);
        for (int step = 0; step < 16; ++step) {
            QCOMPARE(rig.moments[step].level(speedSlot), step);
            QCOMPARE(rig.moments[step].level(4), 0);
            QCOMPARE(rig.moments[16 + step].level(4), step);
            QCOMPARE(rig.moments[80 + step].level(mainSlot), step);
        }
        QCOMPARE(rig.moments.last().levels, (std::array{15, 15, 0, 15, 15, 15, 15}));
        rig.moments.clear();
        rig.arranger.showAll();
        QVERIFY(!rig.arranger.isMoving() && rig.moments.isEmpty());
        rig.main.setFadeLevel(7);
        rig.arranger.hideAll();
        QVERIFY(rig.settled());
        QCOMPARE(rig.moments.size(), 16);
        for (int step = 0; step < 16; ++step) {
            const int l = 15 - step, m = std::min(l, 7);
            QCOMPARE(rig.moments[step].levels, (std::array{m, l, 0, l, l, l, l}));
        }
        for (int i = 0; i < bookmarkSlotCount; ++i)
            QCOMPARE(rig.arranger.isShown(i), i != 1); // the marks stay for the next ShowAll
        rig.moments.clear();
        rig.arranger.hideAll();
        QVERIFY(!rig.arranger.isMoving() && rig.moments.isEmpty());
    }

    // The keyboard goes round the shown bookmark windows, top to bottom; they take it only
    // once it was given to them, until they hide.
    void keyboardGoesRound_data() { addRowsFromFile(u"app/keyboardsteps.tsv"_s); }
    void keyboardGoesRound()
    {
        QFETCH(QString, shown);
        const QList<int> marked = numbers(shown);
        QFETCH(int, from);
        QFETCH(int, step);
        QFETCH(int, focused);
        Rig rig;
        for (int i = 0; i < bookmarkSlotCount; ++i)
            rig.arranger.setShown(i, marked.contains(i));
        rig.arranger.showAll();
        QVERIFY(rig.settled());
        BookmarkForm *target = rig.arranger.bookmarkWindow(focused);
        QVERIFY(target->windowHandle()->flags() & Qt::WindowDoesNotAcceptFocus);
        rig.arranger.focusBookmark(rig.arranger.bookmarkWindow(from), step);
        QVERIFY(!(target->windowHandle()->flags() & Qt::WindowDoesNotAcceptFocus));
        QTRY_VERIFY(target->hasFocus());
        // Handled, the window gives the keyboard to the one taking its place.
        rig.arranger.removeWindow(target);
        QVERIFY(rig.settled());
        const int next = marked.indexOf(focused) + 1 < marked.size()
                             ? marked[marked.indexOf(focused) + 1]
                             : marked.value(marked.indexOf(focused) - 1, -1);
        if (next >= 0)
            QTRY_VERIFY(rig.arranger.bookmarkWindow(next)->hasFocus());
        rig.arranger.hideAll();
        QVERIFY(rig.settled());
        QVERIFY(target->windowHandle()->flags() & Qt::WindowDoesNotAcceptFocus);
    }

    // The fades run on the event loop; what is asked for meanwhile waits for them, in order.
    void fadesRunWithoutANestedLoop()
    {
        Rig rig;
        rig.arranger.showAll();
        QVERIFY(rig.settled());
        rig.moments.clear();
        QStringList done;
        QMetaObject::invokeMethod(
            &rig.main, [&] { done << u"event"_s; }, Qt::QueuedConnection);
        rig.arranger.hideAll();
        rig.arranger.whenStill([&] { done << u"after hiding"_s; });
        rig.arranger.showAll();
        rig.arranger.whenStill([&] { done << u"after showing"_s; });
        QVERIFY(rig.arranger.isMoving() && done.isEmpty());
        QVERIFY(rig.settled());
        QCOMPARE(done, QStringList({"event", "after hiding", "after showing"}));
        QCOMPARE(rig.moments.size(), 16 + 7 * 16);
        QCOMPARE(rig.main.fadeLevel(), 15);
    }

    void removeWindowClosesTheGap_data() { addRowsFromFile(u"app/gaps.tsv"_s); }
    void removeWindowClosesTheGap()
    {
        QFETCH(QString, work);
        QFETCH(int, direction);
        Rig rig(rectOf(work));
        for (const int i : {0, 1, 3, 4})
            rig.arranger.setShown(i, direction != 0);
        rig.arranger.showAll();
        QVERIFY(rig.settled());
        const Moment before = rig.moments.last();
        rig.moments.clear();
        rig.arranger.removeWindow(rig.arranger.bookmarkWindow(2));
        QVERIFY(rig.settled());
        QCOMPARE(rig.moments[15].level(2), 0);
        QVERIFY(!rig.arranger.isShown(2));
        if (direction == 0) {
            QCOMPARE(rig.moments.size(), 16);
            QCOMPARE(rig.moments[15].levels, (std::array{0, 0, 0, 0, 0, 0, 0}));
            return;
        }
        // Then windows 0, 1 and the main window slide together; the others stay.
        QVERIFY(rig.moments.size() > 17);
        for (const Moment &moment : rig.moments.mid(16)) {
            for (const int slot : {0, 1})
                QCOMPARE(moment.top(slot) - before.top(slot),
                         moment.top(mainSlot) - before.top(mainSlot));
            for (const int slot : {3, 4, speedSlot})
                QCOMPARE(moment.top(slot), before.top(slot));
        }
        for (const int slot : {mainSlot, 0, 1})
            QCOMPARE(rig.arranger.windowAt(slot)->y(),
                     before.top(slot) + direction * bookmarkHeights[2]);
        QCOMPARE(rig.main.fadeLevel(), 15);
    }

    // The windows belong to the main window; closing it in the middle of a fade breaks nothing.
    void mainWindowGoesMidFade()
    {
        auto main = std::make_unique<MainForm>();
        WindowArranger arranger(main.get(), [] { return platform::ScreenArea{fullHd, fullHd}; });
        QCOMPARE(arranger.speedWindow()->parentWidget(), main.get());
        arranger.setShown(0, true);
        arranger.showAll();
        QVERIFY(arranger.isMoving());
        main.reset();
        QVERIFY(!arranger.bookmarkWindow(0) && !arranger.speedWindow());
        QVERIFY(QTest::qWaitFor([&] { return !arranger.isMoving(); }, 20000));
        arranger.hideAll();
    }
};

QTEST_MAIN(TestArranger)
#include "test_arranger.moc"
