// Browser stores, read without the browser and never written: Firefox's places.sqlite
// with its write-ahead log, Chromium's Bookmarks file, and where their profiles are found.
#include "exchange/browsers.h"
#include "exchange/chromiumreader.h"
#include "exchange/firefoxreader.h"
#include "exchange/netscapereader.h"
#include "exchangefixture.h"
#include "rowfile.h"
#include "testenv.h"

#include <QCryptographicHash>
#include <sqlite3.h>

using namespace exchange;

namespace {
// A database that stays open, so that its rows sit in the write-ahead log only.
sqlite3 *writePlaces(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA wal_autocheckpoint=0;", nullptr, nullptr, nullptr);
    sqlite3_exec(db, dataFile("places.sql").constData(), nullptr, nullptr, nullptr);
    return db;
}

// Names and contents of every file in a folder.
QByteArray folderDigest(const QString &folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QFileInfo &info :
         QDir(folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile file(info.absoluteFilePath());
        hash.addData(info.fileName().toUtf8());
        hash.addData(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?"));
        hash.addData(QByteArray::number(info.lastModified().toMSecsSinceEpoch()));
    }
    return hash.result();
}
} // namespace

class TestBrowsers : public QObject
{
    Q_OBJECT

  private slots:
    void firefoxWhileRunning()
    {
        QTemporaryDir dir;
        const QString places = dir.filePath("profile/places.sqlite");
        sqlite3 *browser = writePlaces(places);
        QVERIFY(QFileInfo(places + "-wal").size() > 0);
        const QByteArray before = folderDigest(dir.filePath("profile"));
        const SourceRead read = readFirefoxPlaces(places);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(lines(read.tree), dataLines(QStringLiteral("exchange/placeslines.txt")));
        QCOMPARE(folderDigest(dir.filePath("profile")), before);
        sqlite3_close(browser);
    }

    void unreadable_data()
    {
        addRowsFromFile(QStringLiteral("exchange/unreadablestores.tsv"));
        QTest::newRow("nested too deep") << QByteArray(100000, '[') << false;
    }

    void unreadable()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, firefox);
        QTemporaryDir dir;
        writeFile(dir.filePath("store"), content);
        const SourceRead read = firefox ? readFirefoxPlaces(dir.filePath("store"))
                                        : readChromiumBookmarks(dir.filePath("store"));
        QVERIFY(!read.ok());
        QVERIFY(read.error.contains(dir.filePath("store")));
    }

    // A chosen file is told by its content, whatever its name.
    void sourceByContent_data() { addRowsFromFile(QStringLiteral("exchange/sourcebycontent.tsv")); }

    void sourceByContent()
    {
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        if (content == u"places")
            sqlite3_close(writePlaces(dir.filePath(name)));
        else
            writeFile(dir.filePath(name), dataFile(content));
        const SourceRead read = readBookmarkSource(dir.filePath(name));
        QCOMPARE(read.ok() ? lines(read.tree) : QStringList{"unreadable"}, expected.split(u'\n'));
    }

    void profiles()
    {
        const QString home = testHomePath();
        const QString firefox = home + "/.mozilla/firefox";
        writeFile(firefox + "/profiles.ini", dataFile("profiles.ini"));
        sqlite3_close(writePlaces(firefox + "/xyz.default-release/places.sqlite"));
        sqlite3_close(writePlaces(firefox + "/abc.other/places.sqlite"));
        writeFile(home + "/.var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser/Profile "
                         "1/Bookmarks",
                  dataFile("Bookmarks"));
        const Browser &ff = *findBrowser(u"Firefox");
        QCOMPARE(pickProfile(ff, {})->name, QStringLiteral("default-release"));
        QCOMPARE(pickProfile(ff, "OTHER")->folder, firefox + "/abc.other");
        QCOMPARE(pickProfile(ff, firefox + "/abc.other")->folder, firefox + "/abc.other");
        QVERIFY(!pickProfile(ff, "missing"));
        QVERIFY(!pickProfile(*findBrowser(u"chromium"), {}));
        QStringList found;
        for (const FoundBrowser &b : findBrowsers())
            found << QStringLiteral("%1 %2 %3")
                         .arg(b.profile.browser->id, b.profile.name)
                         .arg(b.bookmarkCount);
        QCOMPARE(found, (QStringList{"firefox default-release 4", "firefox other 4",
                                     "brave Profile 1 3"}));
    }
};

QTEST_GUILESS_MAIN(TestBrowsers)
#include "test_browsers.moc"
