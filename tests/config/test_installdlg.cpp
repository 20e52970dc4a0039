#include "../store/storefixture.h"
#include "config/aboutdlg.h"
#include "config/installdlg.h"
#include "config/settings.h"
#include "lang/languages.h"
#include "platform/autostart.h"
#include "rowfile.h"
#include "testenv.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
QString text(const InstallDialog &dialog, const char *name)
{
    return dialog.findChild<QLabel *>(name)->text();
}
} // namespace

class TestInstallDlg final : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    ScopedEnv m_config{"XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath("config"))};

  private slots:
    void init()
    {
        QFile::remove(platform::autostartFile());
        QFile::remove(m_dir.filePath("config/Favrake.ini"));
        loadSettings({}, m_dir.filePath("config"));
        languages() = Languages();
    }

    void countsOfAFreshScan_data() { addRowsFromFile(QStringLiteral("config/freshscans.tsv")); }
    void countsOfAFreshScan()
    {
        QFETCH(QStringList, files);
        QFETCH(QByteArray, language);
        QTemporaryDir favorites;
        for (const QString &file : files)
            writeFile(favorites.filePath(file), shortcut("http://a.test/"));
        if (!language.isEmpty()) {
            writeFile(m_dir.filePath("lang/r.lng"), language);
            languages().scan({m_dir.filePath("lang")});
            QVERIFY(languages().setCurrentLanguage("R"));
        }
        settings.favoritesFolder = favorites.path();
        InstallDialog dialog{QIcon()};
        dialog.show();
        QTEST(QStringList({text(dialog, "LblBMCount"), text(dialog, "LblBMCountMsg"),
                           text(dialog, "LblFldCount"), text(dialog, "LblFldCountMsg")}),
              "shown");
        // An empty collection, and no browser found (none offered here): nothing to import.
        QCOMPARE(dialog.findChild<QWidget *>("GrpImport")->isVisible(), files.isEmpty());
        QVERIFY(!dialog.findChild<QPushButton *>("BtnImport")->isEnabled() || !files.isEmpty());
    }

    void firstRun_data() { addRowsFromFile(QStringLiteral("config/firstruns.tsv")); }
    void firstRun()
    {
        QFETCH(QString, how);
        QFETCH(bool, autostart);
        QTemporaryDir favorites;
        settings.favoritesFolder = favorites.path();
        InstallDialog dialog{QIcon()};
        QTimer::singleShot(0, &dialog, [&] {
            QVERIFY(dialog.isVisible());
            auto *box = dialog.findChild<QCheckBox *>("CbxAutostart");
            QVERIFY(box->isChecked()); // offered ticked
            box->setChecked(autostart);
            if (how == u"close")
                dialog.close();
            else
                dialog.findChild<QPushButton *>(how)->click();
        });
        QTEST(dialog.runFirstRun(), "installed");
        QTEST(settings.installed, "installed");
        QCOMPARE(platform::isAutostartEnabled(), autostart && settings.installed);
    }

    // About counts the collection afresh on each show and names the licence.
    void aboutCountsAfresh()
    {
        QTemporaryDir favorites;
        settings.favoritesFolder = favorites.path();
        AboutDialog about{QIcon()};
        about.showAbout();
        writeFile(favorites.filePath("a.url"), shortcut("http://a.test/"));
        about.hide();
        about.showAbout();
        QStringList texts;
        for (const QLabel *label : about.findChildren<QLabel *>())
            texts << label->text();
        const QString shown = texts.join(u'|');
        QVERIFY2(shown.contains(u"1 bookmark in 1 folder"), qPrintable(shown));
        QVERIFY2(shown.contains(u"GNU General Public License, version 3 or") &&
                     shown.contains(u"NO WARRANTY"),
                 qPrintable(shown));
    }
};

QTEST_MAIN(TestInstallDlg)
#include "test_installdlg.moc"
