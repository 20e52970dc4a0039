#include "platform/folderwatcher.h"
#include "platform/opener.h"
#include "platform/quitsignals.h"
#include "platform/trash.h"
#include "platform/trayicon.h"
#include "platform/webaddress.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

class TestPlatform final : public QObject
{
    Q_OBJECT
  private slots:
    void openableAddresses_data();
    void openableAddresses();
    void trayTipIsCut();
    void trayClicks();
    void trayHostComesAndGoes();
    void folderWatcherSeesNewNames();
    void signalsBecomeQuitRequests();
    void trashWithoutDataFolder();
};

void TestPlatform::openableAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("openable");
    QTest::newRow("http") << "http://example.test/a?b=c" << true;
    QTest::newRow("https upper-case scheme") << "HTTPS://example.test/" << true;
    QTest::newRow("ftp") << "ftp://files.test/pub/" << true;
    QTest::newRow("local file") << "file:///etc/passwd" << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("no host") << "http:///path" << false;
    QTest::newRow("relative") << "/etc/passwd" << false;
    QTest::newRow("empty") << "" << false;
}

void TestPlatform::openableAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, openable);
    QCOMPARE(platform::IsWebAddress(address), openable);
    if (!openable)
        QVERIFY(!platform::openAddress(address)); // refused before the desktop sees it
}

void TestPlatform::trayTipIsCut()
{
    platform::TTrayIcon tray(nullptr, [] { return false; });
    tray.SetHint(QString(100, 'x'));
    QCOMPARE(tray.ShownTip(), QString(63, 'x'));
    tray.SetShowHint(false);
    QCOMPARE(tray.ShownTip(), QString());
    tray.SetShowHint(true);
    QCOMPARE(tray.ShownTip().size(), 63);
}

void TestPlatform::trayClicks()
{
    platform::TTrayIcon tray(nullptr, [] { return true; });
    QMenu menu;
    QAction *other = menu.addAction("Other");
    QAction *show = menu.addAction("Show");
    menu.setDefaultAction(show);
    tray.SetPopupMenu(&menu);
    QSignalSpy downs(&tray, &platform::TTrayIcon::MouseDown);
    QSignalSpy shows(show, &QAction::triggered);
    QSignalSpy others(other, &QAction::triggered);

    tray.Activated(QSystemTrayIcon::Trigger);
    tray.Activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(downs.size(), 1);
    QCOMPARE(downs.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    QCOMPARE(shows.size(), 1);
    QCOMPARE(others.size(), 0);

    tray.SetEnabled(false);
    tray.Activated(QSystemTrayIcon::Trigger);
    tray.Activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(downs.size(), 1);
    QCOMPARE(shows.size(), 1);
}

void TestPlatform::trayHostComesAndGoes()
{
    bool host = false;
    platform::TTrayIcon tray(nullptr, [&] { return host; });
    QSignalSpy changes(&tray, &platform::TTrayIcon::HostChanged);
    tray.SetIconVisible(true);
    QVERIFY(!tray.HostAvailable());
    tray.CheckHost();
    QCOMPARE(changes.size(), 0);
    host = true;
    tray.CheckHost();
    QCOMPARE(changes.size(), 1);
    QVERIFY(tray.HostAvailable());
    QVERIFY(tray.IconVisible());
    host = false;
    tray.CheckHost();
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.at(1).at(0).toBool(), false);
}

void TestPlatform::folderWatcherSeesNewNames()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("News/Tech"));
    platform::TFolderWatcher watcher;
    watcher.SetFolders({dir.path() + "/", dir.path() + "/News/Tech/"});
    QSignalSpy changed(&watcher, &platform::TFolderWatcher::Changed);
    QFile file(dir.path() + "/News/Tech/Paper.url");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(changed.wait(5000));

    watcher.SetFolders({dir.path() + "/"}); // the old folders are no longer watched
    QTest::qWait(50);
    changed.clear();
    QVERIFY(QFile::remove(file.fileName()));
    QVERIFY(!changed.wait(300));
}

void TestPlatform::signalsBecomeQuitRequests()
{
    platform::TQuitSignals quit;
    QSignalSpy requests(&quit, &platform::TQuitSignals::QuitRequested);
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        requests.clear();
        QVERIFY(::raise(number) == 0);
        QVERIFY(requests.wait(2000));
        QCOMPARE(requests.at(0).at(0).toInt(), number);
    }
}

// A fresh account has no data folder yet: the item must still reach the home trash, and
// nothing may land in the working folder.
void TestPlatform::trashWithoutDataFolder()
{
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const QString savedCwd = QDir::currentPath();
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("missing/share")));
    QDir::setCurrent(dir.path());
    QFile file(dir.filePath("Paper.url"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const bool moved = platform::moveToTrash(file.fileName());
    QDir::setCurrent(savedCwd);
    qputenv("XDG_DATA_HOME", saved);
    QVERIFY(moved);
    QVERIFY(QFile::exists(dir.filePath("missing/share/Trash/files/Paper.url")));
    QVERIFY(QFile::exists(dir.filePath("missing/share/Trash/info/Paper.url.trashinfo")));
    QVERIFY(!QFile::exists(dir.filePath("files")));
    QVERIFY(!platform::moveToTrash(file.fileName())); // nothing left to move
}

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
