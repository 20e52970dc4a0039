#include "store/bookmarks.h"
#include "store/hextext.h"
#include "store/ini.h"
#include "store/scan.h"
#include "storefixture.h"

#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr qint64 Jan2003 = 1041379200; // 2003-01-01 00:00 UTC
constexpr double Jan2003Days = 37622.0;
const QByteArray Modified2001 = "Modified=00C09DC88573C001\r\n"; // 2001-01-01 00:00

QString Hex(double value)
{
    return QString::fromLatin1(Int64ToHex(qint64(DateTimeBits(value))));
}

QByteArray State(const QString &key, const QString &value)
{
    return "[Merkwerk]\r\n" + key.toLatin1() + "=" + value.toLatin1() + "\r\n";
}
} // namespace

class TestBookmarks : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void emptyAndMissingFolders();
    void scanFindsBookmarks();
    void linkedFoldersScannedOnce();
    void threadsKeepScanOrder();
    void referenceTime_data();
    void referenceTime();
    void storedDatesOutOfRange_data();
    void storedDatesOutOfRange();
    void refreshDue_data();
    void refreshDue();
    void keptBookmark();
    void saveWritesAllKeys();
    void saveRoundTripsTexts();
    void saveRefusesChangedFiles_data();
    void saveRefusesChangedFiles();
    void unreadableFileNeverWritten();
    void removeAllState();
    void names();
    void emptyFolderAfterDelete();

  private:
    TBookmarks load(TBookmarksEnv env = {}) { return TBookmarks(m_dir.path(), std::move(env)); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
    const pid_t m_testPid = ::getpid();
    double m_now = 46000.5;
    TBookmarksEnv atNow()
    {
        return {[this] { return m_now; },
                [] {
                    return TIntervals{7, 30, 30};
                },
                &platform::systemFileWriteOps()};
    }
};

void TestBookmarks::init()
{
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestBookmarks::emptyAndMissingFolders()
{
    const TBookmarks empty = load();
    QCOMPARE(empty.Count(), 0);
    QCOMPARE(empty.FolderCount(), 1);
    QVERIFY(!empty.IsValidIndex(0));
    QCOMPARE(empty.ActiveCount() + empty.KeptCount() + empty.RefreshDueCount(), 0);
    QCOMPARE(empty.NotDueCount(), 0);
    QCOMPARE(empty.DisplayName(0), QString());

    const TBookmarks noPath(QString(), {});
    QCOMPARE(noPath.Count(), 0);
    QCOMPARE(noPath.FolderCount(), 0);
    const TBookmarks missing(path("nowhere"), {});
    QCOMPARE(missing.FolderCount(), 0);
}

void TestBookmarks::scanFindsBookmarks()
{
    WriteFile(path("Site.url"), Shortcut("http://a.test/"));
    WriteFile(path("SITE2.URL"), Shortcut("http://a.test/"));
    WriteFile(path("Site.url.txt"), Shortcut("http://c.test/"));
    WriteFile(path(".hidden/.Hidden.url"), Shortcut("http://d.test/"));
    WriteFile(path("News/Tech/Paper.url"), Shortcut("http://e.test/"));
    QDir().mkpath(path("Folder.url")); // a folder with a bookmark's name is entered
    WriteFile(path("Folder.url/In.url"), Shortcut("http://f.test/"));
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.url")).constData(), 0600), 0);
    WriteFile(path("binary.url"), QByteArray("\x00\xFF\xFE[\x01", 5));
    WriteFile(path("locked/Locked.url"), Shortcut("http://g.test/"));
    // A name that is not UTF-8 cannot be addressed again: left out, not misread.
    const QByteArray badName = QFile::encodeName(path("")) + "/bad\xFF.url";
    QVERIFY(::close(::open(badName.constData(), O_CREAT | O_WRONLY, 0600)) == 0);
    QVERIFY(QFile::setPermissions(path("locked"), QFileDevice::Permissions()));

    const TBookmarks list = load();
    QCOMPARE(::unlink(badName.constData()), 0); // a name the cleanup could not reach either
    QStringList urls;
    for (int i = 0; i < list.Count(); ++i)
        urls << list.Item(i)->URL;
    urls.sort();
    const bool root = ::geteuid() == 0; // root reads the locked folder as well
    QStringList expected = {"",
                            "http://a.test/",
                            "http://a.test/",
                            "http://d.test/",
                            "http://e.test/",
                            "http://f.test/"};
    if (root)
        expected.insert(6, "http://g.test/");
    QCOMPARE(urls, expected);
    QCOMPARE(list.FolderCount(), root ? 6 : 5);
    QVERIFY(QFile::setPermissions(path("locked"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestBookmarks::linkedFoldersScannedOnce()
{
    WriteFile(path("A/Site.url"), Shortcut("http://a.test/"));
    QVERIFY(QFile::link(path("A"), path("A/Loop")));
    QVERIFY(QFile::link(path("A"), path("Again")));
    const TBookmarks list = load();
    QCOMPARE(list.Count(), 1);
    QCOMPARE(list.FolderCount(), 2);
}

void TestBookmarks::threadsKeepScanOrder()
{
    for (int i = 0; i < 300; ++i)
        WriteFile(path(QStringLiteral("F%1/b%2.url").arg(i % 7).arg(i)),
                  i % 3 ? Shortcut("http://s" + QByteArray::number(i) + ".test/",
                                   State("Rating", QString::number(i)))
                        : QByteArray("junk"));
    TBookmarksEnv one = atNow();
    one.ReadThreads = 1;
    TBookmarksEnv four = atNow();
    four.ReadThreads = 4;
    const TBookmarks serial = load(one);
    const TBookmarks parallel = load(four);
    QCOMPARE(parallel.Count(), 300);
    QCOMPARE(parallel.Count(), serial.Count());
    for (int i = 0; i < serial.Count(); ++i) {
        QCOMPARE(parallel.Item(i)->FileName, serial.Item(i)->FileName);
        QCOMPARE(parallel.Item(i)->URL, serial.Item(i)->URL);
        QCOMPARE(parallel.Item(i)->Rating, serial.Item(i)->Rating);
    }
}

void TestBookmarks::referenceTime_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<double>("reference");
    QTest::newRow("file stamps") << Shortcut("http://a.test/") << Jan2003Days;
    QTest::newRow("earlier Modified wins") << Shortcut("http://a.test/", Modified2001) << 36892.0;
    QTest::newRow("Modified of 0 ignored")
        << Shortcut("http://a.test/", "Modified=0000000000000000\r\n") << Jan2003Days;
    QTest::newRow("short Modified ignored")
        << Shortcut("http://a.test/", "Modified=00C09DC88573C0\r\n") << Jan2003Days;
    QTest::newRow("Modified with a blank inside ignored")
        << Shortcut("http://a.test/", "Modified=00C09DC88573C0 1\r\n") << Jan2003Days;
    QTest::newRow("stored reference wins over all")
        << Shortcut("http://a.test/", Modified2001 + State("ReferenceTime", Hex(40000.25)))
        << 40000.25;
}

void TestBookmarks::referenceTime()
{
    QFETCH(QByteArray, content);
    QFETCH(double, reference);
    WriteFile(path("a.url"), content);
    SetFileTimes(path("a.url"), Jan2003);
    const TBookmarks list = load(atNow());
    QCOMPARE(list.Item(0)->ReferenceTime, reference);
    QCOMPARE(list.Item(0)->RemindTime, reference + 7);
    QVERIFY(list.IsRemindDue(0));
}

void TestBookmarks::storedDatesOutOfRange_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("NaN") << Hex(std::numeric_limits<double>::quiet_NaN());
    QTest::newRow("infinite") << Hex(std::numeric_limits<double>::infinity());
    QTest::newRow("before 1899") << Hex(-5.0);
    QTest::newRow("after 9999") << Hex(3e6);
    QTest::newRow("not hex") << QString("12G4");
    QTest::newRow("huge exponent") << QString("7FEFFFFFFFFFFFFF");
}

void TestBookmarks::storedDatesOutOfRange()
{
    QFETCH(QString, stored);
    WriteFile(path("a.url"),
              Shortcut("http://a.test/", "[Merkwerk]\r\nReferenceTime=" + stored.toLatin1() +
                                             "\r\nRefreshed=" + stored.toLatin1() +
                                             "\r\nRemindTime=" + stored.toLatin1() + "\r\n"));
    SetFileTimes(path("a.url"), Jan2003);
    const TBookmarks list = load(atNow());
    QCOMPARE(list.Item(0)->ReferenceTime, Jan2003Days);
    QCOMPARE(list.Item(0)->Refreshed, 0.0);
    QCOMPARE(list.Item(0)->RemindTime, Jan2003Days + 7);
    QVERIFY(list.IsRefreshDue(0));
}

void TestBookmarks::refreshDue_data()
{
    QTest::addColumn<double>("sinceRefresh"); // days, negative: in the future
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("due");
    const double minute = 1.0 / 1440;
    QTest::newRow("29 days ok") << 29.0 << 0 << false;
    QTest::newRow("30 days ok") << 30.0 << 0 << true;
    QTest::newRow("29.999 days ok") << 30.0 - minute << 0 << false;
    QTest::newRow("30 days ahead (clock set back)") << -30.0 << 0 << true;
    QTest::newRow("29 minutes failed") << 29 * minute << -1 << false;
    QTest::newRow("exactly 30 minutes failed") << 30 * minute << -1 << true;
    QTest::newRow("other negative state counts as failed") << 30 * minute << -7 << true;
    QTest::newRow("never refreshed") << 46000.5 << 0 << true;
}

void TestBookmarks::refreshDue()
{
    QFETCH(double, sinceRefresh);
    QFETCH(int, state);
    QFETCH(bool, due);
    WriteFile(path("a.url"), Shortcut("http://a.test/"));
    TBookmarks list = load(atNow());
    list.Item(0)->Refreshed = m_now - sinceRefresh;
    list.Item(0)->RefreshState = state;
    QCOMPARE(list.IsRefreshDue(0), due);
    QCOMPARE(list.RefreshDueCount() + list.NotDueCount(), 1);
    // What is saved and read again gives the same answer.
    QVERIFY(list.Save(0));
    QCOMPARE(load(atNow()).IsRefreshDue(0), due);
}

void TestBookmarks::keptBookmark()
{
    const QByteArray content = Shortcut("http://a.test/", State("RemindTime", "BFF0000000000000"));
    WriteFile(path("a.url"), content);
    TBookmarks list = load(atNow());
    QVERIFY(list.IsKept(0));
    QVERIFY(!list.IsActive(0) && !list.IsRemindDue(0) && !list.IsRefreshDue(0));
    QCOMPARE(list.KeptCount(), 1);
    QCOMPARE(list.NotDueCount(), 1);
    list.PutBackAll();
    list.RefreshAll();
    QCOMPARE(ReadFile(path("a.url")), content);
}

void TestBookmarks::saveWritesAllKeys()
{
    WriteFile(path("a.url"), Shortcut("http://a.test/"));
    TBookmarks list = load(atNow());
    TBookmarkRec &rec = *list.Item(0);
    rec.ReferenceTime = 1.0;
    rec.RemindTime = 38001.5;
    QVERIFY(list.Save(0));
    QCOMPARE(ReadFile(path("a.url")),
             Shortcut("http://a.test/", "[Merkwerk]\r\nTitle=\r\nDescr=\r\nURL=\r\n"
                                        "ReferenceTime=3FF0000000000000\r\n"
                                        "Refreshed=0000000000000000\r\nRefreshState=0\r\n"
                                        "RefreshMsg=\r\nRemindTime=40E28E3000000000\r\n"
                                        "Phrase=\r\nMatch=\r\nRating=0\r\n"));
    list.PutBackAll();
    QCOMPARE(load(atNow()).Item(0)->RemindTime, 1.0);
    list.RefreshAll();
    QCOMPARE(load(atNow()).Item(0)->Refreshed, 1.0);
}

void TestBookmarks::saveRoundTripsTexts()
{
    WriteFile(path("a.url"), Shortcut("http://a.test/"));
    TBookmarks list = load(atNow());
    TBookmarkRec &rec = *list.Item(0);
    const QString pair = QStringLiteral("\U0001F600");
    rec.Title = QString(MaxStoredTextLength - 1, u't') + pair; // the pair may not be split
    rec.Descr = QStringLiteral("Über \u4E2D ") + pair;
    rec.StoredURL = QString(3000, u'u');
    rec.RefreshMsg = "HTTP/1.1 404 Not Found";
    rec.RefreshState = -1;
    rec.Refreshed = 46000.25;
    rec.SubjectPhrase = "CAR REPAIR";
    rec.Match = "Car-Repair";
    rec.Rating = 10;
    QVERIFY(list.Save(0));
    QCOMPARE(rec.Title.size(), MaxStoredTextLength - 1);
    const TBookmarks again = load(atNow());
    const TBookmarkRec &read = *again.Item(0);
    for (auto field :
         {&TBookmarkRec::Title, &TBookmarkRec::Descr, &TBookmarkRec::StoredURL,
          &TBookmarkRec::RefreshMsg, &TBookmarkRec::SubjectPhrase, &TBookmarkRec::Match})
        QCOMPARE(read.*field, rec.*field);
    QCOMPARE(read.RefreshState, -1);
    QCOMPARE(read.Refreshed, 46000.25);
    QCOMPARE(read.Rating, 10);
    QVERIFY(again.HasSuggestion(0));
    QCOMPARE(again.PhraseText(0), QByteArray("CAR REPAIR"));
}

void TestBookmarks::saveRefusesChangedFiles_data()
{
    QTest::addColumn<QByteArray>("changedTo");
    QTest::newRow("address edited")
        << Shortcut("http://other.test/", State("RemindTime", Hex(1.0)));
    QTest::newRow("address case changed")
        << Shortcut("http://A.test/", State("RemindTime", Hex(1.0)));
    QTest::newRow("state written by another computer")
        << Shortcut("http://a.test/", State("RemindTime", "BFF0000000000000"));
    QTest::newRow("state added by another computer")
        << Shortcut("http://a.test/", State("RemindTime", Hex(1.0)) + "Rating=2\r\n");
    QTest::newRow("file emptied") << QByteArray();
}

void TestBookmarks::saveRefusesChangedFiles()
{
    QFETCH(QByteArray, changedTo);
    WriteFile(path("a.url"), Shortcut("http://a.test/", State("RemindTime", Hex(1.0))));
    TBookmarks list = load(atNow());
    WriteFile(path("a.url"), changedTo);
    list.Item(0)->RemindTime = -1;
    QVERIFY(!list.IsUnchanged(0) || changedTo.contains("http://a.test/"));
    QVERIFY(!list.Save(0));
    QCOMPARE(ReadFile(path("a.url")), changedTo);

    QVERIFY(QFile::remove(path("a.url")));
    QVERIFY(!list.Save(0));
    QVERIFY(!QFile::exists(path("a.url")));
}

void TestBookmarks::unreadableFileNeverWritten()
{
    const QByteArray noAddress = "[Merkwerk]\r\nRating=1\r\n";
    WriteFile(path("a.url"), noAddress);
    TBookmarks list = load(atNow());
    QCOMPARE(list.Count(), 1);
    QVERIFY(!list.IsUnchanged(0));
    QVERIFY(!list.Save(0));
    list.RemoveAllState();
    QCOMPARE(ReadFile(path("a.url")), noAddress);
}

void TestBookmarks::removeAllState()
{
    WriteFile(path("a.url"),
              Shortcut("http://a.test/", State("Rating", "1") + "[Other]\r\nx=1\r\n"));
    WriteFile(path("b.url"), Shortcut("http://b.test/", State("Rating", "1")));
    WriteFile(path("c.url"), Shortcut("http://c.test/")); // no state: never rewritten
    TBookmarks list = load(atNow());
    WriteFile(path("b.url"), Shortcut("http://changed.test/", State("Rating", "1")));
    const auto inode = [&] {
        struct stat st = {};
        return stat(QFile::encodeName(path("c.url")).constData(), &st) == 0 ? st.st_ino : 0;
    };
    const auto before = inode();
    QCOMPARE(list.RemoveAllState(), QStringList{path("b.url")});
    QCOMPARE(inode(), before);
    QCOMPARE(ReadFile(path("a.url")), Shortcut("http://a.test/", "[Other]\r\nx=1\r\n"));
    QCOMPARE(ReadFile(path("b.url")), Shortcut("http://changed.test/", State("Rating", "1")));
}

void TestBookmarks::names()
{
    WriteFile(path("My.Site.url"), Shortcut("http://a.test/"));
    WriteFile(path("News/Tech/Paper.url"), Shortcut("http://a.test/"));
    const TBookmarks list = load();
    QCOMPARE(list.Count(), 2);
    QStringList folders = list.Folders(); // what the folder watcher watches
    folders.sort();
    QCOMPARE(folders, QStringList({m_dir.path() + "/", path("News/"), path("News/Tech/")}));
    for (int i = 0; i < 2; ++i) {
        const bool top = list.Item(i)->FileName.endsWith("My.Site.url");
        QCOMPARE(list.DisplayName(i), top ? QString("My.Site") : QString("Paper"));
        QCOMPARE(list.FolderName(i), top ? QString() : QString("News/Tech"));
    }
}

void TestBookmarks::emptyFolderAfterDelete()
{
    const QString root = m_dir.path() + "/";
    WriteFile(path("Other.url"), Shortcut("http://a.test/"));
    WriteFile(path("News/Tech/Paper.url"), Shortcut("http://a.test/"));
    QVERIFY(QFile::remove(path("News/Tech/Paper.url")));
    QCOMPARE(TopmostEmptyFolder(root, path("News/Tech")), root + "News/");
    WriteFile(path("News/notes.txt"), "x");
    QCOMPARE(TopmostEmptyFolder(root, path("News/Tech")), path("News/Tech"));
    QCOMPARE(TopmostEmptyFolder(root, "/elsewhere/News"), QString());
    QVERIFY(QFile::remove(path("News/notes.txt")));
    QVERIFY(QFile::remove(path("Other.url")));
    QCOMPARE(TopmostEmptyFolder(root, path("News/Tech")), root); // the caller never offers it

    // A folder that cannot be listed may hold anything: never offered for deletion. Root
    // lists everything, so then the check runs in a child as an ordinary user.
    QDir().mkpath(path("News/Locked"));
    QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
    QCOMPARE(::chmod(QFile::encodeName(path("News/Locked")).constData(), 0), 0);
    const pid_t child = ::geteuid() == 0 ? ::fork() : 0;
    if (child == 0) {
        const bool dropped = ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
        const bool seen = dropped && ContainsFiles(path("News"));
        if (::getpid() != m_testPid)
            ::_exit(seen ? 0 : 1);
        QVERIFY(seen);
    } else {
        int status = -1;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    QCOMPARE(::chmod(QFile::encodeName(path("News/Locked")).constData(), 0700), 0);
    QVERIFY(!DeleteToRecycleBin(path("News/gone.url")));
}

QTEST_GUILESS_MAIN(TestBookmarks)
#include "test_bookmarks.moc"
