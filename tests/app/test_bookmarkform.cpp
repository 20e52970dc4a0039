// The bookmark window: what it shows of a bookmark, and what its buttons, name and menus
// ask for.
#include "app/bookmarkform.h"
#include "app/entrytext.h"
#include "app/mainform.h"
#include "lang/languages.h"
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
        QList<const TextLabel *> labels = elements();
        std::ranges::sort(labels, {}, [](const TextLabel *label) { return label->y(); });
        QStringList shown;
        for (const TextLabel *label : labels)
            shown << label->caption();
        return shown;
    }
    // The line below the address (no folder, no copies here).
    QString verdictLine() const
    {
        for (const TextLabel *label : form.findChildren<TextLabel *>())
            if (!label->isHidden() && !elements().contains(label))
                return label->caption();
        return QString();
    }
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
    void elementTexts_data()
    {
        QTest::addColumn<QString>("url"); // empty: the sample's
        QTest::addColumn<int>("refreshState");
        QTest::addColumn<double>("refreshed");
        QTest::addColumn<QString>("page");  // title|description|refresh message
        QTest::addColumn<QString>("shown"); // address|title|description|verdict line
        const auto row = [](const char *name, const QString &url, int state, double refreshed,
                            const char *page, const QString &shown) {
            QTest::newRow(name) << url << state << refreshed << QString::fromLatin1(page) << shown;
        };
        const QString none = u"|(title not available)|(description not available)|"_s;
        row("refreshed page", {}, 0, sampleNow - 1, "Daily|News|",
            u"www.Paper.test/|Daily|News|"_s);
        row("page without description", {}, 0, sampleNow - 1, "Daily||",
            u"www.Paper.test/|Daily|(no description)|"_s);
        row("never refreshed", {}, 0, 0.0, "||", u"www.Paper.test/"_s + none);
        // A long address keeps its host and its end (what lies between depends on the font).
        row("long address",
            u"http://www.Paper.test/archive/2004/01/the/town/hall/and/its/long/history/"
            "in/many/parts/index.html"_s,
            0, sampleNow - 1, "Daily|News|", u"www.Paper.test/…/index.html|Daily|News|"_s);
        row("failed download: the shortcut's address, the page's texts, the cause", {}, -1,
            sampleNow - 1, "Daily|News|Could not resolve host: gone.invalid",
            u"Paper.test/|Daily|News|Download failed: Server not found"_s);
        row("ftp, failed before", u"ftp://files.Paper.test/"_s, -1, sampleNow - 1,
            "||Cannot fetch a \"ftp\" address",
            u"ftp://files.Paper.test/"_s + none.chopped(1) + u"|not checked (ftp)"_s);
    }
    void elementTexts()
    {
        QFETCH(QString, url);
        QFETCH(int, refreshState);
        QFETCH(double, refreshed);
        QFETCH(QString, page);
        QFETCH(QString, shown);
        const QStringList texts = page.split(u'|'), expected = shown.split(u'|');
        ShownBookmark bookmark;
        BookmarkRec &rec = bookmark.rec();
        std::tie(rec.refreshState, rec.refreshed, rec.title, rec.descr, rec.refreshMsg) =
            std::tuple(refreshState, refreshed, texts[0], texts[1], texts[2]);
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
    void verdictLine_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("evidence");
        QTest::addColumn<QString>("checks");
        QTest::addColumn<double>("since");
        QTest::addColumn<QString>("line");
        const double jan3 = sampleNow - 12; // the year of the clock: without the year
        const double may3Before = jan3 - 245;
        const auto row = [&](const char *name, const char *language, LinkVerdict verdict,
                             const char *evidence, const char *checks, double since,
                             const QString &line) {
            QTest::newRow(name) << QString::fromLatin1(language) << int(verdict)
                                << QString::fromUtf8(evidence) << QString::fromLatin1(checks)
                                << since << line;
        };
        const auto gone = LinkVerdict::Gone;
        const auto failing = LinkVerdict::Failing;
        const auto unreachable = LinkVerdict::Unreachable;
        const char *refused = "Failed to connect to 127.0.0.2 port 9 after 0 ms: Couldn't connect "
                              "to server";
        row("gone, German", "Deutsch", gone, "HTTP/1.1 404 Not Found", "GGO", may3Before,
            u"Gelöscht: 404 bei 2 Prüfungen seit 3. Mai 2003"_s);
        row("gone, one check, German", "Deutsch", gone, "HTTP/2 410", "GO", jan3,
            u"Gelöscht: 410 bei 1 Prüfung seit 3. Jan."_s);
        row("gone, English", "English", gone, "HTTP/1.1 404 Not Found", "GG", jan3,
            u"Gone: 404 on 2 checks since 3 Jan"_s);
        row("gone, another page for any address", "English", gone, "https://paper.test/", "SS",
            may3Before, u"Gone: Another page comes on 2 checks since 3 May 2003"_s);
        row("failing, one check, refused", "English", failing, refused, "TO", jan3,
            u"Failing: Connection refused on 1 check since 3 Jan"_s);
        row("failing, one check, no language file", "", failing, "HTTP/1.1 404", "T", jan3,
            u"Failing: 404 on 1 check since 3 Jan"_s);
        row("failing, refused, German", "Deutsch", failing, refused, "TT", jan3,
            u"Fehlerhaft: Verbindung abgelehnt bei 2 Prüfungen seit 3. Jan."_s);
        row("failing, name not found, German", "Deutsch", failing,
            "Could not resolve host: paper.test", "T", jan3,
            u"Fehlerhaft: Server nicht gefunden bei 1 Prüfung seit 3. Jan."_s);
        row("failing, timed out", "English", failing,
            "Connection timed out after 15000 milliseconds", "TT", jan3,
            u"Failing: No answer (timed out) on 2 checks since 3 Jan"_s);
        row("unreachable, certificate", "English", unreachable,
            "SSL certificate problem: self-signed certificate", "CCCCC", may3Before,
            u"Unreachable: Certificate refused on 5 checks since 3 May 2003"_s);
        row("unreachable, connection reset, German", "Deutsch", unreachable,
            "Recv failure: Connection reset by peer", "TTTTT", jan3,
            u"Nicht erreichbar: Verbindung abgebrochen bei 5 Prüfungen seit 3. Jan."_s);
        row("unreachable, no route", "English", unreachable,
            "Failed to connect to 10.0.0.1 port 80 after 3 ms: No route to host", "TTTT", jan3,
            u"Unreachable: Network unreachable on 4 checks since 3 Jan"_s);
        row("blocked, worked before, German", "Deutsch", LinkVerdict::Blocked, "HTTP/1.1 403", "BO",
            jan3, u"Vom Bot-Schutz der Seite abgewiesen — zuletzt erreichbar am 3. Jan."_s);
        // Without a verdict the download's own failure shows, as short.
        row("no verdict, page not found", "English", LinkVerdict::None, "HTTP/1.1 404 Not Found",
            "", 0, u"Download failed: Page not found (404)"_s);
        row("no verdict, anything else, German", "Deutsch", LinkVerdict::None,
            "Something else entirely", "", 0,
            u"Laden fehlgeschlagen: Konnte nicht geladen werden"_s);
        row("ok", "English", LinkVerdict::Ok, "", "O", 0, QString());
    }
    void verdictLine()
    {
        QFETCH(QString, language);
        QFETCH(int, verdict);
        QFETCH(QString, evidence);
        QFETCH(QString, checks);
        QFETCH(double, since);
        useLanguage(language);
        ShownBookmark bookmark;
        BookmarkRec &rec = bookmark.rec();
        std::tie(rec.verdict, rec.evidence, rec.history.checks) =
            std::tuple(LinkVerdict(verdict), evidence, checks);
        std::tie(rec.history.failSince, rec.history.lastOk) = std::tuple(since, since);
        std::tie(rec.refreshState, rec.refreshMsg) =
            std::tuple(verdict == int(LinkVerdict::Ok) ? 0 : -1, evidence);
        QVERIFY(bookmark.form.updateView());
        useLanguage(u"English"_s);
        QTEST(bookmark.verdictLine(), "line");
    }

    // The address gives way in the middle: the host and the end of the path stay.
    void addressElision_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("shown"); // in 30 characters
        QTest::newRow("short address") << "https://paper.test/"
                                       << "paper.test/";
        QTest::newRow("long path, with the port")
            << "http://127.0.0.1:18457/docs/library/3.12/python.html"
            << u"127.0.0.1:18457/…/python.html"_s;
        QTest::newRow("as much of the path as fits")
            << "http://docs.test/a/b/c/tut/classes.html" << u"docs.test/…/c/tut/classes.html"_s;
        QTest::newRow("long host: its middle goes")
            << "https://a-very-long-subdomain.of.some-example-host.test/page"
            << u"a-very-long-…le-host.test/page"_s;
        QTest::newRow("long query: its end goes")
            << "https://shop.test/search?q=very+long+query+words&page=2"
            << u"shop.test/search?q=very+long+…"_s;
        QTest::newRow("trailing slash") << "https://paper.test/news/2024/05/03/town-hall/"
                                        << u"paper.test/…/05/03/town-hall/"_s;
        QTest::newRow("other schemes stay") << "ftp://files.test/pub/f.zip"
                                            << "ftp://files.test/pub/f.zip";
    }
    void addressElision()
    {
        QFETCH(QString, address);
        QTEST(elidedAddress(address, 30, [](const QString &text) { return int(text.size()); }),
              "shown");
    }
    // A panel button's caption: one line while it fits, else two as even as the blanks allow.
    void captionLines_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown"); // in 14 characters
        QTest::newRow("fits") << "Nothing to do."
                              << "Nothing to do.";
        QTest::newRow("two lines, evenly") << "Show put-back bookmarks"
                                           << "Show put-back\nbookmarks";
        QTest::newRow("German") << "Zurückgelegte Lesezeichen zeigen"
                                << "Zurückgelegte\nLesezeichen zeigen";
        QTest::newRow("one long word stays") << "Lesezeichenliste"
                                             << "Lesezeichenliste";
        QTest::newRow("the translator's break stays") << "Show\nput-back"
                                                      << "Show\nput-back";
    }
    void captionLines()
    {
        QFETCH(QString, caption);
        QTEST(captionInLines(caption, 14, [](const QString &text) { return int(text.size()); }),
              "shown");
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

    // Each button, menu item and key asks for its own decision, the remind items for their
    // days; Enter opens, Esc hides, Tab and the arrows go on to the next window; with Ctrl a
    // letter is no key of the window.
    void controlsAskForTheirAction_data()
    {
        QTest::addColumn<QString>("control"); // an object's name, or keys
        QTest::addColumn<QString>("asked");
        const QString controls =
            u"SBtSuggest:action -3;SBtKeep:action -1;SBtRemind:action 0;SBtDel:action -2;"
            "PopupLinkSuggest:action -3;PopupLinkKeep:action -1;PopupLinkDelete:action -2;"
            "PopupLinkRemindA:action 1;PopupLinkRemindD:action 30;PopupRemindB:action 3;"
            "PopupRemindC:action 7;K:action -1;Shift+K:action -1;Ctrl+K:;Del:action -2;"
            "R:remind menu;Return:open;Num+Enter:open;Esc:hide;Tab:step 1;"
            "Shift+Backtab:step -1;Down:step 1;Up:step -1;X:"_s;
        for (const QString &control : controls.split(u';'))
            QTest::newRow(qPrintable(control.section(u':', 0, 0)))
                << control.section(u':', 0, 0) << control.section(u':', 1);
    }
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
    void buttonsNamedWithTheirKeys_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key"); // at the end of the hint
        const auto row = [](const char *language, const char *button, const QString &name,
                            const QString &key) {
            QTest::newRow(qPrintable(u"%1 %2"_s.arg(button, language)))
                << QString::fromLatin1(language) << QString::fromLatin1(button) << name << key;
        };
        row("English", "SBtKeep", u"Keep this bookmark for good"_s, u"(K)"_s);
        row("English", "SBtRemind", u"Put this back and remind me again in a few days"_s,
            u"(R: choose when)"_s);
        row("English", "SBtDel", u"Delete this bookmark for good"_s, u"(Del)"_s);
        row("English", "SBtDeleteCopy", u"Delete this copy"_s, u"trash"_s);
        row("Deutsch", "SBtKeep", u"Für immer behalten!"_s, u"(K)"_s);
        row("Deutsch", "SBtRemind", u"Zurücklegen und in ein paar Tagen wieder erinnern!"_s,
            u"(R: Zeitpunkt wählen)"_s);
        row("Deutsch", "SBtDel", u"Dieses Lesezeichen endgültig löschen!"_s, u"(Entf)"_s);
        row("Deutsch", "SBtDeleteCopy", u"Diese Kopie löschen"_s, u"Papierkorb verschieben"_s);
    }
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
        for (const TextLabel *label : bookmark.form.findChildren<TextLabel *>()) {
            if (label->caption() != line)
                continue;
            QCOMPARE(label->shownLines().join(QString()).remove(u' '), QString(line).remove(u' '));
            QVERIFY(label->toolTip().contains(u"/archive/2019/tips/for/the/spring/"_s));
        }
    }
};

QTEST_MAIN(TestBookmarkForm)
#include "test_bookmarkform.moc"
