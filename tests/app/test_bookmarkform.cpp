// The bookmark window and what all floating windows share: texts, placeholders, layout,
// buttons, menus and their action codes, fading and shape; also the speed bar.
#include "app/bookmarkform.h"
#include "app/entrytext.h"
#include "app/speedform.h"
#include "windowfixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QToolButton>

namespace {
enum { Name, Address, Title, Description, Time };

QList<int> FirstArguments(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &call : spy)
        values << call.at(0).toInt();
    return values;
}

// A bookmark window showing the one bookmark of favorites.
struct ShownBookmark
{
    explicit ShownBookmark(const QString &name = QStringLiteral("Paper"))
        : name(name), favorites({name})
    {
        form.SetEntry(&favorites.List(), 0);
    }
    TBookmarkRec &Rec() { return favorites.Rec(name); }
    TUCLabel *Label(int element) const { return form.ElementLabel(element); }

    QString name;
    SampleFavorites favorites;
    TBookmarkForm form{nullptr, false};
};
} // namespace

class TestBookmarkForm : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { SilenceOffscreenWarnings(); }

    void elementTexts_data();
    void elementTexts();
    void layoutStacksShownElements();
    void longTextsAreCutAfterTheirLines();
    void pageTextsShowLiterally_data();
    void pageTextsShowLiterally();
    void suggestButtonAndMenuItem();
    void invalidEntryChangesNothing();

    void buttonsCarryTheirActionCodes_data();
    void buttonsCarryTheirActionCodes();
    void menuItemsReportTheirCodes_data();
    void menuItemsReportTheirCodes();
    void linkMenuInOrder();
    void nameIsClickableWithHoverHighlight();

    void fadeLevels_data();
    void fadeLevels();
    void floatingWindowAndShape();
    void speedBarCommands();
};

void TestBookmarkForm::elementTexts_data()
{
    QTest::addColumn<int>("refreshState");
    QTest::addColumn<double>("refreshed");
    QTest::addColumn<QStringList>("page");  // title, description, refresh message
    QTest::addColumn<QStringList>("shown"); // address, title, description
    QTest::addColumn<QColor>("titleColour");

    const QColor black(0, 0, 0);
    const QColor maroon(128, 0, 0);
    const QString stored = QStringLiteral("https://www.Paper.test/");
    const QString shortcut = QStringLiteral("http://Paper.test/");
    QTest::newRow("refreshed page") << 0 << SampleNow - 1 << QStringList{"Daily", "News", ""}
                                    << QStringList{stored, "Daily", "News"} << black;
    QTest::newRow("page without description")
        << 0 << SampleNow - 1 << QStringList{"Daily", "", ""}
        << QStringList{stored, "Daily", "(no Description)"} << black;
    QTest::newRow("never refreshed")
        << 0 << 0.0 << QStringList{"", "", ""}
        << QStringList{stored, "(Title not available)", "(Description not available)"} << black;
    QTest::newRow("refresh reset to 1.0")
        << 0 << 1.0 << QStringList{"", "Old", ""}
        << QStringList{stored, "(Title not available)", "Old"} << black;
    QTest::newRow("failed refresh shows the shortcut's address")
        << -1 << SampleNow - 1 << QStringList{"Daily", "News", "Host not found"}
        << QStringList{shortcut, "*** FAILED ***", "Host not found"} << maroon;
    QTest::newRow("failed refresh without message stays empty")
        << -1 << SampleNow - 1 << QStringList{"", "", ""}
        << QStringList{shortcut, "*** FAILED ***", ""} << maroon;
}

void TestBookmarkForm::elementTexts()
{
    QFETCH(int, refreshState);
    QFETCH(double, refreshed);
    QFETCH(QStringList, page);
    QFETCH(QStringList, shown);
    QFETCH(QColor, titleColour);
    ShownBookmark bookmark;
    QVERIFY(bookmark.form.UpdateView()); // first as a good bookmark, so colours must change back
    bookmark.Rec().RefreshState = refreshState;
    bookmark.Rec().Refreshed = refreshed;
    bookmark.Rec().Title = page[0];
    bookmark.Rec().Descr = page[1];
    bookmark.Rec().RefreshMsg = page[2];
    QVERIFY(bookmark.form.UpdateView());

    QCOMPARE(bookmark.Label(Name)->Caption(), QStringLiteral("Paper"));
    QCOMPARE(bookmark.Label(Address)->Caption(), shown[0]);
    QCOMPARE(bookmark.Label(Title)->Caption(), shown[1]);
    QCOMPARE(bookmark.Label(Description)->Caption(), shown[2]);
    QCOMPARE(bookmark.Label(Time)->Caption(), ShortDateTimeText(SampleNow - 100));
    QCOMPARE(bookmark.Label(Title)->TextColour(), titleColour);
    QCOMPARE(bookmark.Label(Description)->TextColour(), QColor(128, 128, 128));
    QCOMPARE(ToolTipText(bookmark.Label(Time)), QStringLiteral("Time the Bookmark was created"));
    // A placeholder is no text of the page: its element has no hint.
    QCOMPARE(bookmark.Label(Title)->toolTip().isEmpty(), page[0].isEmpty() && refreshState >= 0);
}

void TestBookmarkForm::layoutStacksShownElements()
{
    ShownBookmark bookmark;
    bookmark.Rec().RefreshState = -1; // the empty refresh message takes no room
    QVERIFY(bookmark.form.UpdateView());
    int y = 28;
    for (int e = 0; e < TBookmarkForm::ElementCount; ++e) {
        QCOMPARE(bookmark.Label(e)->pos(), QPoint(8, y));
        QVERIFY(bookmark.Label(e)->width() <= 124);
        if (!bookmark.Label(e)->Caption().isEmpty())
            y += bookmark.Label(e)->height() + 4;
    }
    QCOMPARE(bookmark.Label(Time)->y(), bookmark.Label(Description)->y());
    QCOMPARE(bookmark.form.size(), QSize(140, y + 2));
    QCOMPARE(bookmark.Label(Time)->width(), 124); // right-aligned across the full width
}

void TestBookmarkForm::longTextsAreCutAfterTheirLines()
{
    ShownBookmark bookmark(QString(90, u'x'));
    bookmark.Rec().Title = QStringLiteral("word ").repeated(60);
    bookmark.Rec().StoredURL =
        QStringLiteral("https://a.test/") + QStringLiteral("a/").repeated(80);
    QVERIFY(bookmark.form.UpdateView());

    const TUCLabel *title = bookmark.Label(Title);
    QCOMPARE(title->height(), title->MaxHeight());
    QVERIFY(title->MaxHeight() >= 3 * title->OneLineHeight());
    QVERIFY(title->MaxHeight() < 4 * title->OneLineHeight());
    QCOMPARE(title->ShownLines().size(), 3);
    QVERIFY(title->ShownLines().last().endsWith(QChar(0x2026)));
    QCOMPARE(bookmark.Label(Address)->height(), bookmark.Label(Address)->OneLineHeight());
    QVERIFY(bookmark.Label(Address)->ShownLines().constFirst().endsWith(QChar(0x2026)));
    // A name without blanks breaks anywhere rather than running out of the window.
    const TUCLabel *name = bookmark.Label(Name);
    QCOMPARE(name->ShownLines().size(), 2);
    for (const QString &line : name->ShownLines())
        QVERIFY(QFontMetrics(name->font()).horizontalAdvance(line) <= 124);
}

void TestBookmarkForm::pageTextsShowLiterally_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shown");
    QTest::newRow("markup") << QString("<b>Big</b> deal") << QString("<b>Big</b> deal");
    QTest::newRow("ampersands") << QString("Tom & Jerry && co") << QString("Tom & Jerry && co");
    QTest::newRow("single ampersand") << QString("&") << QString("&");
    QTest::newRow("direction overrides and marks")
        << QString::fromUtf16(u"\u202Aa\u202Bb\u202Cc\u202Ed\u2066e\u2067f\u2069\u200Eg\u200Fh")
        << QString("abcdefgh");
    QTest::newRow("control characters") << QString(u'a') + QChar(0) + u'b' + QChar(7) + u'c' +
                                               QChar(0x9B) + u'd' + QChar(0x7F) + u'e'
                                        << QString("a b c d e");
    QTest::newRow("line breaks and tabs")
        << QString("one\r\ntwo\tthree") << QString("one  two three");
    QTest::newRow("right-to-left letters stay") << QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD")
                                                << QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD");
}

void TestBookmarkForm::pageTextsShowLiterally()
{
    QFETCH(QString, title);
    QFETCH(QString, shown);
    ShownBookmark bookmark;
    bookmark.Rec().Title = title;
    QVERIFY(bookmark.form.UpdateView());
    const TUCLabel *label = bookmark.Label(Title);
    QCOMPARE(label->Caption(), shown);
    QCOMPARE(ToolTipText(label), shown);
    // Measured as drawn: every character takes room, "&" included, on one line.
    QCOMPARE(label->ShownLines(), QStringList{shown});
    QCOMPARE(label->height(), label->OneLineHeight());
    QCOMPARE(label->width(), QFontMetrics(label->font()).horizontalAdvance(shown));
}

void TestBookmarkForm::suggestButtonAndMenuItem()
{
    ShownBookmark bookmark;
    auto *button = bookmark.form.findChild<QToolButton *>(QStringLiteral("SBtSuggest"));
    QAction *item = bookmark.form.findChild<QAction *>(QStringLiteral("PopupLinkSuggest"));
    for (const bool offered : {true, false}) {
        bookmark.Rec().Rating = offered ? 1 : 0;
        bookmark.Rec().SubjectPhrase = QStringLiteral("quantum physics");
        bookmark.Rec().Match = QStringLiteral("Quantum physics");
        QVERIFY(bookmark.form.UpdateView());
        QCOMPARE(button->isHidden(), !offered);
        bookmark.form.ShowLinkMenu(bookmark.Label(Name), QPoint(10, 10));
        QCOMPARE(item->isVisible(), offered);
        bookmark.form.PopupLink()->close();
    }
    QCOMPARE(button->toolTip(),
             QStringLiteral("Show best link collection about \"Quantum physics\""));
}

void TestBookmarkForm::invalidEntryChangesNothing()
{
    ShownBookmark bookmark;
    TBookmarkForm unset(nullptr, false);
    QVERIFY(!unset.UpdateView());
    QVERIFY(bookmark.form.UpdateView());
    const int height = bookmark.form.height();
    for (const int index : {-1, 1, 1000}) {
        bookmark.form.SetEntry(&bookmark.favorites.List(), index);
        QVERIFY(!bookmark.form.UpdateView());
        QCOMPARE(bookmark.Label(Name)->Caption(), QStringLiteral("Paper"));
        QCOMPARE(bookmark.form.height(), height);
    }
}

void TestBookmarkForm::buttonsCarryTheirActionCodes_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("hint");
    QTest::newRow("suggest") << "SBtSuggest" << 14 << -3
                             << "Show best link collection about this subject area";
    QTest::newRow("keep") << "SBtKeep" << 57 << -1 << "Keep this forever!";
    QTest::newRow("remind") << "SBtRemind" << 81 << 0
                            << "Put this back and remind me in a few days again!";
    QTest::newRow("delete") << "SBtDel" << 105 << -2 << "Delete this Bookmark finally!";
}

void TestBookmarkForm::buttonsCarryTheirActionCodes()
{
    QFETCH(QString, button);
    QFETCH(int, left);
    QFETCH(int, tag);
    QFETCH(QString, hint);
    TBookmarkForm form(nullptr, false);
    QSignalSpy actions(&form, &TBookmarkForm::actionRequested);
    auto *speedButton = form.findChild<QToolButton *>(button);
    QCOMPARE(speedButton->geometry(), QRect(left, 4, 21, 21));
    QCOMPARE(speedButton->toolTip(), hint);
    QCOMPARE(TagOf(speedButton), tag);
    speedButton->click();
    QCOMPARE(FirstArguments(actions), QList<int>{tag});
}

void TestBookmarkForm::menuItemsReportTheirCodes_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("tag");  // what actionRequested carries, if anything
    QTest::addColumn<int>("help"); // what helpRequested carries, if anything
    const QList<std::pair<const char *, int>> actions = {
        {"PopupLinkSuggest", -3},
        {"PopupLinkKeep", -1},
        {"PopupLinkRemindA", 1},
        {"PopupLinkRemindB", 3},
        {"PopupLinkRemindC", 7},
        {"PopupLinkRemindD", 30},
        {"PopupLinkDelete", -2},
        // The remind button's menu reminds after the days its captions name.
        {"PopupRemindA", 1},
        {"PopupRemindB", 3},
        {"PopupRemindC", 7},
        {"PopupRemindD", 30}};
    for (const auto &[item, tag] : actions)
        QTest::newRow(item) << item << tag << 0;
    const QList<std::pair<const char *, int>> helps = {{"PopupLinkHelp", 130},
                                                       {"PopupSuggestHelp", 3060},
                                                       {"PopupKeepHelp", 3020},
                                                       {"PopupRemindHelp", 3030},
                                                       {"PopupDeleteHelp", 3040}};
    for (const auto &[item, context] : helps)
        QTest::newRow(item) << item << 0 << context;
}

void TestBookmarkForm::menuItemsReportTheirCodes()
{
    QFETCH(QString, item);
    QFETCH(int, tag);
    QFETCH(int, help);
    TBookmarkForm form(nullptr, false);
    QSignalSpy actions(&form, &TBookmarkForm::actionRequested);
    QSignalSpy helps(&form, &TBaseForm::helpRequested);
    QSignalSpy opens(&form, &TBookmarkForm::openRequested);
    QAction *action = form.findChild<QAction *>(item);
    QCOMPARE(TagOf(action), tag);
    action->trigger();
    QCOMPARE(FirstArguments(actions), help ? QList<int>{} : QList<int>{tag});
    QCOMPARE(FirstArguments(helps), help ? QList<int>{help} : QList<int>{});
    QCOMPARE(opens.count(), 0);
}

void TestBookmarkForm::linkMenuInOrder()
{
    TBookmarkForm form(nullptr, false);
    QStringList items;
    const auto collect = [&items](const QMenu *menu, const auto &self) -> void {
        for (const QAction *action : menu->actions()) {
            items << action->objectName() + u'=' + action->text();
            if (action->menu())
                self(action->menu(), self);
        }
    };
    collect(form.PopupLink(), collect);
    QCOMPARE(
        items,
        (QStringList{"PopupLinkOpen=Open in browser", "PopupLinkSuggest=Show best links about this",
                     "N5=", "PopupLinkKeep=Keep this (no more remind me)",
                     "PopupLinkRemind=Put this back and remind me ...", "PopupLinkRemindA=Tomorrow",
                     "PopupLinkRemindB=3 days from now", "PopupLinkRemindC=A week from now",
                     "PopupLinkRemindD=This time next month",
                     "PopupLinkDelete=Delete this Bookmark", "N3=", "PopupLinkHelp=Help"}));
    QCOMPARE(form.PopupLink()->defaultAction()->objectName(), QStringLiteral("PopupLinkOpen"));
    QCOMPARE(form.findChild<QAction *>(QStringLiteral("PopupLinkKeep"))->toolTip(),
             QStringLiteral("Keep this forever!"));
    QCOMPARE(form.findChild<QAction *>(QStringLiteral("PopupLinkDelete"))->toolTip(),
             QStringLiteral("Delete this Bookmark finally!"));
}

void TestBookmarkForm::nameIsClickableWithHoverHighlight()
{
    ShownBookmark bookmark;
    QVERIFY(bookmark.form.UpdateView());
    QSignalSpy opens(&bookmark.form, &TBookmarkForm::openRequested);
    QSignalSpy help(&bookmark.form, &TBaseForm::helpRequested);
    TUCLabel *name = bookmark.Label(Name);
    QCOMPARE(name->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(bookmark.Label(Address)->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(name->font().bold());

    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(name, &enter);
    QCOMPARE(bookmark.form.HotLabel(), name);
    QVERIFY(name->Highlighted());
    QApplication::sendEvent(name, &leave);
    QCOMPARE(bookmark.form.HotLabel(), nullptr);
    QVERIFY(!name->Highlighted());

    QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(opens.count(), 1);
    // The link menu opened on the hovered name takes the highlight away.
    QApplication::sendEvent(name, &enter);
    QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(50, 50));
    QApplication::sendEvent(name, &context);
    QVERIFY(bookmark.form.PopupLink()->isVisible());
    QCOMPARE(bookmark.form.PopupLabel(), name);
    QVERIFY(!name->Highlighted());
    bookmark.form.findChild<QAction *>(QStringLiteral("PopupLinkOpen"))->trigger();
    QCOMPARE(opens.count(), 2);
    bookmark.form.PopupLink()->close();

    bookmark.form.SetFadeLevel(15);
    QApplication::sendEvent(name, &enter);
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&bookmark.form, &f1);
    QCOMPARE(FirstArguments(help), QList<int>{120});
    bookmark.form.SetFadeLevel(0); // hidden under the mouse: the highlight goes too
    QVERIFY(!name->Highlighted());
}

void TestBookmarkForm::fadeLevels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("invisible") << 0 << 0 << false << false;
    QTest::newRow("first step") << 1 << 1 << true << false;
    QTest::newRow("almost") << 14 << 14 << true << false;
    QTest::newRow("opaque") << 15 << 15 << true << true;
    QTest::newRow("below range") << -3 << 0 << false << false;
    QTest::newRow("above range") << 99 << 15 << true << true;
}

void TestBookmarkForm::fadeLevels()
{
    QFETCH(int, level);
    QFETCH(int, stored);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    TSpeedForm form(nullptr);
    form.SetFadeLevel(15);
    form.SetFadeLevel(level);
    QCOMPARE(form.FadeLevel(), stored);
    QVERIFY(qAbs(form.windowOpacity() - stored * 17 / 255.0) < 0.01);
    QCOMPARE(form.isVisible(), visible);
    QCOMPARE(form.isEnabled(), enabled);
}

void TestBookmarkForm::floatingWindowAndShape()
{
    TSpeedForm form(nullptr);
    const Qt::WindowFlags flags = form.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(flags.testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                            Qt::WindowDoesNotAcceptFocus));
    QVERIFY(form.testAttribute(Qt::WA_ShowWithoutActivating));
    QCOMPARE(form.FadeLevel(), 0);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.font().pixelSize(), 11);

    form.SetFadeLevel(15);
    for (const int height : {30, 200, 57}) {
        form.resize(140, height);
        const QRegion mask = form.mask();
        QCOMPARE(mask.boundingRect(), QRect(0, 0, 140, height));
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(!mask.contains(QPoint(139, height - 1)));
        QVERIFY(mask.contains(QPoint(70, 0)));
        QVERIFY(mask.contains(QPoint(0, height / 2)));
    }
}

void TestBookmarkForm::speedBarCommands()
{
    TSpeedForm form(nullptr);
    QCOMPARE(form.size(), QSize(140, 30));
    QSignalSpy commands(&form, &TSpeedForm::commandRequested);
    const QStringList buttons = {"SBtRefresh", "SBtSetup", "SBtHelp",
                                 "SBtInfo",    "SBtHome",  "SBtQuit"};
    QStringList hints;
    for (int i = 0; i < buttons.size(); ++i) {
        auto *button = form.findChild<QToolButton *>(buttons[i]);
        QCOMPARE(button->geometry(), QRect(5 + 22 * i, 4, 20, 22));
        hints << button->toolTip();
        button->click();
        QCOMPARE(commands.at(i).at(0).value<TSpeedForm::Command>(), TSpeedForm::Command(i));
    }
    QCOMPARE(hints, (QStringList{"Refresh all Site information from Internet",
                                 "Program configuration", "Help", "About this program",
                                 "Go to Homepage of this program", "Quit program"}));
}

QTEST_MAIN(TestBookmarkForm)
#include "test_bookmarkform.moc"
