#include "../store/storefixture.h"
#include "config/settings.h"
#include "config/uninstall.h"
#include "platform/autostart.h"
#include "store/bookmarks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {
QByteArray ReadAll(const QString &path)
{
    return ReadFile(path);
}
void Write(const QString &path, const QByteArray &content)
{
    WriteFile(path, content);
}
} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void firstRunLeavesNoFile();
    void savedFileHoldsOnlyChanges_data();
    void savedFileHoldsOnlyChanges();
    void loadingKeepsOddValues();
    void addressesFollowTheLanguage_data();
    void addressesFollowTheLanguage();
    void addressesReadTrimmed();
    void uninstallNeverWrites();
    void uninstallCleansWhatIsThereNow();
    void flagsWrittenAtOnce();
    void noApplicationDataFolder();

  private:
    QString iniPath() const { return m_dir.filePath("Favrake.ini"); }
    QTemporaryDir m_dir;
};

void TestSettings::init()
{
    QFile::remove(iniPath());
    LoadSettings({}, m_dir.path());
}

void TestSettings::firstRunLeavesNoFile()
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

void TestSettings::savedFileHoldsOnlyChanges_data()
{
    QTest::addColumn<int>("remind");
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QByteArray>("config");
    QTest::newRow("defaults") << 7 << QByteArray("English") << QByteArray("Installed=1\r\n");
    QTest::newRow("changed interval")
        << 14 << QByteArray("english") << QByteArray("Installed=1\r\nRemindInterval=14\r\n");
    QTest::newRow("other language")
        << 7 << QByteArray("Deutsch") << QByteArray("Installed=1\r\nLanguage=Deutsch\r\n");
    QTest::newRow("empty language") << 7 << QByteArray("") << QByteArray("Installed=1\r\n");
}

void TestSettings::savedFileHoldsOnlyChanges()
{
    QFETCH(int, remind);
    QFETCH(QByteArray, language);
    QFETCH(QByteArray, config);
    Write(iniPath(), "[FlagsInfo]\r\nMsgA=1\r\n[Config]\r\nRemindInterval=14\r\nNoHints=1\r\n");
    LoadSettings({}, m_dir.path());
    QCOMPARE(Settings.RemindInterval, 14);
    QVERIFY(Settings.NoHints);
    Settings.Installed = true;
    Settings.NoHints = false;
    Settings.RemindInterval = remind;
    Settings.Language = language;
    SaveSettings();
    QCOMPARE(ReadAll(iniPath()), "[FlagsInfo]\r\nMsgA=1\r\n[Config]\r\n" + config);
}

void TestSettings::loadingKeepsOddValues()
{
    Write(iniPath(), "[Config]\nSelectionMode=5\nNoHints=yes\nDontDelete=1\nRefreshInterval=x\n"
                     "Language=\n");
    LoadSettings({}, m_dir.path());
    QCOMPARE(Settings.SelectionMode, 5);
    QCOMPARE(Settings.NoHints, false);
    QCOMPARE(Settings.DontDelete, true);
    QCOMPARE(Settings.RefreshInterval, 30);
    QCOMPARE(Settings.Language, QByteArray());
    QCOMPARE(SettingsIntervals().RefreshInterval, 30);
}

void TestSettings::addressesFollowTheLanguage_data()
{
    QTest::addColumn<QString>("homepage");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QByteArray>("config");
    QTest::newRow("both empty") << QString() << QString() << QByteArray("Installed=1\r\n");
    QTest::newRow("homepage only")
        << QStringLiteral("https://favrake.test/") << QString()
        << QByteArray("Installed=1\r\nLanguage=Deutsch\r\nHomepage=https://favrake.test/\r\n");
    QTest::newRow("server only") << QString() << QStringLiteral("http://links.test/q/")
                                 << QByteArray("Installed=1\r\n"
                                               "Language=Deutsch\r\n"
                                               "SuggestServer=http://"
                                               "links.test/q/\r\n");
    QTest::newRow("local page with umlaut")
        << QStringLiteral("/home/jürgen/start.html") << QStringLiteral("x")
        << QByteArray("Installed=1\r\nLanguage=Deutsch\r\nHomepage=/home/j\xC3\xBCrgen/"
                      "start.html\r\nSuggestServer=x\r\n");
}

// Both addresses are written after the language, each only when set, and read back alike.
void TestSettings::addressesFollowTheLanguage()
{
    QFETCH(QString, homepage);
    QFETCH(QString, server);
    QFETCH(QByteArray, config);
    Write(iniPath(), "[Config]\r\nHomepage=http://old.test/\r\nSuggestServer=http://old.test/\r\n");
    LoadSettings({}, m_dir.path());
    Settings.Installed = true;
    Settings.Language = homepage.isEmpty() && server.isEmpty() ? "English" : "Deutsch";
    Settings.Homepage = homepage;
    Settings.SuggestServer = server;
    SaveSettings();
    QCOMPARE(ReadAll(iniPath()), "[Config]\r\n" + config);
    LoadSettings({}, m_dir.path());
    QCOMPARE(Settings.Homepage, homepage);
    QCOMPARE(Settings.SuggestServer, server);
}

void TestSettings::addressesReadTrimmed()
{
    QCOMPARE(Settings.Homepage, QString());
    QCOMPARE(Settings.SuggestServer, QString());
    Write(iniPath(), "[Config]\nhomepage =  http://a.test/?x=1;y \nSuggestServer=\n");
    LoadSettings({}, m_dir.path());
    QCOMPARE(Settings.Homepage, QStringLiteral("http://a.test/?x=1;y"));
    QCOMPARE(Settings.SuggestServer, QString());
}

void TestSettings::uninstallNeverWrites()
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

void TestSettings::uninstallCleansWhatIsThereNow()
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

void TestSettings::flagsWrittenAtOnce()
{
    QVERIFY(!FlagsExist(FlagInfo));
    QVERIFY(WriteFlag(FlagInfo, "NothingToDo", true));
    QVERIFY(ReadFlag(FlagInfo, "nothingtodo", false));
    QVERIFY(!ReadFlag(FlagConfirm, "NothingToDo", false));
    QVERIFY(FlagsExist(FlagInfo));
    QVERIFY(ClearFlags(FlagInfo));
    QVERIFY(!FlagsExist(FlagInfo));
}

void TestSettings::noApplicationDataFolder()
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
    QVERIFY(!flagWritten);
    QVERIFY(!deleted);
    QCOMPARE(left, QStringList());
    QCOMPARE(Settings.RemindInterval, DefaultSettings.RemindInterval);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
