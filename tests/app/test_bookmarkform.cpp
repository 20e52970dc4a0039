// The bookmark window: what it shows of a bookmark, and what its buttons, name and menus
// ask for.
#include "app/bookmarkform.h"
#include "lang/phrases.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QMenu>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

namespace {
// A bookmark window showing the one bookmark of favorites.
struct ShownBookmark
{
    explicit ShownBookmark(const QString &name = u"Paper"_s) : name(name), favorites({name})
    {
        form.setEntry(&favorites.list(), 0);
    }
    BookmarkRec &rec() { return favorites.rec(name); }
    // What the window shows of the bookmark, top to bottom: name, address, title,
    // description, date.
    QStringList captions() const
    {
        QList<const TextLabel *> labels;
        for (int e = 0; e < BookmarkForm::elementCount; ++e)
            labels << form.elementLabel(e);
        std::ranges::sort(labels, {}, [](const TextLabel *label) { return label->y(); });
        QStringList shown;
        for (const TextLabel *label : labels)
            shown << label->caption();
        return shown;
    }
    const TextLabel *showing(const QString &caption) const
    {
        for (int e = 0; e < BookmarkForm::elementCount; ++e)
            if (form.elementLabel(e)->caption() == caption)
                return form.elementLabel(e);
        return nullptr;
    }

    QString name;
    SampleFavorites favorites;
    BookmarkForm form{nullptr, false};
};
} // namespace

class TestBookmarkForm : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { silenceOffscreenWarnings(); }

    // Placeholders stand in for what the page lacks; a failed refresh shows in maroon. A link
    // that is never fetched is not checked, whatever an older refresh stored.
    void elementTexts_data()
    {
        QTest::addColumn<QString>("url"); // empty: the sample's
        QTest::addColumn<int>("refreshState");
        QTest::addColumn<double>("refreshed");
        QTest::addColumn<QStringList>("page");  // title, description, refresh message
        QTest::addColumn<QStringList>("shown"); // address, title, description
        const QString stored = u"https://www.Paper.test/"_s;
        const QString shortcut = u"http://Paper.test/"_s;
        QTest::newRow("refreshed page")
            << QString() << 0 << sampleNow - 1 << QStringList{"Daily", "News", ""}
            << QStringList{stored, "Daily", "News"};
        QTest::newRow("page without description")
            << QString() << 0 << sampleNow - 1 << QStringList{"Daily", "", ""}
            << QStringList{stored, "Daily", "(no description)"};
        QTest::newRow("never refreshed")
            << QString() << 0 << 0.0 << QStringList{"", "", ""}
            << QStringList{stored, "(title not available)", "(description not available)"};
        // A failed refresh shows the shortcut's address and a short cause.
        const std::pair<const char *, const char *> failures[] = {
            {"Could not resolve host: gone.invalid", "Server not found"},
            {"HTTP/1.1 404 Not Found", "Page not found (404)"},
            {"HTTP/2 503", "The server answered with error 503"},
            {"Failed to connect to 127.0.0.1 port 9 after 0 ms: Connection refused",
             "Connection refused"},
            {"Operation timed out after 15001 milliseconds with 0 bytes received",
             "No answer (timed out)"},
            {"SSL certificate problem: self-signed certificate", "Certificate refused"},
            {"Something else entirely", "Could not be loaded"}};
        for (const auto &[message, cause] : failures)
            QTest::newRow(message)
                << QString() << -1 << sampleNow - 1 << QStringList{"Daily", "News", message}
                << QStringList{shortcut, "Download failed", cause};
        QTest::newRow("ftp, failed before")
            << u"ftp://files.Paper.test/"_s << -1 << sampleNow - 1
            << QStringList{"", "", "Cannot fetch a \"ftp\" address"}
            << QStringList{u"ftp://files.Paper.test/"_s, "(title not available)",
                           "(description not available)"};
    }
    void elementTexts()
    {
        QFETCH(QString, url);
        QFETCH(int, refreshState);
        QFETCH(double, refreshed);
        QFETCH(QStringList, page);
        QFETCH(QStringList, shown);
        ShownBookmark bookmark;
        QVERIFY(bookmark.form.updateView()); // first as a good bookmark: colours must change back
        BookmarkRec &rec = bookmark.rec();
        std::tie(rec.refreshState, rec.refreshed, rec.title, rec.descr, rec.refreshMsg) =
            std::tuple(refreshState, refreshed, page[0], page[1], page[2]);
        const bool checked = url.isEmpty();
        if (!checked)
            std::tie(rec.url, rec.storedUrl, refreshState) = std::tuple(url, QString(), 0);
        QVERIFY(bookmark.form.updateView());
        QStringList notes;
        for (const TextLabel *label : bookmark.form.findChildren<TextLabel *>())
            notes << label->caption();
        QCOMPARE(notes.contains(u"not checked (ftp)"_s), !checked);
        QCOMPARE(bookmark.captions(),
                 QStringList{"Paper"} + shown + QStringList{dateText(sampleNow - 100, true)});
        const TextLabel *title = bookmark.showing(shown[1]);
        QCOMPARE(title->textColour(), refreshState < 0 ? QColor(128, 0, 0) : QColor(0, 0, 0));
        if (refreshState < 0) // the HTTP client's words stay at hand
            QVERIFY(bookmark.showing(shown[2])->toolTip().contains(page[2]));
        // A placeholder is no text of the page: its element has no hint.
        QCOMPARE(title->toolTip().isEmpty(), page[0].isEmpty() && refreshState >= 0);
    }

    // A page's text shows as it is, never as markup, and without characters that reorder
    // or hide what is around them.
    void pageTextsShowLiterally_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("markup") << "<b>Big</b> deal"
                                << "<b>Big</b> deal";
        QTest::newRow("ampersands") << "Tom & Jerry && co"
                                    << "Tom & Jerry && co";
        QTest::newRow("direction overrides and marks")
            << QString::fromUtf16(u"\u202Aa\u202Bb\u202Cc\u202Ed\u2066e\u2067f\u2069\u200Eg\u200Fh")
            << "abcdefgh";
        QTest::newRow("control characters")
            << QString(u'a') + QChar(0) + u'b' + QChar(0x9B) + u'c' + QChar(0x7F) + u'd'
            << "a b c d";
        QTest::newRow("line breaks and tabs") << "one\r\ntwo\tthree"
                                              << "one  two three";
    }
    void pageTextsShowLiterally()
    {
        QFETCH(QString, title);
        QFETCH(QString, shown);
        ShownBookmark bookmark;
        bookmark.rec().title = title;
        QVERIFY(bookmark.form.updateView());
        QCOMPARE(bookmark.captions().value(2), shown);
        QCOMPARE(toolTipText(bookmark.showing(shown)), shown);
        QCOMPARE(bookmark.showing(shown)->shownLines(), QStringList{shown});
    }

    // A name without blanks breaks anywhere rather than running out of the window.
    void longNameStaysInside()
    {
        ShownBookmark bookmark(QString(90, u'x'));
        QVERIFY(bookmark.form.updateView());
        const TextLabel *name = bookmark.showing(QString(90, u'x'));
        QVERIFY(name->shownLines().size() > 1);
        for (const QString &line : name->shownLines())
            QVERIFY(QFontMetrics(name->font()).horizontalAdvance(line) <= name->width());
        QVERIFY(name->geometry().right() < bookmark.form.width());
    }

    void invalidEntryChangesNothing()
    {
        ShownBookmark bookmark;
        QVERIFY(!BookmarkForm(nullptr, false).updateView());
        QVERIFY(bookmark.form.updateView());
        for (const int index : {-1, 1, 1000}) {
            bookmark.form.setEntry(&bookmark.favorites.list(), index);
            QVERIFY(!bookmark.form.updateView());
            QCOMPARE(bookmark.captions().value(0), u"Paper"_s);
        }
    }

    // Each button and menu item asks for its own decision; the remind items for their days.
    void controlsAskForTheirDecision_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("tag");
        const std::pair<const char *, int> codes[] = {
            {"SBtSuggest", -3},      {"SBtKeep", -1},          {"SBtRemind", 0},
            {"SBtDel", -2},          {"PopupLinkSuggest", -3}, {"PopupLinkKeep", -1},
            {"PopupLinkDelete", -2}, {"PopupLinkRemindA", 1},  {"PopupLinkRemindD", 30},
            {"PopupRemindB", 3},     {"PopupRemindC", 7}};
        for (const auto &[control, tag] : codes)
            QTest::newRow(control) << QString::fromLatin1(control) << tag;
    }
    void controlsAskForTheirDecision()
    {
        QFETCH(QString, control);
        QFETCH(int, tag);
        BookmarkForm form(nullptr, false);
        QSignalSpy actions(&form, &BookmarkForm::actionRequested);
        QObject *object = form.findChild<QObject *>(control);
        if (auto *button = qobject_cast<QAbstractButton *>(object))
            button->click();
        else
            qobject_cast<QAction *>(object)->trigger();
        QCOMPARE(actions, (QList<QList<QVariant>>{{tag}}));
    }
};

QTEST_MAIN(TestBookmarkForm)
#include "test_bookmarkform.moc"
