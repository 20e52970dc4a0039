#include "../store/storefixture.h"
#include "config/settings.h"
#include "config/uninstall.h"
#include "platform/autostart.h"
#include "store/bookmarks.h"

#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

class TestSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath("Favrake.ini"); }
    void Load(const QByteArray &content)
    {
        WriteFile(iniPath(), content);
        LoadSettings({}, m_dir.path());
    }

  private slots:
    void init()
    {
        QFile::remove(iniPath());
        LoadSettings({}, m_dir.path());
    }

    void firstRunLeavesNoFile()
    {
        QCOMPARE(SettingsFile(), iniPath());
        QVERIFY(!Settings.Installed);
        Settings.RemindInterval = 14;
        SaveSettings();
        QVERIFY(!QFile::exists(iniPath()));
        Settings.Installed = true;
        DisableSaving();
        SaveSettings();
        QVERIFY(!QFile::exists(iniPath()));
    }

    // Only what differs from the defaults is written; both addresses follow the language.
    void saveWritesOnlyChanges_data()
    {
        QTest::addColumn<int>("remind");
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("homepage");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QByteArray>("config");
        QTest::newRow("defaults") << 7 << QByteArray("English") << ""
                                  << "" << QByteArray();
        QTest::newRow("changed interval") << 14 << QByteArray("english") << ""
                                          << "" << QByteArray("RemindInterval=14\r\n");
        QTest::newRow("other language") << 7 << QByteArray("Deutsch") << ""
                                        << "" << QByteArray("Language=Deutsch\r\n");
        QTest::newRow("empty language") << 7 << QByteArray("") << ""
                                        << "" << QByteArray();
        QTest::newRow("homepage only")
            << 7 << QByteArray("Deutsch") << "https://favrake.test/"
            << "" << QByteArray("Language=Deutsch\r\nHomepage=https://favrake.test/\r\n");
        QTest::newRow("server only") << 7 << QByteArray("Deutsch") << ""
                                     << "http://links.test/q/"
                                     << QByteArray("Language=Deutsch\r\n"
                                                   "SuggestServer=http://links.test/q/\r\n");
        QTest::newRow("local page with umlaut")
            << 7 << QByteArray("Deutsch") << "/home/jürgen/start.html"
            << "x"
            << QByteArray("Language=Deutsch\r\nHomepage=/home/j\xC3\xBCrgen/"
                          "start.html\r\nSuggestServer=x\r\n");
    }
    void saveWritesOnlyChanges()
    {
        QFETCH(int, remind);
        QFETCH(QByteArray, language);
        QFETCH(QString, homepage);
        QFETCH(QString, server);
        Load("[FlagsInfo]\r\nMsgA=1\r\n[Config]\r\nRemindInterval=14\r\nNoHints=1\r\n"
             "Homepage=http://old.test/\r\nSuggestServer=http://old.test/\r\n");
        QVERIFY(Settings.RemindInterval == 14 && Settings.NoHints);
        Settings.Installed = true;
        Settings.NoHints = false;
        Settings.RemindInterval = remind;
        Settings.Language = language;
        Settings.Homepage = homepage;
        Settings.SuggestServer = server;
        SaveSettings();
        QFETCH(QByteArray, config);
        QCOMPARE(ReadFile(iniPath()),
                 "[FlagsInfo]\r\nMsgA=1\r\n[Config]\r\nInstalled=1\r\n" + config);
        LoadSettings({}, m_dir.path());
        QCOMPARE(Settings.Homepage, homepage);
        QCOMPARE(Settings.SuggestServer, server);
    }

    void loadingKeepsOddValues()
    {
        Load("[Config]\nSelectionMode=5\nNoHints=yes\nDontDelete=1\nRefreshInterval=x\n"
             "Language=\nhomepage =  http://a.test/?x=1;y \nSuggestServer=\n");
        QCOMPARE(Settings.SelectionMode, 5);
        QCOMPARE(Settings.NoHints, false);
        QCOMPARE(Settings.DontDelete, true);
        QCOMPARE(Settings.RefreshInterval, 30);
        QCOMPARE(Settings.Language, QByteArray());
        QCOMPARE(SettingsIntervals().RefreshInterval, 30);
        QCOMPARE(Settings.Homepage, "http://a.test/?x=1;y");
        QCOMPARE(Settings.SuggestServer, QString());
    }

    void uninstallNeverWrites()
    {
        LoadSettings({"/UNINSTALL"}, m_dir.path());
        Settings.Installed = true;
        SaveSettings();
        QVERIFY(!QFile::exists(iniPath()));

        LoadSettings({}, m_dir.path());
        QVERIFY(WriteFlag(FlagConfirm, "AskDelete", true));
        QVERIFY(DeleteSettingsFile());
        QVERIFY(!QFile::exists(iniPath()));
        QVERIFY(!WriteFlag(FlagInfo, "Later", true)); // nothing brings the file back
        Settings.Installed = true;
        SaveSettings();
        QVERIFY(!QFile::exists(iniPath()));
    }

    void uninstallCleansWhatIsThereNow()
    {
        QTemporaryDir favorites;
        const QString a = favorites.filePath("a.url"), b = favorites.filePath("News/b.url");
        const QByteArray state = "[Merkwerk]\r\nRating=1\r\n";
        WriteFile(a, Shortcut("http://a.test/", state));
        Settings.Installed = true;
        SaveSettings();
        QVERIFY(QFile::exists(iniPath()));
        TBookmarks list(favorites.path());
        list.Load();
        WriteFile(b, Shortcut("http://b.test/", state)); // added after the list was read
        const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
        QVERIFY(platform::SetAutostart(true, "/usr/bin/favrake"));

        QCOMPARE(UninstallCleanup(list), QStringList());
        QVERIFY(!QFile::exists(platform::AutostartFile()));
        qputenv("XDG_CONFIG_HOME", savedConfig);
        QCOMPARE(ReadFile(a), Shortcut("http://a.test/"));
        QCOMPARE(ReadFile(b), Shortcut("http://b.test/"));
        QVERIFY(!QFile::exists(iniPath()));
        SaveSettings();
        QVERIFY(!QFile::exists(iniPath()));

        WriteFile(a, Shortcut("http://a.test/", state));
        QVERIFY(QFile::setPermissions(a, QFileDevice::ReadOwner));
        if (::geteuid() != 0) // root writes anyway
            QCOMPARE(UninstallCleanup(list), QStringList{a});
    }

    void flagsWrittenAtOnce()
    {
        QVERIFY(!FlagsExist(FlagInfo));
        QVERIFY(WriteFlag(FlagInfo, "NothingToDo", true));
        QVERIFY(ReadFlag(FlagInfo, "nothingtodo", false));
        QVERIFY(!ReadFlag(FlagConfirm, "NothingToDo", false));
        QVERIFY(FlagsExist(FlagInfo));
        QVERIFY(ClearFlags(FlagInfo));
        QVERIFY(!FlagsExist(FlagInfo));
    }

    void noApplicationDataFolder()
    {
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        LoadSettings({}, QString());
        Settings.Installed = true;
        SaveSettings();
        const bool flagWritten = WriteFlag(FlagInfo, "X", true);
        const bool deleted = DeleteSettingsFile();
        const QStringList left = QDir(m_dir.path()).entryList(QDir::Files);
        QVERIFY(QDir::setCurrent(cwd));
        QVERIFY(!flagWritten && !deleted);
        QCOMPARE(left, QStringList());
        QCOMPARE(Settings.RemindInterval, DefaultSettings.RemindInterval);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
