#include "../store/storefixture.h"
#include "config/settings.h"
#include "config/uninstall.h"
#include "platform/autostart.h"
#include "platform/folders.h"
#include "store/bookmarks.h"
#include "testenv.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString iniPath() const { return m_dir.filePath("Favrake.ini"); }
    void load(const QByteArray &content)
    {
        WriteFile(iniPath(), content);
        LoadSettings({}, m_dir.path());
    }

  private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        LoadSettings({}, m_dir.path());
    }

    // Nothing is written before the user started the program, nor after saving was switched
    // off; without a configuration folder nothing is written anywhere.
    void savedOnlyWhenInstalled()
    {
        QCOMPARE(SettingsFile(), iniPath());
        Settings.RemindInterval = 14;
        QCOMPARE(SaveSettings(), QString());
        Settings.Installed = true;
        DisableSaving();
        QCOMPARE(SaveSettings(), QString());
        QVERIFY(!QFile::exists(iniPath()));
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        LoadSettings({}, QString());
        Settings.Installed = true;
        SaveSettings();
        const bool written = WriteFlag(FlagInfo, "X", true) || DeleteSettingsFile();
        const QStringList left = QDir(m_dir.path()).entryList(QDir::Files);
        QVERIFY(QDir::setCurrent(cwd));
        QVERIFY(!written && left.isEmpty());
    }

    // Only what differs from the defaults is written; both addresses follow the language.
    void saveWritesOnlyChanges_data()
    {
        QTest::addColumn<int>("remind");
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("homepage");
        QTest::addColumn<QByteArray>("config");
        const auto row = [](const char *name, int remind, const QByteArray &language,
                            const QString &homepage, const QByteArray &config) {
            QTest::newRow(name) << remind << language << homepage << config;
        };
        row("defaults", 7, "English", {}, {});
        row("changed interval, English in other case", 14, "english", {}, "RemindInterval=14\r\n");
        row("other language", 7, "Deutsch", {}, "Language=Deutsch\r\n");
        row("empty language", 7, "", {}, {});
        row("addresses after the language, umlaut in UTF-8", 7, "Deutsch",
            u"/home/jürgen/start.html"_s,
            "Language=Deutsch\r\nHomepage=/home/j\xC3\xBCrgen/start.html\r\nSuggestServer=x\r\n");
    }
    void saveWritesOnlyChanges()
    {
        QFETCH(int, remind);
        QFETCH(QByteArray, language);
        QFETCH(QString, homepage);
        load("[FlagsInfo]\r\nMsgA=1\r\n[Config]\r\nRemindInterval=14\r\nNoHints=1\r\n"
             "Homepage=http://old.test/\r\nSuggestServer=http://old.test/\r\n");
        QVERIFY(Settings.RemindInterval == 14 && Settings.NoHints);
        Settings.Installed = true;
        Settings.NoHints = false;
        Settings.RemindInterval = remind;
        Settings.Language = language;
        Settings.Homepage = homepage;
        Settings.SuggestServer = homepage.isEmpty() ? "" : "x";
        QCOMPARE(SaveSettings(), QString());
        QFETCH(QByteArray, config);
        QCOMPARE(ReadFile(iniPath()),
                 "[FlagsInfo]\r\nMsgA=1\r\n[Config]\r\nInstalled=1\r\n" + config);
        LoadSettings({}, m_dir.path());
        QCOMPARE(Settings.Homepage, homepage);
    }

    void loadingKeepsOddValues()
    {
        load("[Config]\nSelectionMode=5\nNoHints=yes\nDontDelete=1\nRefreshInterval=x\n"
             "Language=\nhomepage =  http://a.test/?x=1;y \nSuggestServer=\n");
        QCOMPARE(std::tuple(Settings.SelectionMode, Settings.NoHints, Settings.DontDelete,
                            SettingsIntervals().RefreshInterval),
                 std::tuple(5, false, true, 30));
        QCOMPARE(Settings.Language, QByteArray());
        QCOMPARE(Settings.Homepage, "http://a.test/?x=1;y");
        QCOMPARE(Settings.SuggestServer, QString());
    }

    // Flags are written at once; after an uninstall nothing brings the file back.
    void flagsAndUninstall()
    {
        QVERIFY(!FlagsExist(FlagInfo) && WriteFlag(FlagInfo, "NothingToDo", true));
        QVERIFY(ReadFlag(FlagInfo, "nothingtodo", false));
        QVERIFY(!ReadFlag(FlagConfirm, "NothingToDo", false));
        QVERIFY(FlagsExist(FlagInfo) && ClearFlags(FlagInfo) && !FlagsExist(FlagInfo));
        QVERIFY(DeleteSettingsFile() && !QFile::exists(iniPath()));
        QVERIFY(!WriteFlag(FlagInfo, "Later", true));
        Settings.Installed = true;
        SaveSettings();
        LoadSettings({"/UNINSTALL"}, m_dir.path());
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
        TBookmarks list(favorites.path());
        WriteFile(b, Shortcut("http://b.test/", state)); // added after the list was read
        {
            const ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
            QVERIFY(platform::SetAutostart(true, "/usr/bin/favrake"));
            const TUninstallReport report = UninstallCleanup(list);
            QVERIFY(report.Complete() && !QFile::exists(platform::AutostartFile()));
            QCOMPARE(report.Cleaned, 2);
            QCOMPARE(UninstallText(report).count(m_dir.path()), 2); // settings and login entry
        }
        QCOMPARE(ReadFile(a) + ReadFile(b),
                 Shortcut("http://a.test/") + Shortcut("http://b.test/"));
        WriteFile(a, Shortcut("http://a.test/", state));
        QVERIFY(QFile::setPermissions(a, QFileDevice::ReadOwner));
        if (::geteuid() != 0) // root writes anyway
            QCOMPARE(UninstallCleanup(list).NotCleaned, QStringList{a});
    }

    // The failure names what could not be saved; the program tells the user.
    void saveFailureReported_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("named");
        QTest::newRow("folder below a file") << "file/config"
                                             << "file/config";
        QTest::newRow("settings file is a folder") << "folder"
                                                   << "folder/Favrake.ini";
    }
    void saveFailureReported()
    {
        QFETCH(QString, folder);
        QFETCH(QString, named);
        WriteFile(m_dir.filePath("file"), "x");
        QDir(m_dir.path()).mkpath("folder/Favrake.ini");
        LoadSettings({}, m_dir.filePath(folder));
        Settings.Installed = true;
        const QString failure = SaveSettings();
        QVERIFY2(failure.contains(m_dir.filePath(named)), qPrintable(failure));
    }

    // A new settings file gets the usual mode from the umask the program started with, even
    // when someone changed the umask since (reading it must never change it for a moment).
    void newFileMode()
    {
        const mode_t start = ::umask(0);
        ::umask(start == 077 ? 022 : 077);
        Settings.Installed = true;
        const QString failure = SaveSettings();
        ::umask(start);
        QCOMPARE(failure, QString());
        struct stat st = {};
        QVERIFY(::stat(QFile::encodeName(iniPath()).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0666 & ~start);
    }

    // A relative value would put files below whatever the working folder is.
    void relativeFoldersIgnored_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("folder"); // below the home folder
        using platform::XdgFolder;
        QTest::newRow("config") << "XDG_CONFIG_HOME"_ba << int(XdgFolder::Config) << ".config/";
        QTest::newRow("data") << "XDG_DATA_HOME"_ba << int(XdgFolder::Data) << ".local/share/";
        QTest::newRow("cache") << "XDG_CACHE_HOME"_ba << int(XdgFolder::Cache) << ".cache/";
        QTest::newRow("runtime, no default")
            << "XDG_RUNTIME_DIR"_ba << int(XdgFolder::Runtime) << "";
    }
    void relativeFoldersIgnored()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QString, folder);
        QFETCH(int, which);
        const auto xdg = platform::XdgFolder(which);
        const ScopedEnv absolute(variable.constData(), QFile::encodeName(m_dir.path()));
        QCOMPARE(platform::xdgFolder(xdg), m_dir.path() + u'/');
        const ScopedEnv relative(variable.constData(), "relative/folder");
        const QString expected = folder.isEmpty() ? QString() : TestHomePath() + u'/' + folder;
        QCOMPARE(platform::xdgFolder(xdg), expected);
        QVERIFY(xdg != platform::XdgFolder::Config || platform::appDataFolder() == expected);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
