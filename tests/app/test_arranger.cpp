// Placement of the window column beside the taskbar, fading and the slide that closes the
// gap of a removed bookmark window.
#include "app/arranger.h"
#include "app/bookmarkform.h"
#include "app/mainform.h"
#include "app/speedform.h"
#include "config/settings.h"
#include "lang/translatable.h"
#include "windowfixture.h"

#include <QtTest>

namespace {
constexpr int MainHeight = 111;
constexpr int SpeedHeight = 30;
constexpr std::array<int, BookmarkSlotCount> BookmarkHeights = {100, 110, 120, 130, 140};

const QRect FullHd(0, 0, 1920, 1080);

platform::ScreenArea FullHdScreen()
{
    return {FullHd, FullHd};
}

std::array<TSlotWindow, SlotCount> Column(const QList<int> &marked)
{
    std::array<TSlotWindow, SlotCount> windows;
    windows[SlotPosition(MainSlot)] = {true, QSize(140, MainHeight)};
    windows[SlotPosition(SpeedSlot)] = {false, QSize(140, SpeedHeight)};
    for (int i = 0; i < BookmarkSlotCount; ++i)
        windows[SlotPosition(i)] = {marked.contains(i), QSize(140, BookmarkHeights[i])};
    return windows;
}

// "slot@x,y" for every marked slot, from the main window to the speed bar.
QStringList Placed(const TArrangement &arrangement)
{
    QStringList placed;
    for (int slot = MainSlot; slot <= SpeedSlot; ++slot) {
        const int p = SlotPosition(slot);
        if (arrangement.Marked[p])
            placed << QStringLiteral("%1@%2,%3")
                          .arg(slot)
                          .arg(arrangement.TopLeft[p].x())
                          .arg(arrangement.TopLeft[p].y());
    }
    return placed;
}

// Every pause with the fade level of each slot and the top of each window at that moment.
struct Recorder
{
    struct Moment
    {
        int ms;
        std::array<int, SlotCount> levels;
        std::array<int, SlotCount> tops;
    };
    const TWindowArranger *arranger = nullptr;
    QList<Moment> moments;

    void operator()(int ms)
    {
        Moment moment{ms, {}, {}};
        for (int slot = MainSlot; slot <= SpeedSlot; ++slot) {
            moment.levels[SlotPosition(slot)] = arranger->Window(slot)->FadeLevel();
            moment.tops[SlotPosition(slot)] = arranger->Window(slot)->y();
        }
        moments << moment;
    }
    QList<int> Pauses() const
    {
        QList<int> pauses;
        for (const Moment &moment : moments)
            pauses << moment.ms;
        return pauses;
    }
};

// The main window, five bookmark windows of known heights and the speed bar, on a screen
// with the taskbar at the bottom or the top.
struct Rig
{
    explicit Rig(const platform::ScreenArea &area = {FullHd, QRect(0, 0, 1920, 1040)})
        : screen(area), arranger(
                            &main, [this] { return screen; }, [this](int ms) { recorder(ms); })
    {
        recorder.arranger = &arranger;
        main.resize(140, MainHeight);
        for (int i = 0; i < BookmarkSlotCount; ++i) {
            arranger.BookmarkWindow(i)->resize(140, BookmarkHeights[i]);
            arranger.SetShown(i, true);
        }
    }
    int Top(int slot) const { return arranger.Window(slot)->y(); }

    platform::ScreenArea screen;
    TMainForm main;
    Recorder recorder;
    TWindowArranger arranger;
};
} // namespace

class TestArranger : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { SilenceOffscreenWarnings(); }
    void init() { Settings = DefaultSettings; }

    void arrangeColumn_data();
    void arrangeColumn();
    void slideSteps_data();
    void slideSteps();
    void slideStepsAlwaysAddUp();

    void arrangePlacesTheWindows();
    void showAllFadesInOneAfterAnother();
    void hideAllFadesOutTogether();
    void removeWindowClosesTheGap_data();
    void removeWindowClosesTheGap();
    void removingTheLastWindowHidesAll();
    void marksOfBookmarkWindows();
    void windowsBelongToTheMainWindow();
    void windowsRegisterForTranslation();
};

void TestArranger::arrangeColumn_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("work");
    QTest::addColumn<QList<int>>("marked");
    QTest::addColumn<bool>("noSpeedWnd");
    QTest::addColumn<bool>("dockLeft");
    QTest::addColumn<bool>("dockTop");
    QTest::addColumn<QStringList>("placed");

    const QList<int> all = {0, 1, 2, 3, 4};
    QTest::newRow("taskbar at the bottom")
        << FullHd << QRect(0, 0, 1920, 1040) << all << false << false << false
        << QStringList{"-1@1780,299", "0@1780,410", "1@1780,510", "2@1780,620",
                       "3@1780,740",  "4@1780,870", "5@1780,1010"};
    QTest::newRow("taskbar at the top")
        << FullHd << QRect(0, 40, 1920, 1040) << all << false << false << true
        << QStringList{"-1@1780,670", "0@1780,570", "1@1780,460", "2@1780,340",
                       "3@1780,210",  "4@1780,70",  "5@1780,40"};
    QTest::newRow("taskbar at the left")
        << FullHd << QRect(60, 0, 1860, 1080) << QList<int>{4} << false << true << false
        << QStringList{"-1@60,799", "4@60,910", "5@60,1050"};
    QTest::newRow("taskbar at the right")
        << FullHd << QRect(0, 0, 1860, 1080) << QList<int>{4} << false << false << false
        << QStringList{"-1@1720,799", "4@1720,910", "5@1720,1050"};
    QTest::newRow("no panel at all") << FullHd << FullHd << QList<int>{0} << false << false << false
                                     << QStringList{"-1@1780,839", "0@1780,950", "5@1780,1050"};
    QTest::newRow("second screen with a panel at its top")
        << QRect(1920, 0, 1280, 1024) << QRect(1920, 30, 1280, 994) << QList<int>{1} << false
        << false << true << QStringList{"-1@3060,170", "1@3060,60", "5@3060,30"};
    QTest::newRow("screen above another, panel at its left")
        << QRect(0, -800, 1280, 800) << QRect(48, -800, 1232, 800) << QList<int>{2} << false << true
        << false << QStringList{"-1@48,-261", "2@48,-150", "5@48,-30"};
    QTest::newRow("too low: lower numbers go first")
        << FullHd << QRect(0, 0, 1920, 460) << all << false << false << false
        << QStringList{"-1@1780,49", "3@1780,160", "4@1780,290", "5@1780,430"};
    QTest::newRow("a window exactly as high as the room is dropped")
        << FullHd << QRect(0, 0, 1920, MainHeight + SpeedHeight + 100) << QList<int>{0} << false
        << false << false << QStringList{"-1@1780,100", "5@1780,211"};
    QTest::newRow("speed bar switched off")
        << FullHd << QRect(0, 0, 1920, 1040) << QList<int>{3} << true << false << false
        << QStringList{"-1@1780,799", "3@1780,910"};
    QTest::newRow("no bookmark window: no speed bar")
        << FullHd << QRect(0, 0, 1920, 1040) << QList<int>{} << false << false << false
        << QStringList{"-1@1780,929"};
    QTest::newRow("no screen at all")
        << QRect() << QRect() << all << false << false << false << QStringList{"-1@-140,-111"};
}

void TestArranger::arrangeColumn()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, work);
    QFETCH(QList<int>, marked);
    QFETCH(bool, noSpeedWnd);
    QFETCH(bool, dockLeft);
    QFETCH(bool, dockTop);
    QFETCH(QStringList, placed);
    const TArrangement arrangement = ArrangeColumn({screen, work}, Column(marked), noSpeedWnd);
    QCOMPARE(arrangement.DockLeft, dockLeft);
    QCOMPARE(arrangement.DockTop, dockTop);
    QCOMPARE(Placed(arrangement), placed);
}

void TestArranger::slideSteps_data()
{
    QTest::addColumn<int>("gap");
    QTest::addColumn<QList<int>>("steps");
    QTest::newRow("window of 120")
        << 120 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 4, 4, 2, 2};
    QTest::newRow("window of 100")
        << 100 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8, 8, 8, 8, 8, 4, 2, 2};
    QTest::newRow("just 13") << 13 << QList<int>{1, 4, 4, 2, 2};
    QTest::newRow("just 12") << 12 << QList<int>{4, 4, 2, 2};
    QTest::newRow("odd small gap") << 5 << QList<int>{2, 2, 1};
    QTest::newRow("one pixel") << 1 << QList<int>{1};
    QTest::newRow("nothing to close") << 0 << QList<int>{};
    QTest::newRow("negative gap") << -20 << QList<int>{};
}

void TestArranger::slideSteps()
{
    QFETCH(int, gap);
    QFETCH(QList<int>, steps);
    const std::vector<int> result = SlideSteps(gap);
    QCOMPARE(QList<int>(result.begin(), result.end()), steps);
}

void TestArranger::slideStepsAlwaysAddUp()
{
    for (int gap = 0; gap <= 600; ++gap) {
        const std::vector<int> steps = SlideSteps(gap);
        QCOMPARE(std::accumulate(steps.begin(), steps.end(), 0), gap);
        for (const int step : steps)
            QVERIFY(step >= 1 && step <= 8);
    }
}

void TestArranger::arrangePlacesTheWindows()
{
    Rig rig;
    rig.arranger.Arrange();
    QVERIFY(!rig.arranger.DockLeft());
    QVERIFY(!rig.arranger.DockTop());
    QCOMPARE(rig.arranger.SpeedWindow()->pos(), QPoint(1780, 1010));
    QCOMPARE(rig.arranger.BookmarkWindow(0)->pos(), QPoint(1780, 410));
    QCOMPARE(rig.main.pos(), QPoint(1780, 299));
    QVERIFY(rig.arranger.SlotMarked(SpeedSlot));
    QVERIFY(rig.recorder.moments.isEmpty()); // arranging alone shows nothing

    rig.screen.Work = QRect(0, 0, 1920, 460);
    rig.arranger.Arrange();
    QCOMPARE(rig.arranger.IsShown(2), false);
    QCOMPARE(rig.arranger.IsShown(3), true);
    QCOMPARE(rig.arranger.BookmarkWindow(2)->FadeLevel(), 0);

    rig.arranger.ShowAll();
    QCOMPARE(rig.arranger.SpeedWindow()->FadeLevel(), 15);
    Settings.NoSpeedWnd = true; // read afresh by every arrangement
    rig.arranger.Arrange();
    QVERIFY(!rig.arranger.SlotMarked(SpeedSlot));
    QCOMPARE(rig.arranger.SpeedWindow()->FadeLevel(), 0);
    QCOMPARE(rig.arranger.BookmarkWindow(4)->pos(), QPoint(1780, 320));
}

void TestArranger::showAllFadesInOneAfterAnother()
{
    Rig rig;
    rig.arranger.SetShown(1, false);
    rig.arranger.ShowAll();
    const QList<Recorder::Moment> &moments = rig.recorder.moments;
    QCOMPARE(moments.size(), 6 * 16); // five windows and the main window, none shown before
    QCOMPARE(rig.recorder.Pauses(), QList<int>(6 * 16, 5));
    // The speed bar is in first and fully, before window 4 starts; the main window comes last.
    for (int step = 0; step < 16; ++step) {
        QCOMPARE(moments[step].levels[SlotPosition(SpeedSlot)], step);
        QCOMPARE(moments[step].levels[SlotPosition(4)], 0);
        QCOMPARE(moments[16 + step].levels[SlotPosition(4)], step);
    }
    QCOMPARE(moments[79].levels[SlotPosition(MainSlot)], 0);
    QCOMPARE(moments[95].levels[SlotPosition(MainSlot)], 15);
    for (const int slot : {MainSlot, 0, 2, 3, 4, SpeedSlot})
        QCOMPARE(rig.arranger.Window(slot)->FadeLevel(), 15);
    QCOMPARE(rig.arranger.BookmarkWindow(1)->FadeLevel(), 0);
    QVERIFY(rig.arranger.BookmarkWindow(0)->isEnabled());

    rig.recorder.moments.clear();
    rig.arranger.ShowAll(); // all there already: no animation
    QVERIFY(rig.recorder.moments.isEmpty());
}

void TestArranger::hideAllFadesOutTogether()
{
    Rig rig;
    rig.arranger.SetShown(3, false);
    rig.arranger.Arrange();
    // Hidden windows also run through all sixteen levels, starting at full opacity.
    rig.arranger.HideAll();
    const QList<Recorder::Moment> &moments = rig.recorder.moments;
    QCOMPARE(rig.recorder.Pauses(), QList<int>(16, 5));
    for (int step = 0; step < 16; ++step) {
        for (const int slot : {MainSlot, 0, 1, 2, 4, SpeedSlot})
            QCOMPARE(moments[step].levels[SlotPosition(slot)], 15 - step);
        QCOMPARE(moments[step].levels[SlotPosition(3)], 0);
    }
    for (int i = 0; i < BookmarkSlotCount; ++i)
        QCOMPARE(rig.arranger.IsShown(i), i != 3); // the marks stay for the next ShowAll
}

void TestArranger::removeWindowClosesTheGap_data()
{
    QTest::addColumn<QRect>("work");
    QTest::addColumn<int>("direction");
    QTest::newRow("taskbar at the bottom: down") << QRect(0, 0, 1920, 1040) << 1;
    QTest::newRow("taskbar at the top: up") << QRect(0, 40, 1920, 1040) << -1;
}

void TestArranger::removeWindowClosesTheGap()
{
    QFETCH(QRect, work);
    QFETCH(int, direction);
    Rig rig({FullHd, work});
    rig.arranger.ShowAll();
    std::array<int, SlotCount> before{};
    for (int slot = MainSlot; slot <= SpeedSlot; ++slot)
        before[SlotPosition(slot)] = rig.Top(slot);
    rig.recorder.moments.clear();

    rig.arranger.RemoveWindow(rig.arranger.BookmarkWindow(2));

    const QList<Recorder::Moment> &moments = rig.recorder.moments;
    const QList<int> fadeOut(16, 5);
    QCOMPARE(rig.recorder.Pauses().mid(0, 16), fadeOut);
    QCOMPARE(moments[15].levels[SlotPosition(2)], 0);
    // Then one 1 ms pause per slide step; windows 0, 1 and the main window move together.
    QList<int> steps;
    int previous = before[SlotPosition(MainSlot)];
    for (const Recorder::Moment &moment : moments.mid(16)) {
        QCOMPARE(moment.ms, 1);
        const int top = moment.tops[SlotPosition(MainSlot)];
        steps << (top - previous) * direction;
        previous = top;
        for (const int slot : {0, 1})
            QCOMPARE(moment.tops[SlotPosition(slot)] - before[SlotPosition(slot)],
                     top - before[SlotPosition(MainSlot)]);
        for (const int slot : {3, 4, SpeedSlot})
            QCOMPARE(moment.tops[SlotPosition(slot)], before[SlotPosition(slot)]);
    }
    const std::vector<int> expected = SlideSteps(BookmarkHeights[2]);
    QCOMPARE(steps, QList<int>(expected.begin(), expected.end()));

    QVERIFY(!rig.arranger.IsShown(2));
    for (const int slot : {MainSlot, 0, 1})
        QCOMPARE(rig.Top(slot), before[SlotPosition(slot)] + direction * BookmarkHeights[2]);
    QCOMPARE(rig.main.FadeLevel(), 15);
    QCOMPARE(rig.arranger.SpeedWindow()->FadeLevel(), 15);
}

void TestArranger::removingTheLastWindowHidesAll()
{
    Rig rig;
    for (const int i : {0, 1, 3, 4})
        rig.arranger.SetShown(i, false);
    rig.arranger.ShowAll();
    rig.recorder.moments.clear();
    rig.arranger.RemoveWindow(rig.arranger.BookmarkWindow(2));
    QCOMPARE(rig.recorder.Pauses(), QList<int>(16, 5));
    QCOMPARE(rig.recorder.moments[0].levels[SlotPosition(MainSlot)], 15);
    QCOMPARE(rig.recorder.moments[0].levels[SlotPosition(2)], 15);
    for (const int slot : {MainSlot, 2, SpeedSlot}) {
        QCOMPARE(rig.arranger.Window(slot)->FadeLevel(), 0);
        QVERIFY(!rig.arranger.Window(slot)->isVisible());
    }
    QVERIFY(!rig.arranger.IsShown(2));
    QVERIFY(!rig.arranger.SlotMarked(SpeedSlot));
    QVERIFY(rig.arranger.SlotMarked(MainSlot));
}

void TestArranger::marksOfBookmarkWindows()
{
    Rig rig;
    rig.arranger.ShowAll();
    QVERIFY(!rig.arranger.IsShown(-1));
    QVERIFY(!rig.arranger.IsShown(5));
    QCOMPARE(rig.arranger.BookmarkWindow(5), nullptr);
    QCOMPARE(rig.arranger.BookmarkWindow(-1), nullptr);
    rig.arranger.SetShown(7, false); // out of range: nothing happens
    rig.arranger.SetShown(-1, false);
    QVERIFY(rig.arranger.SlotMarked(MainSlot));
    for (const TBaseForm *other :
         {static_cast<TBaseForm *>(&rig.main), static_cast<TBaseForm *>(rig.arranger.SpeedWindow()),
          static_cast<TBaseForm *>(nullptr)})
        rig.arranger.RemoveWindow(other); // no bookmark window: ignored
    for (int i = 0; i < BookmarkSlotCount; ++i)
        QVERIFY(rig.arranger.IsShown(i));

    rig.arranger.SetShown(1, false);
    QCOMPARE(rig.arranger.BookmarkWindow(1)->FadeLevel(), 0); // at once, without fading
    QCOMPARE(rig.recorder.moments.size(), 7 * 16);
    rig.arranger.ClearAllShown();
    for (int i = 0; i < BookmarkSlotCount; ++i) {
        QVERIFY(!rig.arranger.IsShown(i));
        QCOMPARE(rig.arranger.BookmarkWindow(i)->FadeLevel(), 0);
    }
    rig.arranger.Arrange();
    QVERIFY(!rig.arranger.SlotMarked(SpeedSlot));
}

void TestArranger::windowsBelongToTheMainWindow()
{
    auto main = std::make_unique<TMainForm>();
    TWindowArranger arranger(main.get(), FullHdScreen, [](int) {});
    QCOMPARE(arranger.BookmarkWindow(3)->parentWidget(), main.get());
    QCOMPARE(arranger.SpeedWindow()->parentWidget(), main.get());
    QVERIFY(arranger.BookmarkWindow(3)->isWindow());
    arranger.SetShown(0, true);
    main.reset();
    QCOMPARE(arranger.BookmarkWindow(0), nullptr);
    QCOMPARE(arranger.SpeedWindow(), nullptr);
    arranger.ShowAll(); // nothing left to show; nothing breaks
    arranger.HideAll();
}

void TestArranger::windowsRegisterForTranslation()
{
    const auto registered = [] {
        QStringList forms;
        for (const TFormEntry &entry : FormRegistry().Entries())
            forms << QStringLiteral("%1 %2 %3")
                         .arg(QString::fromLatin1(entry.FormKey))
                         .arg(entry.Owner == TFormOwner::Floating ? "floating" : "application")
                         .arg(entry.InTemplate ? "template" : "-");
        forms.sort();
        return forms;
    };
    {
        Rig rig;
        QCOMPARE(registered(),
                 (QStringList{"MainForm application template", "TBookmarkForm floating -",
                              "TBookmarkForm floating -", "TBookmarkForm floating -",
                              "TBookmarkForm floating -", "TBookmarkForm floating template",
                              "TSpeedForm floating template"}));
    }
    QVERIFY(registered().isEmpty());
}

QTEST_MAIN(TestArranger)
#include "test_arranger.moc"
