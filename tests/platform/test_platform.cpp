#include "../store/storefixture.h"
#include "platform/folderwatcher.h"
#include "platform/opener.h"
#include "platform/quitsignals.h"
#include "platform/trash.h"
#include "platform/trayicon.h"
#include "platform/webaddress.h"
#include "platform/workarea.h"
#include "rowfile.h"
#include "testenv.h"

#include <QApplication>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using platform::TrayIcon;

namespace {
// The lines of an information file in the trash; path is bytes, as the name may not be UTF-8.
QByteArrayList readInfo(const QByteArray &path)
{
    QFile file;
    const int fd = ::open((path + ".trashinfo").constData(), O_RDONLY);
    return fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)
               ? file.readAll().split('\n')
               : QByteArrayList();
}

// The numbers of a table cell, apart by blanks.
std::vector<uint32_t> numbers(const QString &cell)
{
    std::vector<uint32_t> values;
    for (const QString &word : cell.split(u' ', Qt::SkipEmptyParts))
        values.push_back(word.toUInt());
    return values;
}

// A rectangle of a table cell: x y width height.
QRect rectangle(const QString &cell)
{
    const std::vector<uint32_t> v = numbers(cell);
    return v.size() == 4 ? QRect(int(v[0]), int(v[1]), int(v[2]), int(v[3])) : QRect();
}
} // namespace

class TestPlatform final : public QObject
{
    Q_OBJECT
  private slots:
    void openableAddresses_data() { addRowsFromFile(QStringLiteral("platform/addresses.tsv")); }
    void openableAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, openable);
        QCOMPARE(platform::isWebAddress(address), openable);
        if (!openable)
            QCOMPARE(platform::openAddress(address, {}), platform::OpenFailure::NotWeb);
    }

    // What xdg-open answers is heard: an opener that finds no browser is a failure too.
    void openerVerdicts()
    {
        QTemporaryDir bin;
        const ScopedEnv path("PATH", QFile::encodeName(bin.path()));
        for (const auto &[status, later] : {std::pair("3", platform::OpenFailure::NoHandler),
                                            std::pair("4", platform::OpenFailure::OpenerFailed)}) {
            writeFile(bin.filePath("xdg-open"), "#!/bin/sh\nexit " + QByteArray(status) + "\n");
            QFile::setPermissions(bin.filePath("xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
            std::optional<platform::OpenFailure> heard;
            QCOMPARE(platform::openAddress("http://a.test/",
                                           [&](platform::OpenFailure f) { heard = f; }),
                     platform::OpenFailure::None);
            QTRY_VERIFY_WITH_TIMEOUT(heard == later, 10000);
        }
    }

    // Two screens side by side; the panels' rooms are in desktop pixels.
    void panelsKeepTheirRoom_data() { addRowsFromFile(QStringLiteral("platform/panels.tsv")); }
    void panelsKeepTheirRoom()
    {
        QFETCH(QString, reserve);
        QFETCH(QString, dock);
        QFETCH(QString, left);
        QFETCH(QString, right);
        const QRect desktop(0, 0, 2560, 800);
        std::vector<platform::PanelRoom> panels =
            platform::reservedRooms(desktop.size(), numbers(reserve));
        if (!dock.isEmpty())
            panels.push_back(platform::dockRoom(rectangle(dock), desktop));
        QCOMPARE(platform::workAreaWithout(QRect(0, 0, 1280, 800), panels), rectangle(left));
        QCOMPARE(platform::workAreaWithout(QRect(1280, 0, 1280, 800), panels), rectangle(right));
    }

    void trayClicksReachTheDefaultAction()
    {
        TrayIcon tray(nullptr, [] { return true; });
        QMenu menu;
        QSignalSpy others(menu.addAction("Other"), &QAction::triggered);
        menu.setDefaultAction(menu.addAction("Show"));
        QSignalSpy shows(menu.defaultAction(), &QAction::triggered);
        QSignalSpy downs(&tray, &TrayIcon::mouseDown);
        tray.setPopupMenu(&menu);
        for (const bool enabled : {true, false}) {
            tray.setEnabled(enabled);
            tray.activated(QSystemTrayIcon::Trigger);
            tray.activated(QSystemTrayIcon::DoubleClick);
            QCOMPARE(downs.size(), 1); // a disabled tray adds nothing
            QCOMPARE(downs.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
            QCOMPARE(shows.size(), 1);
        }
        QCOMPARE(others.size(), 0);
    }

    void trayHostComesAndGoes()
    {
        bool host = false;
        TrayIcon tray(nullptr, [&] { return host; });
        QList<bool> changes;
        connect(&tray, &TrayIcon::hostChanged, [&](bool available) { changes.append(available); });
        tray.setIconVisible(true);
        for (const bool now : {false, true, false}) {
            host = now;
            tray.checkHost();
            QCOMPARE(tray.hostAvailable(), now);
        }
        QCOMPARE(changes, (QList<bool>{true, false}));
        QVERIFY(tray.iconVisible()); // shown again when the host returns
    }

    void folderWatcherSeesNewNames()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("News/Tech"));
        platform::FolderWatcher watcher;
        watcher.setFolders({dir.path() + "/", dir.path() + "/News/Tech/"}, dir.path());
        QSignalSpy changed(&watcher, &platform::FolderWatcher::changed);
        const QString file = dir.path() + "/News/Tech/Paper.url";
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.first().first().toString(), dir.path() + "/News/Tech/");

        // The old ones are watched no more: a change there is not heard, while one in the
        // folder still watched, made after it, is. A change of the root ends what came before.
        const auto heardRoot = [&](const char *marker) {
            changed.clear();
            return QFile(dir.path() + marker).open(QIODevice::WriteOnly) && QTest::qWaitFor([&] {
                       return !changed.isEmpty() && changed.last().first() == dir.path() + "/";
                   });
        };
        QVERIFY(heardRoot("/before"));
        watcher.setFolders({dir.path() + "/"}, dir.path());
        QVERIFY(QFile::remove(file));
        QVERIFY(heardRoot("/after"));
        for (const QList<QVariant> &change : changed)
            QCOMPARE(change.first().toString(), dir.path() + "/");

        // A tree that is not there yet: the nearest folder above it sees it come.
        watcher.setFolders({}, dir.path() + "/News/Old/Favorites/");
        QVERIFY(QDir(dir.path()).mkpath("News/Old"));
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.last().first().toString(), dir.path() + "/News");
    }

    void signalsBecomeQuitRequests()
    {
        platform::QuitSignals quit;
        QSignalSpy requests(&quit, &platform::QuitSignals::quitRequested);
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
            QVERIFY(::raise(number) == 0);
            QVERIFY(requests.wait(2000));
            QCOMPARE(requests.takeFirst().at(0).toInt(), number);
        }
    }

    // The home trash as the desktop keeps it: a fresh account has no data folder yet, names
    // that are not UTF-8 go there like others, a name already in the trash gets a number,
    // and each item has its information file with the original path.
    void trashKeepsWhatItCanRestore()
    {
        QTemporaryDir dir;
        const QString trash = dir.filePath("missing/share/Trash/");
        const ScopedEnv data("XDG_DATA_HOME", QFile::encodeName(dir.filePath("missing/share")));
        const QByteArray root = QFile::encodeName(dir.path()) + '/';
        for (const QByteArray name : {"Paper.url", "News/Paper.url", "caf\xE9/b\xE9.url"})
            writeRawFile(root + name, "[InternetShortcut]\r\nURL=http://a.test/\r\n");
        const QString latin1 = dir.filePath("caf") + QChar(0xDCE9);
        const QStringList items = {dir.filePath("Paper.url"), dir.filePath("News/Paper.url"),
                                   latin1 + "/b" + QChar(0xDCE9) + ".url", latin1 + "/"};
        const QByteArrayList trashedAs = {"Paper.url", "Paper.url-0000", "b\xE9.url", "caf\xE9"};
        const QByteArrayList original = {"Paper.url", "News/Paper.url", "caf%E9/b%E9.url",
                                         "caf%E9"};
        for (qsizetype i = 0; i < items.size(); ++i) {
            QVERIFY2(platform::moveToTrash(items[i]), qPrintable(items[i]));
            QVERIFY(::access(QFile::encodeName(trash + "files/") + trashedAs[i], F_OK) == 0);
            const QByteArrayList lines =
                readInfo(QFile::encodeName(trash + "info/") + trashedAs[i]);
            QCOMPARE(lines.mid(0, 2),
                     QByteArrayList(
                         {"[Trash Info]", "Path=" + root.toPercentEncoding("/") + original[i]}));
            QVERIFY2(QRegularExpression("^DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$")
                         .match(QString::fromLatin1(lines.value(2)))
                         .hasMatch(),
                     lines.value(2).constData());
        }
        QVERIFY(!platform::moveToTrash(items[0])); // nothing left to move
        QVERIFY(!platform::moveToTrash(QString()));
    }
};

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
