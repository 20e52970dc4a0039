#include "rowfile.h"
#include "store/bookmarks.h"
#include "store/hextext.h"
#include "store/scan.h"
#include "storefixture.h"
#include "testenv.h"

#include <QTemporaryDir>
#include <filesystem>
#include <sys/wait.h>

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 jan2003 = 1041379200; // 2003-01-01 00:00 UTC

QByteArray state(const QByteArray &lines)
{
    return "[Merkwerk]\r\n" + lines;
}
} // namespace

class TestBookmarks : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    double m_now = 46000.5;

    Bookmarks load()
    {
        return Bookmarks(m_dir.path(), {[this] { return m_now; }});
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray rawPath(const QByteArray &name) const
    {
        return QFile::encodeName(m_dir.path()) + '/' + name;
    }

  private slots:
    void init()
    {
        // Names that are not UTF-8 are out of QDir's reach.
        std::filesystem::remove_all(QFile::encodeName(m_dir.path()).toStdString());
        QDir().mkpath(m_dir.path());
    }
    void cleanupTestCase() { init(); }

    void missingFolders()
    {
        QCOMPARE(load().folderCount(), 1);
        QCOMPARE(Bookmarks(QString()).folderCount(), 0);
        QCOMPARE(Bookmarks(path("nowhere")).folderCount(), 0);
    }

    // Names are shown as text, with a mark for bytes that are not UTF-8.
    void scanFindsBookmarks()
    {
        for (const char *name : {"My.Site.url", "SITE2.URL", "Site.url.txt", ".hidden/.Hidden.url",
                                 "News/Tech/Paper.url", "Folder.url/In.url", "locked/L.url"})
            writeFile(path(name), shortcut(name));
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.url")).constData(), 0600), 0);
        writeFile(path("binary.url"), QByteArray("\x00\xFF\xFE[\x01", 5));
        QVERIFY(QFile::setPermissions(path("locked"), QFileDevice::Permissions()));
        writeRawFile(rawPath("Jos\xE9/caf\xE9.url"), shortcut("Latin-1"));
        // Linked folders are followed, each real folder once: a cycle ends.
        QVERIFY(QFile::link(path("News"), path("News/Tech/Loop")) &&
                QFile::link(path("News"), path("Again")));
        const Bookmarks list = load();
        QVERIFY(QFile::setPermissions(path("locked"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QStringList shown;
        for (int i = 0; i < list.count(); ++i)
            shown << list.folderName(i) + '|' + list.displayName(i) + '|' + list.item(i)->url;
        shown.sort();
        const bool root = ::geteuid() == 0; // root reads the locked folder as well
        QStringList expected = dataLines(u"store/scanned.txt"_s);
        if (!root)
            expected.removeOne(u"locked|L|locked/L.url"_s);
        QCOMPARE(shown, expected);
        QStringList folders = list.folders(); // what the folder watcher watches
        folders.sort();
        const QString latin1 = path("Jos") + QChar(0xDCE9);
        QCOMPARE(folders.size(), root ? 7 : 6);
        QCOMPARE(folders.filter("Jos"), QStringList(latin1 + "/"));
        // Such a file goes to the trash through the name it has.
        QVERIFY(deleteToRecycleBin(latin1 + "/caf" + QChar(0xDCE9) + ".url"));
        QCOMPARE(topmostEmptyFolder(m_dir.path() + "/", latin1), latin1);
    }

    void threadsKeepScanOrder()
    {
        for (int i = 0; i < 300; ++i)
            writeFile(path(QStringLiteral("F%1/b%2.url").arg(i % 7).arg(i)),
                      i % 3 ? shortcut(QByteArray::number(i)) : QByteArray("junk"));
        const Bookmarks serial(m_dir.path(), {.readThreads = 1});
        const Bookmarks parallel(m_dir.path(), {.readThreads = 4});
        QCOMPARE(parallel.count(), 300);
        for (int i = 0; i < serial.count(); ++i)
            QCOMPARE(parallel.item(i)->url, serial.item(i)->url);
    }

    // Each row's file has the time stamps of 1 January 2003; RemindInterval is 7 days.
    void datesRead_data() { addRowsFromFile(QStringLiteral("store/datesread.tsv")); }
    void datesRead()
    {
        QFETCH(QByteArray, extra);
        QFETCH(double, reference);
        writeFile(path("a.url"), shortcut("a", extra));
        setFileTimes(path("a.url"), jan2003);
        const Bookmarks list = load();
        QCOMPARE(list.item(0)->referenceTime, reference);
        QCOMPARE(list.item(0)->remindTime, reference + 7);
        QVERIFY(list.isRemindDue(0) && list.isRefreshDue(0));
    }

    // With the refresh interval in days and the wait after a failure in minutes; a verdict
    // ("G" failing, "O" ok) waits its recheck delay instead of the refresh state's.
    void refreshDue_data() { addRowsFromFile(QStringLiteral("store/refreshdue.tsv")); }
    void refreshDue()
    {
        QFETCH(double, sinceRefresh);
        QFETCH(int, state);
        QFETCH(QString, checks);
        QFETCH(int, refreshDays);
        QFETCH(int, failMinutes);
        const Intervals intervals{.refreshInterval = refreshDays, .refreshAfterFail = failMinutes};
        QFETCH(bool, due);
        writeFile(path("a.url"), shortcut("http://a.test/"));
        const BookmarksEnv env{[this] { return m_now; }, [intervals] { return intervals; }};
        Bookmarks list(m_dir.path(), env);
        BookmarkRec &rec = *list.item(0);
        rec.refreshed = m_now - sinceRefresh / 1440;
        rec.refreshState = state;
        rec.history.checks = checks;
        rec.verdict = checks.isEmpty() ? LinkVerdict::None
                      : checks == u"G" ? LinkVerdict::Failing
                                       : LinkVerdict::Ok;
        QCOMPARE(list.isRefreshDue(0), due);
        QCOMPARE(list.refreshDueCount() + list.notDueCount(), 1);
        QVERIFY(list.save(0)); // what is saved and read again gives the same answer
        QCOMPARE(Bookmarks(m_dir.path(), env).isRefreshDue(0), due);
    }

    // Every key is written, in its encoding; texts come back as they were; kept bookmarks
    // are left alone by "put back all" and "refresh all".
    void saveAndLoadAgain()
    {
        const QByteArray kept = shortcut("k", state("RemindTime=BFF0000000000000\r\n"));
        writeFile(path("k.url"), kept);
        writeFile(path("a.url"), shortcut("a"));
        Bookmarks list = load();
        const int a = list.item(0)->url == u"a" ? 0 : 1;
        QVERIFY(list.isKept(1 - a) && !list.isActive(1 - a) && !list.isRefreshDue(1 - a));
        BookmarkRec &rec = *list.item(a);
        rec.referenceTime = 1.0;
        rec.remindTime = 38001.5;
        QVERIFY(list.save(a));
        QCOMPARE(readFile(path("a.url")),
                 readFile(QStringLiteral(FAVRAKE_TEST_DATA "/store/saved.url")));
        rec.title = QString(maxStoredTextLength - 1, u't') + QStringLiteral("\U0001F600");
        rec.descr = QStringLiteral("Über \u4E2D");
        rec.subjectPhrase = "CAR REPAIR";
        rec.match = "Car-Repair";
        rec.rating = 10;
        rec.history = {u"GGO"_s, 40000.5, 40001.5, {40002.5, 40001.5}}; // the oldest without

        rec.verdict = LinkVerdict::Gone;
        QVERIFY(list.save(a));
        QCOMPARE(rec.title.size(), maxStoredTextLength - 1); // the pair is not split
        list.putBackAll();
        list.refreshAll();
        const Bookmarks again = load();
        for (auto field : {&BookmarkRec::title, &BookmarkRec::descr, &BookmarkRec::match})
            QCOMPARE(again.item(a)->*field, rec.*field);
        const LinkHistory &h = again.item(a)->history;
        QCOMPARE(std::tuple(h.checks, h.lastOk, h.failSince, h.checkTimes, again.item(a)->verdict),
                 std::tuple(u"GGO"_s, 40000.5, 40001.5, rec.history.checkTimes, LinkVerdict::Gone));
        QVERIFY(again.hasSuggestion(a) && again.phraseText(a) == "CAR REPAIR");
        QCOMPARE(std::pair(again.item(a)->remindTime, again.item(a)->refreshed),
                 std::pair(1.0, 1.0));
        QCOMPARE(readFile(path("k.url")), kept);
    }

    void saveRefusesChangedFiles_data()
    {
        addRowsFromFile(QStringLiteral("store/changedfiles.tsv"));
    }
    void saveRefusesChangedFiles()
    {
        QFETCH(QByteArray, changedTo);
        writeFile(path("a.url"), shortcut("http://a.test/", state("RemindTime=3FF0000000000000")));
        Bookmarks list = load();
        writeFile(path("a.url"), changedTo);
        list.item(0)->remindTime = -1;
        QCOMPARE(list.isUnchanged(0), changedTo.contains("http://a.test/"));
        QVERIFY(!list.save(0));
        QCOMPARE(readFile(path("a.url")), changedTo);
        QVERIFY(QFile::remove(path("a.url")));
        QVERIFY(!list.save(0) && !QFile::exists(path("a.url"))); // never created again
    }

    void removeAllState()
    {
        const QByteArray noAddress = state("Rating=1\r\n");
        writeFile(path("a.url"), shortcut("a", state("Rating=1\r\n") + "[Other]\r\nx=1\r\n" +
                                                   state("Title=x\r\n"))); // each one goes
        writeFile(path("b.url"), shortcut("b", state("Rating=1\r\n")));
        writeFile(path("c.url"), noAddress); // never written
        Bookmarks list = load();
        writeFile(path("b.url"), shortcut("changed", state("Rating=1\r\n")));
        QStringList left = list.removeAllState();
        left.sort();
        QCOMPARE(left, QStringList({path("b.url"), path("c.url")}));
        QCOMPARE(readFile(path("a.url")), shortcut("a", "[Other]\r\nx=1\r\n"));
        QCOMPARE(readFile(path("b.url")), shortcut("changed", state("Rating=1\r\n")));
        QCOMPARE(readFile(path("c.url")), noAddress);
    }

    // A writer killed before its rename leaves its temporary file; the next listing removes
    // it once it is an hour old, and no other file.
    void staleTemporaryFilesRemoved()
    {
        const QString tag = ".favrake-tmp-Ab12Cd";
        const QStringList stale = {".a.url" + tag, "News/.b" + tag, "Empty/.c.url" + tag,
                                   ".later.url" + tag}; // as after the clock was set back
        const QStringList kept = {".new.url" + tag, ".d.url.Ab12Cd", "d.url" + tag,
                                  ".e.url.favrake-tmp-Ab12C", ".f.url" + tag + "/x.url"};
        const qint64 hourAgo = QDateTime::currentSecsSinceEpoch() - 3700;
        for (const QString &name : stale + kept) {
            writeFile(path(name), "x");
            if (!name.startsWith(".new"))
                setFileTimes(path(name), name.startsWith(".later") ? hourAgo + 7400 : hourAgo);
        }
        setFileTimes(path(".f.url" + tag), hourAgo);
        QVERIFY(!containsFiles(path("Empty"))); // its only file was such a one
        QCOMPARE(load().count(), 1);            // x.url
        for (const QString &name : stale)
            QVERIFY2(!QFileInfo::exists(path(name)), qPrintable(name));
        for (const QString &name : kept)
            QVERIFY2(QFileInfo::exists(path(name)), qPrintable(name));
    }

    void emptyFolderAfterDelete()
    {
        const QString root = m_dir.path() + "/";
        writeFile(path("Other.url"), shortcut("a"));
        QDir().mkpath(path("News/Tech"));
        QCOMPARE(topmostEmptyFolder(root, path("News/Tech")), root + "News/");
        writeRawFile(rawPath("News/n\xF6tes.txt"), "x"); // any file, whatever its name
        QCOMPARE(topmostEmptyFolder(root, path("News/Tech")), path("News/Tech"));
        QCOMPARE(topmostEmptyFolder(root, "/elsewhere/News"), QString());
        QCOMPARE(::unlink(rawPath("News/n\xF6tes.txt").constData()), 0);
        QVERIFY(QFile::remove(path("Other.url")));
        QCOMPARE(topmostEmptyFolder(root, path("News/Tech")), root); // the caller never offers it
        QVERIFY(!deleteToRecycleBin(path("News/gone.url")));

        // A folder that cannot be listed may hold anything: never offered for deletion. Root
        // lists everything, so then the check runs in a child as an ordinary user.
        QDir().mkpath(path("News/Locked"));
        QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(path("News/Locked")).constData(), 0), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const bool dropped = ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
            ::_exit(dropped && containsFiles(path("News")) ? 0 : 1);
        }
        int status = -1;
        QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status) && !WEXITSTATUS(status));
        QCOMPARE(::chmod(QFile::encodeName(path("News/Locked")).constData(), 0700), 0);
    }
};

QTEST_GUILESS_MAIN(TestBookmarks)
#include "test_bookmarks.moc"
