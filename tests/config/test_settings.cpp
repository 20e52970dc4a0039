#include "../store/storefixture.h"
#include "config/settings.h"
#include "config/uninstall.h"
#include "platform/autostart.h"
#include "platform/folders.h"
#include "rowfile.h"
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
        writeFile(iniPath(), content);
        loadSettings({}, m_dir.path());
    }

  private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        loadSettings({}, m_dir.path());
    }

    // Nothing is written before the user started the program, nor after saving was switched
    // off; without a configuration folder nothing is written anywhere.
    void savedOnlyWhenInstalled()
    {
        QCOMPARE(settingsFile(), iniPath());
        settings.remindInterval = 14;
        QCOMPARE(saveSettings(), QString());
        settings.installed = true;
        disableSaving();
        QCOMPARE(saveSettings(), QString());
        QVERIFY(!QFile::exists(iniPath()));
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        loadSettings({}, QString());
        settings.installed = true;
        saveSettings();
        const bool written = writeFlag(FlagInfo, "X", true) || deleteSettingsFile();
        const QStringList left = QDir(m_dir.path()).entryList(QDir::Files);
        QVERIFY(QDir::setCurrent(cwd));
        QVERIFY(!written && left.isEmpty());
    }

    // Only what differs from the defaults is written; both addresses follow the language.
    void saveWritesOnlyChanges_data()
    {
        addRowsFromFile(QStringLiteral("config/savedchanges.tsv"));
    }
    void saveWritesOnlyChanges()
    {
        QFETCH(int, remind);
        QFETCH(QByteArray, language);
        QFETCH(QString, homepage);
        load(readFile(QStringLiteral(FAVRAKE_TEST_DATA "/config/oldsettings.ini")));
        QVERIFY(settings.remindInterval == 14 && settings.noHints);
        settings.installed = true;
        settings.noHints = false;
        settings.remindInterval = remind;
        settings.language = language;
        settings.homepage = homepage;
        settings.suggestServer = homepage.isEmpty() ? "" : "x";
        QCOMPARE(saveSettings(), QString());
        QFETCH(QByteArray, config);
        QCOMPARE(readFile(iniPath()),
                 "[FlagsInfo]\r\nMsgA=1\r\n[Config]\r\nInstalled=1\r\n" + config);
        loadSettings({}, m_dir.path());
        QCOMPARE(settings.homepage, homepage);
    }

    void loadingKeepsOddValues()
    {
        load("[Config]\nSelectionMode=5\nNoHints=yes\nDontDelete=1\nRefreshInterval=x\n"
             "Language=\nhomepage =  http://a.test/?x=1;y \nSuggestServer=\n");
        QCOMPARE(
            std::tuple(settings.selectionMode, settings.noHints, settings.dontDelete,
                       settingsIntervals().refreshInterval, settings.language, settings.homepage,
                       settings.suggestServer),
            std::tuple(5, false, true, 30, QByteArray(), u"http://a.test/?x=1;y"_s, QString()));
    }

    // Flags are written at once; after an uninstall nothing brings the file back.
    void flagsAndUninstall()
    {
        QVERIFY(!flagsExist(FlagInfo) && writeFlag(FlagInfo, "NothingToDo", true));
        QVERIFY(readFlag(FlagInfo, "nothingtodo", false));
        QVERIFY(!readFlag(FlagConfirm, "NothingToDo", false));
        QVERIFY(flagsExist(FlagInfo) && clearFlags(FlagInfo) && !flagsExist(FlagInfo));
        QVERIFY(deleteSettingsFile() && !QFile::exists(iniPath()));
        QVERIFY(!writeFlag(FlagInfo, "Later", true));
        settings.installed = true;
        saveSettings();
        loadSettings({"/UNINSTALL"}, m_dir.path());
        settings.installed = true;
        saveSettings();
        QVERIFY(!QFile::exists(iniPath()));
    }

    void uninstallCleansWhatIsThereNow()
    {
        QTemporaryDir favorites;
        const QString a = favorites.filePath("a.url"), b = favorites.filePath("News/b.url");
        const QByteArray state = "[Merkwerk]\r\nRating=1\r\n";
        writeFile(a, shortcut("http://a.test/", state));
        settings.installed = true;
        saveSettings();
        Bookmarks list(favorites.path());
        writeFile(b, shortcut("http://b.test/", state)); // added after the list was read
        {
            const ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
            // The cache folder goes; in the runtime folder only Favrake's lock and socket.
            const ScopedEnv cache("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
            const ScopedEnv runtime("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.filePath("run")));
            for (const char *file : {"cache/favrake/subject.html", "run/favrake/favrake.lock",
                                     "run/favrake/favrake.socket", "run/favrake/other.lock"})
                writeFile(m_dir.filePath(file), "x");
            QVERIFY(platform::setAutostart(true, "/usr/bin/favrake"));
            const UninstallReport report = uninstallCleanup(list);
            QVERIFY(report.complete() && !QFile::exists(platform::autostartFile()));
            QCOMPARE(report.cleaned, 2);
            QCOMPARE(
                QDir(m_dir.filePath("cache")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                QStringList());
            QCOMPARE(QDir(m_dir.filePath("run/favrake")).entryList(QDir::Files),
                     QStringList{"other.lock"});
            // Settings, login entry, cache folder, lock and socket.
            QCOMPARE(uninstallText(report).count(m_dir.path()), 5);
        }
        QCOMPARE(readFile(a) + readFile(b),
                 shortcut("http://a.test/") + shortcut("http://b.test/"));
        writeFile(a, shortcut("http://a.test/", state));
        QVERIFY(QFile::setPermissions(a, QFileDevice::ReadOwner));
        if (::geteuid() != 0) // root writes anyway
            QCOMPARE(uninstallCleanup(list).notCleaned, QStringList{a});
    }

    // The failure names what could not be saved; the program tells the user.
    void saveFailureReported_data() { addRowsFromFile(QStringLiteral("config/savefailures.tsv")); }
    void saveFailureReported()
    {
        QFETCH(QString, folder);
        QFETCH(QString, named);
        writeFile(m_dir.filePath("file"), "x");
        QDir(m_dir.path()).mkpath("folder/Favrake.ini");
        loadSettings({}, m_dir.filePath(folder));
        settings.installed = true;
        const QString failure = saveSettings();
        QVERIFY2(failure.contains(m_dir.filePath(named)), qPrintable(failure));
    }

    // A new settings file gets the usual mode from the umask the program started with, even
    // when someone changed the umask since (reading it must never change it for a moment).
    void newFileMode()
    {
        const mode_t start = ::umask(0);
        ::umask(start == 077 ? 022 : 077);
        settings.installed = true;
        const QString failure = saveSettings();
        ::umask(start);
        QCOMPARE(failure, QString());
        struct stat st = {};
        QVERIFY(::stat(QFile::encodeName(iniPath()).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0666 & ~start);
    }

    // A relative value would put files below whatever the working folder is.
    void relativeFoldersIgnored_data() { addRowsFromFile(QStringLiteral("config/xdgfolders.tsv")); }
    void relativeFoldersIgnored()
    {
        QFETCH(QByteArray, variable);
        QFETCH(QString, folder);
        QFETCH(QString, which);
        const auto xdg =
            platform::XdgFolder(QStringList{"Config", "Data", "Cache", "Runtime"}.indexOf(which));
        const ScopedEnv absolute(variable.constData(), QFile::encodeName(m_dir.path()));
        QCOMPARE(platform::xdgFolder(xdg), m_dir.path() + u'/');
        const ScopedEnv relative(variable.constData(), "relative/folder");
        const QString expected = folder.isEmpty() ? QString() : testHomePath() + u'/' + folder;
        QCOMPARE(platform::xdgFolder(xdg), expected);
        QVERIFY(xdg != platform::XdgFolder::Config || platform::appDataFolder() == expected);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
