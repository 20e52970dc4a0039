// The bookmark window: what it shows of a bookmark, and what its buttons, name and menus
// ask for.
#include "app/bookmarkform.h"
#include "app/entrytext.h"
#include "app/mainform.h"
#include "lang/languages.h"
#include "lang/phrases.h"
#include "rowfile.h"
#include "windowfixture.h"

#include <QAbstractButton>
#include <QMenu>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

namespace {
// The day a link's failure began, by name: in the clock's year or the one before.
DateTime day(const QString &name)
{
    const DateTime jan3 = sampleNow - 12;
    return name == u"jan3" ? jan3 : name == u"may3Before" ? jan3 - 245 : 0.0;
}

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
        QList<const TextLabel *> labels = elements();
        std::ranges::sort(labels, {}, [](const TextLabel *label) { return label->y(); });
        QStringList shown;
        for (const TextLabel *label : labels)
            shown << label->caption();
        return shown;
    }
    // The line below the address (no folder, no copies here).
    const TextLabel *verdictLabel() const
    {
        for (const TextLabel *label : form.findChildren<TextLabel *>())
            if (!label->isHidden() && !elements().contains(label))
                return label;
        return nullptr;
    }
    QString verdictLine() const { return verdictLabel() ? verdictLabel()->caption() : QString(); }
    QList<const TextLabel *> elements() const
    {
        QList<const TextLabel *> labels;
        for (int e = 0; e < BookmarkForm::elementCount; ++e)
            labels << form.elementLabel(e);
        return labels;
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
    void initTestCase()
    {
        silenceOffscreenWarnings();
        useLanguage(u"English"_s);
    }
    // A shipped language file, or none for the texts built in.
    static void useLanguage(const QString &name)
    {
        languages() = Languages();
        languages().scan({QStringLiteral(FAVRAKE_SOURCE_LANG_DIR)});
        QVERIFY(name.isEmpty() || languages().setCurrentLanguage(name));
    }

    // Placeholders stand in for what the page lacks. After a failed download the page's
    // texts stay and one line says what went wrong. A link that is never fetched is not
    // checked, whatever an older refresh stored.
    void elementTexts_data() { addRowsFromFile(u"app/elementtexts.tsv"_s); }
    void elementTexts()
    {
        QFETCH(QString, url);
        QFETCH(int, refreshState);
        QFETCH(bool, refreshed);
        QFETCH(QString, page);
        QFETCH(QString, shown);
        const QStringList texts = page.split(u'|'), expected = shown.split(u'|');
        ShownBookmark bookmark;
        BookmarkRec &rec = bookmark.rec();
        std::tie(rec.refreshState, rec.refreshed, rec.title, rec.descr, rec.refreshMsg) =
            std::tuple(refreshState, refreshed ? sampleNow - 1 : 0.0, texts[0], texts[1], texts[2]);
        if (!url.isEmpty())
            std::tie(rec.url, rec.storedUrl, refreshState) = std::tuple(url, QString(), 0);
        QVERIFY(bookmark.form.updateView());
        QStringList captions = bookmark.captions();
        const TextLabel *address = bookmark.showing(captions[1]);
        QCOMPARE(address->shownLines().join(QString()), captions[1]); // none cut at its end
        const QStringList ends = expected[0].split(u'…');
        if (captions[1].startsWith(ends[0]) && captions[1].endsWith(ends.last()))
            captions[1] = expected[0];
        QCOMPARE(captions, QStringList{"Paper"} + expected.mid(0, 3) +
                               QStringList{dateText(sampleNow - 100, true)});
        QCOMPARE(bookmark.verdictLine(), expected[3]);
        const QString full = rec.storedUrl.isEmpty() || refreshState < 0 ? rec.url : rec.storedUrl;
        QCOMPARE(toolTipText(address), full);
        // A placeholder is no text of the page: its element has no hint.
        QCOMPARE(bookmark.showing(expected[1])->toolTip().isEmpty(), texts[0].isEmpty());
    }

    // One line for a link that is not fine: verdict, short cause, number of checks and the
    // first failed one, all in the user's language; never the HTTP client's own words.
    void verdictLine_data() { addRowsFromFile(u"app/verdictlines.tsv"_s); }
    void verdictLine()
    {
        QFETCH(QString, language);
        QFETCH(QString, verdict);
        QFETCH(QString, evidence);
        QFETCH(QString, checks);
        QFETCH(QString, since);
        useLanguage(language);
        ShownBookmark bookmark;
        BookmarkRec &rec = bookmark.rec();
        std::tie(rec.verdict, rec.evidence, rec.history.checks) =
            std::tuple(verdictFromName(verdict), evidence, checks);
        std::tie(rec.history.failSince, rec.history.lastOk) = std::pair(day(since), day(since));
        std::tie(rec.refreshState, rec.refreshMsg) =
            std::tuple(verdict == u"ok" ? 0 : -1, evidence);
        QVERIFY(bookmark.form.updateView());
        useLanguage(u"English"_s);
        QTEST(bookmark.verdictLine(), "line");
    }

    // The address gives way in the middle: the host and the end of the path stay.
    void addressElision_data() { addRowsFromFile(u"app/addresselision.tsv"_s); }
    void addressElision()
    {
        QFETCH(QString, address);
        QTEST(elidedAddress(address, 30, [](const QString &text) { return int(text.size()); }),
              "shown");
    }
    // A panel button's caption: one line while it fits, else two as even as the blanks allow.
    void captionLines_data() { addRowsFromFile(u"app/captionlines.tsv"_s); }
    void captionLines()
    {
        QFETCH(QString, caption);
        QTEST(captionInLines(caption, 14, [](const QString &text) { return int(text.size()); }),
              "shown");
    }
    // A page's text shows as it is, never as markup, and without characters that reorder
    // or hide what is around them.
    void pageTextsShowLiterally_data() { addRowsFromFile(u"app/pagetexts.tsv"_s); }
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

    // Each button, menu item and key asks for its own decision, the remind items for their
    // days; Enter opens, Esc hides, Tab and the arrows go on to the next window; with Ctrl a
    // letter is no key of the window.
    void controlsAskForTheirAction_data() { addRowsFromFile(u"app/controls.tsv"_s); }
    void controlsAskForTheirAction()
    {
        QFETCH(QString, control);
        ShownBookmark bookmark;
        BookmarkForm &form = bookmark.form;
        QVERIFY(form.updateView());
        QStringList heard;
        connect(&form, &BookmarkForm::actionRequested, this,
                [&](int tag) { heard << u"action %1"_s.arg(tag); });
        connect(&form, &BookmarkForm::openRequested, this, [&] { heard << u"open"_s; });
        connect(&form, &BookmarkForm::hideRequested, this, [&] { heard << u"hide"_s; });
        connect(&form, &BookmarkForm::focusStepRequested, this,
                [&](int step) { heard << u"step %1"_s.arg(step); });
        auto *remindMenu = form.findChild<QMenu *>(u"PopupRemind"_s);
        connect(remindMenu, &QMenu::aboutToShow, this, [&] { heard << u"remind menu"_s; });
        QObject *object = form.findChild<QObject *>(control);
        if (auto *button = qobject_cast<QAbstractButton *>(object))
            button->click();
        else if (auto *item = qobject_cast<QAction *>(object))
            item->trigger();
        else
            QTest::keySequence(&form, QKeySequence(control));
        QTEST(heard.join(u", "), "asked");
        remindMenu->close();
    }

    // Every button is named for screen readers in the user's language; the hints name the
    // keys.
    void buttonsNamedWithTheirKeys_data() { addRowsFromFile(u"app/buttonnames.tsv"_s); }
    void buttonsNamedWithTheirKeys()
    {
        QFETCH(QString, language);
        QFETCH(QString, button);
        QFETCH(QString, key);
        QVERIFY(languages().setCurrentLanguage(language));
        BookmarkForm form(nullptr, false);
        MainForm main;
        QVERIFY(languages().applyLanguage());
        languages().translateFloatingForms();
        form.show();
        main.show();
        QVERIFY(languages().setCurrentLanguage(u"English"_s));
        const auto *named = form.findChild<QAbstractButton *>(button);
        QTEST(named->accessibleName(), "name");
        QVERIFY2(named->toolTip().endsWith(key), qPrintable(named->toolTip()));
        for (const QWidget *window : {static_cast<QWidget *>(&form), static_cast<QWidget *>(&main)})
            for (const QAbstractButton *each : window->findChildren<QAbstractButton *>())
                QVERIFY2(!each->isVisibleTo(window) || !each->accessibleName().isEmpty(),
                         qPrintable(each->objectName()));
    }

    // A moved link's new address keeps its host and its end on the card's verdict line, in
    // the line's room; the hint has it whole.
    void movedAddressFits()
    {
        ShownBookmark bookmark;
        const QString to = u"https://www.garden.test/archive/2019/tips/for/the/spring/roses.html"_s;
        std::tie(bookmark.rec().verdict, bookmark.rec().storedUrl) =
            std::tuple(LinkVerdict::Moved, to);
        QVERIFY(bookmark.form.updateView());
        const QString line = bookmark.verdictLine();
        QVERIFY2(line.startsWith(u"Moved to www.garden.test/"_s) && line.contains(u"/…/"_s) &&
                     line.endsWith(u"/roses.html"_s),
                 qPrintable(line));
        const TextLabel *label = bookmark.verdictLabel();
        QCOMPARE(label->shownLines().join(QString()).remove(u' '), QString(line).remove(u' '));
        QVERIFY(label->toolTip().contains(u"/archive/2019/tips/for/the/spring/"_s));
    }
};

QTEST_MAIN(TestBookmarkForm)
#include "test_bookmarkform.moc"
