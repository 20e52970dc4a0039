#include "../store/storefixture.h"
#include "app/traymenu.h"
#include "config/settings.h"
#include "lang/languages.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

class TestTrayMenu final : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void itemsReachTheirCommands();
    void openingShowsTheCurrentState_data();
    void openingShowsTheCurrentState();
    void languages();

  private:
    QAction *Item(const char *name) const { return m_owner->findChild<QAction *>(name); }
    TTrayMenu::THandlers Recording();

    std::unique_ptr<QWidget> m_owner;
    QStringList m_log;
    bool m_visible = false;
};

void TestTrayMenu::init()
{
    m_log.clear();
    Settings = DefaultSettings;
    m_owner = std::make_unique<QWidget>(); // each test's menu alone
}

TTrayMenu::THandlers TestTrayMenu::Recording()
{
    const auto note = [this](const char *what) { return [this, what] { m_log << what; }; };
    TTrayMenu::THandlers handlers;
    handlers.MainVisible = [this] { return m_visible; };
    handlers.SortMode = [this](int mode) { m_log << QStringLiteral("Sort %1").arg(mode); };
    handlers.Refresh = note("Refresh");
    handlers.PocketMode = note("PocketMode");
    handlers.Setup = note("Setup");
    handlers.Help = note("Help");
    handlers.Homepage = note("Homepage");
    handlers.About = note("About");
    handlers.ShowHide = note("ShowHide");
    handlers.Quit = note("Quit");
    handlers.Language = [this](const QString &caption) { m_log << "Language " + caption; };
    return handlers;
}

// Each item reaches its own command.
void TestTrayMenu::itemsReachTheirCommands()
{
    TTrayMenu tray(m_owner.get(), Recording());
    for (const char *name :
         {"PopupSortRandom", "PopupTrayRefresh", "PopupTrayPocketMode", "PopupTraySetup",
          "PopupTrayHelp", "PopupTrayHome", "PopupTrayAbout", "PopupTrayShowHide", "PopupTrayExit"})
        Item(name)->trigger();
    QCOMPARE(m_log, QStringList({"Sort -1", "Refresh", "PocketMode", "Setup", "Help", "Homepage",
                                 "About", "ShowHide", "Quit"}));
    QVERIFY(!Item("PopupTrayLanguage")->isVisible()); // no languages listed yet
}

void TestTrayMenu::openingShowsTheCurrentState_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("pocket");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("showHide");
    QTest::addColumn<QString>("pocketMode");
    QTest::addColumn<QString>("checked");
    QTest::newRow("hidden, full mode, oldest first") << false << false << 1 << "Show"
                                                     << "Switch to Pocket Mode"
                                                     << "PopupSortOldest";
    QTest::newRow("visible, pocket mode, random") << true << true << -1 << "Hide"
                                                  << "Switch to Full Mode"
                                                  << "PopupSortRandom";
    QTest::newRow("unknown mode checks nothing") << false << false << 7 << "Show"
                                                 << "Switch to Pocket Mode"
                                                 << "";
}

void TestTrayMenu::openingShowsTheCurrentState()
{
    QFETCH(bool, visible);
    QFETCH(bool, pocket);
    QFETCH(int, mode);
    TTrayMenu tray(m_owner.get(), Recording());
    m_visible = visible;
    Settings.PocketView = pocket;
    Settings.SelectionMode = mode;
    emit tray.Menu()->aboutToShow();
    QTEST(Item("PopupTrayShowHide")->text(), "showHide");
    QTEST(Item("PopupTrayPocketMode")->text(), "pocketMode");
    QStringList checked;
    for (const char *name :
         {"PopupSortOldest", "PopupSortNewest", "PopupSortRandom", "PopupSortNoSort"})
        if (Item(name)->isChecked())
            checked << name;
    QTEST(checked.join(u' '), "checked");
}

void TestTrayMenu::languages()
{
    QTemporaryDir dir;
    WriteFile(dir.filePath("de.lng"), "LanguageName = 'Deutsch'\r\n");
    WriteFile(dir.filePath("fr.lng"), "LanguageName = 'Fran&cais'\r\n");
    Languages() = TLanguages();
    Languages().Scan({dir.path()});
    TTrayMenu tray(m_owner.get(), Recording());
    tray.BuildLanguages();
    QMenu *submenu = Item("PopupTrayLanguage")->menu();
    QVERIFY(Item("PopupTrayLanguage")->isVisible());
    QCOMPARE(submenu->actions().size(), 2);
    QAction *french = submenu->actions().at(0)->text() == u"Deutsch" ? submenu->actions().at(1)
                                                                     : submenu->actions().at(0);
    Settings.Language = "Francais"; // the item's "&" does not hide the current language
    emit submenu->aboutToShow();
    QVERIFY(french->isChecked());
    french->trigger();
    QVERIFY(m_log.isEmpty()); // already current: nothing happens
    Settings.Language = "Deutsch";
    french->trigger();
    QCOMPARE(m_log, QStringList{"Language Fran&cais"});
    Languages() = TLanguages();
}

QTEST_MAIN(TestTrayMenu)
#include "test_traymenu.moc"
