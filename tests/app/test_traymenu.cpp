// The tray menu: what it offers as it opens, and the language submenu.
#include "../store/storefixture.h"
#include "app/traymenu.h"
#include "config/settings.h"
#include "lang/languages.h"

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
    std::unique_ptr<TTrayMenu> m_tray;

    QAction *Item(const char *name) const { return m_owner->findChild<QAction *>(name); }

  private slots:
    void init()
    {
        Settings = DefaultSettings;
        m_tray.reset();
        m_owner = std::make_unique<QWidget>();
        TTrayMenu::THandlers handlers;
        handlers.MainVisible = [this] { return m_visible; };
        handlers.Language = [this](const QString &caption) { m_log << caption; };
        m_tray = std::make_unique<TTrayMenu>(m_owner.get(), std::move(handlers));
    }

    void openingShowsTheCurrentState_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("pocket");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("shown"); // Show/Hide, the mode switch, the checked sorting
        QTest::newRow("hidden, full mode, oldest first")
            << false << false << 1 << "Show|Switch to pocket mode|PopupSortOldest";
        QTest::newRow("visible, pocket mode, random")
            << true << true << -1 << "Hide|Switch to full mode|PopupSortRandom";
        QTest::newRow("unknown mode checks nothing")
            << false << false << 7 << "Show|Switch to pocket mode|";
    }
    void openingShowsTheCurrentState()
    {
        QFETCH(bool, visible);
        QFETCH(bool, pocket);
        QFETCH(int, mode);
        m_visible = visible;
        std::tie(Settings.PocketView, Settings.SelectionMode) = std::tuple(pocket, mode);
        emit m_tray->Menu()->aboutToShow();
        QStringList shown{Item("PopupTrayShowHide")->text(), Item("PopupTrayPocketMode")->text()};
        QStringList checked;
        for (const char *name :
             {"PopupSortOldest", "PopupSortNewest", "PopupSortRandom", "PopupSortNoSort"})
            if (Item(name)->isChecked())
                checked << name;
        QTEST((shown << checked.join(u' ')).join(u'|'), "shown");
    }

    // A language whose caption the menu gave an "&" is still the current one: choosing it
    // does nothing.
    void languages()
    {
        QVERIFY(!Item("PopupTrayLanguage")->isVisible()); // no languages listed yet
        QTemporaryDir dir;
        WriteFile(dir.filePath("de.lng"), "LanguageName = 'Deutsch'\r\n");
        WriteFile(dir.filePath("fr.lng"), "LanguageName = 'Fran&cais'\r\n");
        Languages() = TLanguages();
        Languages().Scan({dir.path()});
        m_tray->BuildLanguages();
        QMenu *submenu = Item("PopupTrayLanguage")->menu();
        QVERIFY(Item("PopupTrayLanguage")->isVisible());
        QAction *french = submenu->actions().value(0);
        if (french->text() == u"Deutsch")
            french = submenu->actions().value(1);
        Settings.Language = "Francais";
        emit submenu->aboutToShow();
        QVERIFY(french->isChecked());
        french->trigger();
        QVERIFY(m_log.isEmpty());
        Settings.Language = "Deutsch";
        french->trigger();
        QCOMPARE(m_log, QStringList{"Fran&cais"});
        Languages() = TLanguages();
    }
};

QTEST_MAIN(TestTrayMenu)
#include "test_traymenu.moc"
