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

using platform::TTrayIcon;

class TestPlatform final : public QObject
{
    Q_OBJECT
  private slots:
    void openableAddresses_data()
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
    void openableAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, openable);
        QCOMPARE(platform::IsWebAddress(address), openable);
        if (!openable)
            QVERIFY(!platform::openAddress(address)); // refused before the desktop sees it
    }

    void trayTipIsCut()
    {
        TTrayIcon tray(nullptr, [] { return false; });
        tray.SetHint(QString(100, 'x'));
        QCOMPARE(tray.ShownTip(), QString(63, 'x'));
        tray.SetShowHint(false);
        QCOMPARE(tray.ShownTip(), QString());
        tray.SetShowHint(true);
        QCOMPARE(tray.ShownTip().size(), 63);
    }

    void trayClicksReachTheDefaultAction()
    {
        TTrayIcon tray(nullptr, [] { return true; });
        QMenu menu;
        QSignalSpy others(menu.addAction("Other"), &QAction::triggered);
        menu.setDefaultAction(menu.addAction("Show"));
        QSignalSpy shows(menu.defaultAction(), &QAction::triggered);
        QSignalSpy downs(&tray, &TTrayIcon::MouseDown);
        tray.SetPopupMenu(&menu);
        for (const bool enabled : {true, false}) {
            tray.SetEnabled(enabled);
            tray.Activated(QSystemTrayIcon::Trigger);
            tray.Activated(QSystemTrayIcon::DoubleClick);
            QCOMPARE(downs.size(), 1); // a disabled tray adds nothing
            QCOMPARE(downs.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
            QCOMPARE(shows.size(), 1);
        }
        QCOMPARE(others.size(), 0);
    }

    void trayHostComesAndGoes()
    {
        bool host = false;
        TTrayIcon tray(nullptr, [&] { return host; });
        QList<bool> changes;
        connect(&tray, &TTrayIcon::HostChanged, [&](bool available) { changes.append(available); });
        tray.SetIconVisible(true);
        for (const bool now : {false, true, false}) {
            host = now;
            tray.CheckHost();
            QCOMPARE(tray.HostAvailable(), now);
        }
        QCOMPARE(changes, (QList<bool>{true, false}));
        QVERIFY(tray.IconVisible()); // shown again when the host returns
    }

    void folderWatcherSeesNewNames()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("News/Tech"));
        platform::TFolderWatcher watcher;
        watcher.SetFolders({dir.path() + "/", dir.path() + "/News/Tech/"});
        QSignalSpy changed(&watcher, &platform::TFolderWatcher::Changed);
        const QString file = dir.path() + "/News/Tech/Paper.url";
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.first().first().toString(), dir.path() + "/News/Tech/");

        watcher.SetFolders({dir.path() + "/"}); // the old folders are no longer watched
        QTest::qWait(50);
        changed.clear();
        QVERIFY(QFile::remove(file));
        QVERIFY(!changed.wait(300));
    }

    void signalsBecomeQuitRequests()
    {
        platform::TQuitSignals quit;
        QSignalSpy requests(&quit, &platform::TQuitSignals::QuitRequested);
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
            QVERIFY(::raise(number) == 0);
            QVERIFY(requests.wait(2000));
            QCOMPARE(requests.takeFirst().at(0).toInt(), number);
        }
    }

    // A fresh account has no data folder yet: the item still reaches the home trash, and
    // nothing lands in the working folder.
    void trashWithoutDataFolder()
    {
        QTemporaryDir dir;
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        const QString savedCwd = QDir::currentPath();
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("missing/share")));
        QDir::setCurrent(dir.path());
        const QString file = dir.filePath("Paper.url");
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        const bool moved = platform::moveToTrash(file);
        QDir::setCurrent(savedCwd);
        qputenv("XDG_DATA_HOME", saved);
        QVERIFY(moved);
        QVERIFY(QFile::exists(dir.filePath("missing/share/Trash/files/Paper.url")));
        QVERIFY(QFile::exists(dir.filePath("missing/share/Trash/info/Paper.url.trashinfo")));
        QVERIFY(!QFile::exists(dir.filePath("files")));
        QVERIFY(!platform::moveToTrash(file)); // nothing left to move
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
