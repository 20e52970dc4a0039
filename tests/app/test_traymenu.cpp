// The tray menu: what it offers as it opens, the import offers, and the language submenu.
#include "app/collectioncommands.h"
#include "app/traymenu.h"
#include "config/settings.h"
#include "lang/languages.h"
#include "reviewfakes.h"
#include "rowfile.h"
#include "testenv.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TestTrayMenu final : public QObject
{
    Q_OBJECT
    std::unique_ptr<QWidget> m_owner; // each test's menu alone
    QStringList m_log;
    bool m_visible = false;
    std::unique_ptr<TrayMenu> m_tray;

    QAction *item(const char *name) const { return m_owner->findChild<QAction *>(name); }

  private slots:
    void init()
    {
        settings = defaultSettings;
        m_tray.reset();
        m_owner = std::make_unique<QWidget>();
        TrayMenu::Handlers handlers;
        handlers.mainVisible = [this] { return m_visible; };
        handlers.language = [this](const QString &caption) { m_log << caption; };
        m_tray = std::make_unique<TrayMenu>(m_owner.get(), std::move(handlers));
    }

    void openingShowsTheCurrentState_data() { addRowsFromFile(u"app/traystates.tsv"_s); }
    void openingShowsTheCurrentState()
    {
        QFETCH(bool, visible);
        QFETCH(bool, pocket);
        QFETCH(int, mode);
        QFETCH(QString, refresh);
        m_visible = visible;
        std::tie(settings.pocketView, settings.selectionMode) = std::tuple(pocket, mode);
        settings.noNetAccess = refresh.startsWith(u"off");
        emit m_tray->menu()->aboutToShow();
        QStringList shown{item("PopupTrayShowHide")->text(), item("PopupTrayPocketMode")->text()};
        QStringList checked;
        for (const char *name :
             {"PopupSortOldest", "PopupSortNewest", "PopupSortRandom", "PopupSortNoSort"})
            if (item(name)->isChecked())
                checked << name;
        QTEST((shown << checked.join(u' ')).join(u'|'), "shown");
        const QAction *refreshItem = item("PopupTrayRefresh");
        QCOMPARE(QLatin1String(refreshItem->isEnabled() ? "on: " : "off: ") +
                     refreshItem->toolTip(),
                 refresh);
    }

    // "Import bookmarks..." offers every browser profile with bookmarks, with its count, and
    // a file; a choice imports and tells what came of it, copies in several folders too.
    void importOffers()
    {
        ScriptedConfirmer confirmer;
        confirmer.answers = {{true}};
        const QString config = testHomePath() + "/.config/";
        const QByteArray bookmarks = readFile(FAVRAKE_TEST_DATA "/exchange/Bookmarks");
        for (const char *profile : {"Default", "Profile 2"})
            writeFile(config + "chromium/" + profile + "/Bookmarks", bookmarks);
        writeFile(config + "BraveSoftware/Brave-Browser/Default/Bookmarks",
                  QByteArray(bookmarks).replace("https://doc.qt.io/", "https://www.debian.org/"));
        QTemporaryDir favorites;
        const ScopedEnv folder("FAVRAKE_FAVORITES", QFile::encodeName(favorites.path()));
        CollectionCommands commands(confirmer);
        commands.popupImportMenu({});
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QStringList offered;
        for (const QAction *action : menu->actions())
            offered << action->text();
        QCOMPARE(
            offered,
            (QStringList{"Import bookmarks from:", "Chromium, profile \"Default\" (3 bookmarks)",
                         "Chromium, profile \"Profile 2\" (3 bookmarks)", "Brave (3 bookmarks)", "",
                         "a file..."}));
        menu->actions()[3]->trigger();
        menu->close();
        QCOMPARE(confirmer.told.size(), 1);
        QVERIFY2(confirmer.told[0].startsWith("Imported from Brave") &&
                     confirmer.told[0].endsWith("\r\n1 address is saved in more than one folder."),
                 qPrintable(confirmer.told[0]));
    }

    // A language whose caption the menu gave an "&" is still the current one: choosing it
    // does nothing.
    void languages()
    {
        QVERIFY(!item("PopupTrayLanguage")->isVisible()); // no languages listed yet
        QTemporaryDir dir;
        writeFile(dir.filePath("de.lng"), "LanguageName = 'Deutsch'\r\n");
        writeFile(dir.filePath("fr.lng"), "LanguageName = 'Fran&cais'\r\n");
        ::languages() = Languages();
        ::languages().scan({dir.path()});
        m_tray->buildLanguages();
        QMenu *submenu = item("PopupTrayLanguage")->menu();
        QVERIFY(item("PopupTrayLanguage")->isVisible());
        QAction *french = submenu->actions().value(0);
        if (french->text() == u"Deutsch")
            french = submenu->actions().value(1);
        settings.language = "Francais";
        emit submenu->aboutToShow();
        QVERIFY(french->isChecked());
        french->trigger();
        QVERIFY(m_log.isEmpty());
        settings.language = "Deutsch";
        french->trigger();
        QCOMPARE(m_log, QStringList{"Fran&cais"});
        ::languages() = Languages();
    }
};

QTEST_MAIN(TestTrayMenu)
#include "test_traymenu.moc"
