// The bookmark window and what all floating windows share: texts, placeholders, layout,
// buttons, menus and their action codes, fading and shape; also the speed bar.
#include "app/bookmarkform.h"
#include "app/entrytext.h"
#include "app/speedform.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

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

    // Placeholders stand in for what the page lacks; a failed refresh shows in maroon.
    void elementTexts_data()
    {
        QTest::addColumn<int>("refreshState");
        QTest::addColumn<double>("refreshed");
        QTest::addColumn<QStringList>("page");  // title, description, refresh message
        QTest::addColumn<QStringList>("shown"); // address, title, description
        const QString stored = QStringLiteral("https://www.Paper.test/");
        const QString shortcut = QStringLiteral("http://Paper.test/");
        QTest::newRow("refreshed page") << 0 << SampleNow - 1 << QStringList{"Daily", "News", ""}
                                        << QStringList{stored, "Daily", "News"};
        QTest::newRow("page without description")
            << 0 << SampleNow - 1 << QStringList{"Daily", "", ""}
            << QStringList{stored, "Daily", "(no Description)"};
        QTest::newRow("never refreshed")
            << 0 << 0.0 << QStringList{"", "", ""}
            << QStringList{stored, "(Title not available)", "(Description not available)"};
        QTest::newRow("refresh reset to 1.0")
            << 0 << 1.0 << QStringList{"", "Old", ""}
            << QStringList{stored, "(Title not available)", "Old"};
        QTest::newRow("failed refresh shows the shortcut's address")
            << -1 << SampleNow - 1 << QStringList{"Daily", "News", "Host not found"}
            << QStringList{shortcut, "*** FAILED ***", "Host not found"};
        QTest::newRow("failed refresh without message stays empty")
            << -1 << SampleNow - 1 << QStringList{"", "", ""}
            << QStringList{shortcut, "*** FAILED ***", ""};
    }

    void elementTexts()
    {
        QFETCH(int, refreshState);
        QFETCH(double, refreshed);
        QFETCH(QStringList, page);
        QFETCH(QStringList, shown);
        ShownBookmark bookmark;
        QVERIFY(bookmark.form.UpdateView()); // first as a good bookmark: colours must change back
        TBookmarkRec &rec = bookmark.Rec();
        std::tie(rec.RefreshState, rec.Refreshed, rec.Title, rec.Descr, rec.RefreshMsg) =
            std::tuple(refreshState, refreshed, page[0], page[1], page[2]);
        QVERIFY(bookmark.form.UpdateView());
        QCOMPARE((QStringList{bookmark.Label(Address)->Caption(), bookmark.Label(Title)->Caption(),
                              bookmark.Label(Description)->Caption()}),
                 shown);
        QCOMPARE(bookmark.Label(Time)->Caption(), ShortDateTimeText(SampleNow - 100));
        QCOMPARE(bookmark.Label(Title)->TextColour(),
                 refreshState < 0 ? QColor(128, 0, 0) : QColor(0, 0, 0));
        // A placeholder is no text of the page: its element has no hint.
        QCOMPARE(bookmark.Label(Title)->toolTip().isEmpty(),
                 page[0].isEmpty() && refreshState >= 0);
    }

    // The elements stack in their order and an empty one takes no room; long texts are cut
    // after their lines, and a name without blanks breaks anywhere rather than running out.
    void layoutAndLongTexts()
    {
        ShownBookmark bookmark(QString(90, u'x'));
        bookmark.Rec().StoredURL = u"https://a.test/"_s + u"a/"_s.repeated(80);
        const auto stacked = [&bookmark] {
            QVERIFY(bookmark.form.UpdateView());
            int y = 28;
            for (int e = 0; e < TBookmarkForm::ElementCount; ++e) {
                QCOMPARE(bookmark.Label(e)->pos(), QPoint(8, y));
                if (!bookmark.Label(e)->Caption().isEmpty())
                    y += bookmark.Label(e)->height() + 4;
            }
            QCOMPARE(bookmark.form.size(), QSize(140, y + 2));
            QCOMPARE(bookmark.Label(Time)->width(), 124); // right-aligned across the full width
        };
        bookmark.Rec().RefreshState = -1; // without a refresh message
        stacked();
        const TUCLabel *name = bookmark.Label(Name);
        QCOMPARE(name->ShownLines().size(), 2);
        for (const QString &line : name->ShownLines())
            QVERIFY(QFontMetrics(name->font()).horizontalAdvance(line) <= 124);
        QCOMPARE(bookmark.Label(Address)->height(), bookmark.Label(Address)->OneLineHeight());
        QVERIFY(bookmark.Label(Address)->ShownLines().constFirst().endsWith(QChar(0x2026)));

        bookmark.Rec().RefreshState = 0;
        bookmark.Rec().Title = u"word "_s.repeated(60);
        stacked();
        const TUCLabel *title = bookmark.Label(Title);
        QCOMPARE(title->height(), title->MaxHeight());
        QVERIFY(title->MaxHeight() >= 3 * title->OneLineHeight() &&
                title->MaxHeight() < 4 * title->OneLineHeight());
        QCOMPARE(title->ShownLines().size(), 3);
        QVERIFY(title->ShownLines().last().endsWith(QChar(0x2026)));
    }

    void pageTextsShowLiterally_data()
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
        QTest::newRow("right-to-left letters stay")
            << QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD")
            << QString::fromUtf16(u"\u05E9\u05DC\u05D5\u05DD");
    }

    void pageTextsShowLiterally()
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

    void suggestOfferedWithASubject()
    {
        ShownBookmark bookmark;
        auto *button = bookmark.form.findChild<QAbstractButton *>(QStringLiteral("SBtSuggest"));
        QAction *item = bookmark.form.findChild<QAction *>(QStringLiteral("PopupLinkSuggest"));
        bookmark.Rec().SubjectPhrase = QStringLiteral("quantum physics");
        bookmark.Rec().Match = QStringLiteral("Quantum physics");
        for (const bool offered : {true, false}) {
            bookmark.Rec().Rating = offered ? 1 : 0;
            QVERIFY(bookmark.form.UpdateView());
            QCOMPARE(button->isHidden(), !offered);
            bookmark.form.ShowLinkMenu(bookmark.Label(Name), QPoint(10, 10));
            QCOMPARE(item->isVisible(), offered);
            bookmark.form.PopupLink()->close();
        }
        QCOMPARE(button->toolTip(), u"Show best link collection about \"Quantum physics\""_s);
    }

    void invalidEntryChangesNothing()
    {
        ShownBookmark bookmark;
        QVERIFY(!TBookmarkForm(nullptr, false).UpdateView());
        QVERIFY(bookmark.form.UpdateView());
        const int height = bookmark.form.height();
        for (const int index : {-1, 1, 1000}) {
            bookmark.form.SetEntry(&bookmark.favorites.List(), index);
            QVERIFY(!bookmark.form.UpdateView());
            QCOMPARE(bookmark.Label(Name)->Caption(), QStringLiteral("Paper"));
            QCOMPARE(bookmark.form.height(), height);
        }
    }

    // Buttons and menu items by name; the remind items remind after the days they name.
    void controlsReportTheirCodes_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("tag");  // what actionRequested carries, if anything
        QTest::addColumn<int>("help"); // what helpRequested carries, if anything
        QTest::addColumn<QString>("caption");
        const std::tuple<QString, int, int> codes[] = {
            {"SBtSuggest", -3, 0},      {"SBtKeep", -1, 0},           {"SBtRemind", 0, 0},
            {"SBtDel", -2, 0},          {"PopupLinkSuggest", -3, 0},  {"PopupLinkKeep", -1, 0},
            {"PopupLinkDelete", -2, 0}, {"PopupLinkHelp", 0, 130},    {"PopupSuggestHelp", 0, 3060},
            {"PopupKeepHelp", 0, 3020}, {"PopupRemindHelp", 0, 3030}, {"PopupDeleteHelp", 0, 3040}};
        for (const auto &[control, tag, help] : codes)
            QTest::newRow(qPrintable(control)) << control << tag << help << QString();
        const std::pair<int, QString> reminds[] = {{1, "Tomorrow"},
                                                   {3, "3 days from now"},
                                                   {7, "A week from now"},
                                                   {30, "This time next month"}};
        for (const QString menu : {"PopupLinkRemind", "PopupRemind"})
            for (int i = 0; i < 4; ++i)
                QTest::newRow(qPrintable(menu + QChar(u'A' + i)))
                    << menu + QChar(u'A' + i) << reminds[i].first << 0 << reminds[i].second;
    }

    void controlsReportTheirCodes()
    {
        QFETCH(QString, control);
        QFETCH(int, tag);
        QFETCH(int, help);
        QFETCH(QString, caption);
        TBookmarkForm form(nullptr, false);
        QSignalSpy actions(&form, &TBookmarkForm::actionRequested);
        QSignalSpy helps(&form, &TBaseForm::helpRequested);
        QSignalSpy opens(&form, &TBookmarkForm::openRequested);
        QObject *object = form.findChild<QObject *>(control);
        QCOMPARE(TagOf(object), tag);
        if (auto *button = qobject_cast<QAbstractButton *>(object))
            button->click();
        else
            qobject_cast<QAction *>(object)->trigger();
        if (!caption.isEmpty())
            QCOMPARE(qobject_cast<QAction *>(object)->text(), caption);
        QCOMPARE(FirstArguments(actions), help ? QList<int>{} : QList<int>{tag});
        QCOMPARE(FirstArguments(helps), help ? QList<int>{help} : QList<int>{});
        QCOMPARE(opens.count(), 0);
    }

    void nameIsClickableWithHoverHighlight()
    {
        ShownBookmark bookmark;
        QVERIFY(bookmark.form.UpdateView());
        QSignalSpy opens(&bookmark.form, &TBookmarkForm::openRequested);
        QSignalSpy help(&bookmark.form, &TBaseForm::helpRequested);
        TUCLabel *name = bookmark.Label(Name);
        QCOMPARE(name->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(bookmark.Label(Address)->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(bookmark.form.PopupLink()->defaultAction()->objectName(),
                 QStringLiteral("PopupLinkOpen"));

        QEvent enter(QEvent::Enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(name, &enter);
        QVERIFY(bookmark.form.HotLabel() == name && name->Highlighted());
        QApplication::sendEvent(name, &leave);
        QVERIFY(!bookmark.form.HotLabel() && !name->Highlighted());

        QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(opens.count(), 1);
        // The link menu opened on the hovered name takes the highlight away.
        QApplication::sendEvent(name, &enter);
        QContextMenuEvent context(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(50, 50));
        QApplication::sendEvent(name, &context);
        QVERIFY(bookmark.form.PopupLink()->isVisible());
        QVERIFY(bookmark.form.PopupLabel() == name && !name->Highlighted());
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

    void fadeLevels_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("stored"); // visible from 1, takes input only at 15
        QTest::newRow("invisible") << 0 << 0;
        QTest::newRow("first step") << 1 << 1;
        QTest::newRow("almost") << 14 << 14;
        QTest::newRow("opaque") << 15 << 15;
        QTest::newRow("below range") << -3 << 0;
        QTest::newRow("above range") << 99 << 15;
    }

    void fadeLevels()
    {
        QFETCH(int, level);
        QFETCH(int, stored);
        TSpeedForm form(nullptr);
        form.SetFadeLevel(15);
        form.SetFadeLevel(level);
        QCOMPARE(form.FadeLevel(), stored);
        QVERIFY(qAbs(form.windowOpacity() - stored * 17 / 255.0) < 0.01);
        QCOMPARE(form.isVisible(), stored > 0);
        QCOMPARE(form.isEnabled(), stored == 15);
    }

    void floatingWindowAndShape()
    {
        TSpeedForm form(nullptr);
        const Qt::WindowFlags flags = form.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags.testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                Qt::WindowDoesNotAcceptFocus));
        QVERIFY(form.testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(!form.isVisible());
        form.SetFadeLevel(15);
        for (const int height : {30, 200, 57}) {
            form.resize(140, height);
            const QRegion mask = form.mask();
            QCOMPARE(mask.boundingRect(), QRect(0, 0, 140, height));
            QVERIFY(!mask.contains(QPoint(0, 0)) && !mask.contains(QPoint(139, height - 1)));
            QVERIFY(mask.contains(QPoint(70, 0)) && mask.contains(QPoint(0, height / 2)));
        }
    }

    void speedBarCommands()
    {
        TSpeedForm form(nullptr);
        QSignalSpy commands(&form, &TSpeedForm::commandRequested);
        const QStringList buttons = {"SBtRefresh", "SBtSetup", "SBtHelp",
                                     "SBtInfo",    "SBtHome",  "SBtQuit"};
        for (int i = 0; i < buttons.size(); ++i) {
            form.findChild<QAbstractButton *>(buttons[i])->click();
            QCOMPARE(commands.at(i).at(0).value<TSpeedForm::Command>(), TSpeedForm::Command(i));
        }
    }
};

QTEST_MAIN(TestBookmarkForm)
#include "test_bookmarkform.moc"
