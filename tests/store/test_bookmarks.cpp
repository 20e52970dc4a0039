#include "store/bookmarks.h"
#include "store/hextext.h"
#include "store/scan.h"
#include "storefixture.h"

#include <QTemporaryDir>
#include <filesystem>
#include <limits>
#include <sys/wait.h>

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 Jan2003 = 1041379200; // 2003-01-01 00:00 UTC
constexpr double Jan2003Days = 37622.0;
const QByteArray Modified2001 = "Modified=00C09DC88573C001\r\n"; // 2001-01-01 00:00
const QString Mark = QStringLiteral("\uFFFD");

QByteArray Hex(double value)
{
    return Int64ToHex(qint64(DateTimeBits(value)));
}

QByteArray State(const QByteArray &lines)
{
    return "[Merkwerk]\r\n" + lines;
}
} // namespace

class TestBookmarks : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    double m_now = 46000.5;

    TBookmarks load()
    {
        return TBookmarks(m_dir.path(), {[this] { return m_now; }});
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
        QCOMPARE(load().FolderCount(), 1);
        QCOMPARE(TBookmarks(QString()).FolderCount(), 0);
        QCOMPARE(TBookmarks(path("nowhere")).FolderCount(), 0);
    }

    // Names are shown as text, with a mark for bytes that are not UTF-8.
    void scanFindsBookmarks()
    {
        for (const char *name : {"My.Site.url", "SITE2.URL", "Site.url.txt", ".hidden/.Hidden.url",
                                 "News/Tech/Paper.url", "Folder.url/In.url", "locked/L.url"})
            WriteFile(path(name), Shortcut(name));
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.url")).constData(), 0600), 0);
        WriteFile(path("binary.url"), QByteArray("\x00\xFF\xFE[\x01", 5));
        QVERIFY(QFile::setPermissions(path("locked"), QFileDevice::Permissions()));
        WriteRawFile(rawPath("Jos\xE9/caf\xE9.url"), Shortcut("Latin-1"));
        // Linked folders are followed, each real folder once: a cycle ends.
        QVERIFY(QFile::link(path("News"), path("News/Tech/Loop")) &&
                QFile::link(path("News"), path("Again")));
        const TBookmarks list = load();
        QVERIFY(QFile::setPermissions(path("locked"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QStringList shown;
        for (int i = 0; i < list.Count(); ++i)
            shown << list.FolderName(i) + '|' + list.DisplayName(i) + '|' + list.Item(i)->URL;
        shown.sort();
        const bool root = ::geteuid() == 0; // root reads the locked folder as well
        QStringList expected = {"|My.Site|My.Site.url",
                                "|SITE2|SITE2.URL",
                                "|binary|",
                                ".hidden|.Hidden|.hidden/.Hidden.url",
                                "Folder.url|In|Folder.url/In.url",
                                "Jos" + Mark + "|caf" + Mark + "|Latin-1",
                                "News/Tech|Paper|News/Tech/Paper.url"};
        if (root)
            expected.append("locked|L|locked/L.url");
        expected.sort();
        QCOMPARE(shown, expected);
        QStringList folders = list.Folders(); // what the folder watcher watches
        folders.sort();
        const QString latin1 = path("Jos") + QChar(0xDCE9);
        QCOMPARE(folders.size(), root ? 7 : 6);
        QCOMPARE(folders.filter("Jos"), QStringList(latin1 + "/"));
        // Such a file goes to the trash through the name it has.
        QVERIFY(DeleteToRecycleBin(latin1 + "/caf" + QChar(0xDCE9) + ".url"));
        QCOMPARE(TopmostEmptyFolder(m_dir.path() + "/", latin1), latin1);
    }

    void threadsKeepScanOrder()
    {
        for (int i = 0; i < 300; ++i)
            WriteFile(path(QStringLiteral("F%1/b%2.url").arg(i % 7).arg(i)),
                      i % 3 ? Shortcut(QByteArray::number(i)) : QByteArray("junk"));
        const TBookmarks serial(m_dir.path(), {.ReadThreads = 1});
        const TBookmarks parallel(m_dir.path(), {.ReadThreads = 4});
        QCOMPARE(parallel.Count(), 300);
        for (int i = 0; i < serial.Count(); ++i)
            QCOMPARE(parallel.Item(i)->URL, serial.Item(i)->URL);
    }

    // Each row's file has the time stamps of 1 January 2003; RemindInterval is 7 days.
    void datesRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<double>("reference");
        QTest::newRow("file stamps") << Shortcut("a") << Jan2003Days;
        QTest::newRow("earlier Modified wins") << Shortcut("a", Modified2001) << 36892.0;
        QTest::newRow("Modified of 0 ignored")
            << Shortcut("a", "Modified=0000000000000000\r\n") << Jan2003Days;
        QTest::newRow("short Modified ignored")
            << Shortcut("a", "Modified=00C09DC88573C0\r\n") << Jan2003Days;
        QTest::newRow("Modified with a blank inside ignored")
            << Shortcut("a", "Modified=00C09DC88573C0 1\r\n") << Jan2003Days;
        QTest::newRow("stored reference wins over all")
            << Shortcut("a", Modified2001 + State("ReferenceTime=" + Hex(40000.25))) << 40000.25;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        for (const QByteArray &bad : {Hex(nan), Hex(std::numeric_limits<double>::infinity()),
                                      Hex(-5.0), Hex(3e6), QByteArray("12G4")})
            QTest::addRow("stored dates %s ignored", bad.constData())
                << Shortcut("a", State("ReferenceTime=" + bad + "\r\nRefreshed=" + bad +
                                       "\r\nRemindTime=" + bad + "\r\n"))
                << Jan2003Days;
    }
    void datesRead()
    {
        QFETCH(QByteArray, content);
        QFETCH(double, reference);
        WriteFile(path("a.url"), content);
        SetFileTimes(path("a.url"), Jan2003);
        const TBookmarks list = load();
        QCOMPARE(list.Item(0)->ReferenceTime, reference);
        QCOMPARE(list.Item(0)->RemindTime, reference + 7);
        QVERIFY(list.IsRemindDue(0) && list.IsRefreshDue(0));
    }

    void refreshDue_data()
    {
        QTest::addColumn<double>("sinceRefresh"); // days, negative: in the future
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("due");
        const double minute = 1.0 / 1440;
        QTest::newRow("30 days ok") << 30.0 << 0 << true;
        QTest::newRow("29.999 days ok") << 30.0 - minute << 0 << false;
        QTest::newRow("30 days ahead (clock set back)") << -30.0 << 0 << true;
        QTest::newRow("29 minutes failed") << 29 * minute << -1 << false;
        QTest::newRow("exactly 30 minutes failed") << 30 * minute << -1 << true;
        QTest::newRow("other negative state counts as failed") << 30 * minute << -7 << true;
    }
    void refreshDue()
    {
        QFETCH(double, sinceRefresh);
        QFETCH(int, state);
        QFETCH(bool, due);
        WriteFile(path("a.url"), Shortcut("http://a.test/"));
        TBookmarks list = load();
        list.Item(0)->Refreshed = m_now - sinceRefresh;
        list.Item(0)->RefreshState = state;
        QCOMPARE(list.IsRefreshDue(0), due);
        QCOMPARE(list.RefreshDueCount() + list.NotDueCount(), 1);
        QVERIFY(list.Save(0)); // what is saved and read again gives the same answer
        QCOMPARE(load().IsRefreshDue(0), due);
    }

    // Every key is written, in its encoding; texts come back as they were; kept bookmarks
    // are left alone by "put back all" and "refresh all".
    void saveAndLoadAgain()
    {
        const QByteArray kept = Shortcut("k", State("RemindTime=BFF0000000000000\r\n"));
        WriteFile(path("k.url"), kept);
        WriteFile(path("a.url"), Shortcut("a"));
        TBookmarks list = load();
        const int a = list.Item(0)->URL == u"a" ? 0 : 1;
        QVERIFY(list.IsKept(1 - a) && !list.IsActive(1 - a) && !list.IsRefreshDue(1 - a));
        TBookmarkRec &rec = *list.Item(a);
        rec.ReferenceTime = 1.0;
        rec.RemindTime = 38001.5;
        QVERIFY(list.Save(a));
        QCOMPARE(ReadFile(path("a.url")),
                 Shortcut("a", "[Merkwerk]\r\nTitle=\r\nDescr=\r\nURL=\r\n"
                               "ReferenceTime=3FF0000000000000\r\n"
                               "Refreshed=0000000000000000\r\nRefreshState=0\r\n"
                               "RefreshMsg=\r\nRemindTime=40E28E3000000000\r\n"
                               "Phrase=\r\nMatch=\r\nRating=0\r\n"));
        rec.Title = QString(MaxStoredTextLength - 1, u't') + QStringLiteral("\U0001F600");
        rec.Descr = QStringLiteral("Über \u4E2D");
        rec.SubjectPhrase = "CAR REPAIR";
        rec.Match = "Car-Repair";
        rec.Rating = 10;
        rec.History = {u"GGO"_s, 40000.5, 40001.5, {40002.5, 40001.5}}; // the oldest without

        rec.Verdict = LinkVerdict::Gone;
        QVERIFY(list.Save(a));
        QCOMPARE(rec.Title.size(), MaxStoredTextLength - 1); // the pair is not split
        list.PutBackAll();
        list.RefreshAll();
        const TBookmarks again = load();
        for (auto field : {&TBookmarkRec::Title, &TBookmarkRec::Descr, &TBookmarkRec::Match})
            QCOMPARE(again.Item(a)->*field, rec.*field);
        const LinkHistory &h = again.Item(a)->History;
        QCOMPARE(std::tuple(h.Checks, h.LastOK, h.FailSince, h.CheckTimes, again.Item(a)->Verdict),
                 std::tuple(u"GGO"_s, 40000.5, 40001.5, rec.History.CheckTimes, LinkVerdict::Gone));
        QVERIFY(again.HasSuggestion(a) && again.PhraseText(a) == "CAR REPAIR");
        QCOMPARE(std::pair(again.Item(a)->RemindTime, again.Item(a)->Refreshed),
                 std::pair(1.0, 1.0));
        QCOMPARE(ReadFile(path("k.url")), kept);
    }

    void saveRefusesChangedFiles_data()
    {
        QTest::addColumn<QByteArray>("changedTo");
        const QByteArray state = State("RemindTime=" + Hex(1.0) + "\r\n");
        QTest::newRow("address edited") << Shortcut("http://other.test/", state);
        QTest::newRow("address case changed") << Shortcut("http://A.test/", state);
        QTest::newRow("state written by another computer")
            << Shortcut("http://a.test/", State("RemindTime=BFF0000000000000\r\n"));
        QTest::newRow("state added by another computer")
            << Shortcut("http://a.test/", state + "Rating=2\r\n");
        QTest::newRow("file emptied") << QByteArray();
    }
    void saveRefusesChangedFiles()
    {
        QFETCH(QByteArray, changedTo);
        WriteFile(path("a.url"), Shortcut("http://a.test/", State("RemindTime=" + Hex(1.0))));
        TBookmarks list = load();
        WriteFile(path("a.url"), changedTo);
        list.Item(0)->RemindTime = -1;
        QCOMPARE(list.IsUnchanged(0), changedTo.contains("http://a.test/"));
        QVERIFY(!list.Save(0));
        QCOMPARE(ReadFile(path("a.url")), changedTo);
        QVERIFY(QFile::remove(path("a.url")));
        QVERIFY(!list.Save(0) && !QFile::exists(path("a.url"))); // never created again
    }

    void removeAllState()
    {
        const QByteArray noAddress = State("Rating=1\r\n");
        WriteFile(path("a.url"), Shortcut("a", State("Rating=1\r\n") + "[Other]\r\nx=1\r\n"));
        WriteFile(path("b.url"), Shortcut("b", State("Rating=1\r\n")));
        WriteFile(path("c.url"), noAddress); // never written
        TBookmarks list = load();
        WriteFile(path("b.url"), Shortcut("changed", State("Rating=1\r\n")));
        QStringList left = list.RemoveAllState();
        left.sort();
        QCOMPARE(left, QStringList({path("b.url"), path("c.url")}));
        QCOMPARE(ReadFile(path("a.url")), Shortcut("a", "[Other]\r\nx=1\r\n"));
        QCOMPARE(ReadFile(path("b.url")), Shortcut("changed", State("Rating=1\r\n")));
        QCOMPARE(ReadFile(path("c.url")), noAddress);
    }

    // A writer killed before its rename leaves its temporary file; the next listing removes
    // it once it is an hour old, and no other file.
    void staleTemporaryFilesRemoved()
    {
        const QString tag = ".favrake-tmp-Ab12Cd";
        const QStringList stale = {".a.url" + tag, "News/.b" + tag, "Empty/.c.url" + tag};
        const QStringList kept = {".new.url" + tag, ".d.url.Ab12Cd", "d.url" + tag,
                                  ".e.url.favrake-tmp-Ab12C", ".f.url" + tag + "/x.url"};
        const qint64 hourAgo = QDateTime::currentSecsSinceEpoch() - 3700;
        for (const QString &name : stale + kept) {
            WriteFile(path(name), "x");
            if (!name.startsWith(".new"))
                SetFileTimes(path(name), hourAgo);
        }
        SetFileTimes(path(".f.url" + tag), hourAgo);
        QVERIFY(!ContainsFiles(path("Empty"))); // its only file was such a one
        QCOMPARE(load().Count(), 1);            // x.url
        for (const QString &name : stale)
            QVERIFY2(!QFileInfo::exists(path(name)), qPrintable(name));
        for (const QString &name : kept)
            QVERIFY2(QFileInfo::exists(path(name)), qPrintable(name));
    }

    void emptyFolderAfterDelete()
    {
        const QString root = m_dir.path() + "/";
        WriteFile(path("Other.url"), Shortcut("a"));
        QDir().mkpath(path("News/Tech"));
        QCOMPARE(TopmostEmptyFolder(root, path("News/Tech")), root + "News/");
        WriteRawFile(rawPath("News/n\xF6tes.txt"), "x"); // any file, whatever its name
        QCOMPARE(TopmostEmptyFolder(root, path("News/Tech")), path("News/Tech"));
        QCOMPARE(TopmostEmptyFolder(root, "/elsewhere/News"), QString());
        QCOMPARE(::unlink(rawPath("News/n\xF6tes.txt").constData()), 0);
        QVERIFY(QFile::remove(path("Other.url")));
        QCOMPARE(TopmostEmptyFolder(root, path("News/Tech")), root); // the caller never offers it
        QVERIFY(!DeleteToRecycleBin(path("News/gone.url")));

        // A folder that cannot be listed may hold anything: never offered for deletion. Root
        // lists everything, so then the check runs in a child as an ordinary user.
        QDir().mkpath(path("News/Locked"));
        QCOMPARE(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(path("News/Locked")).constData(), 0), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const bool dropped = ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
            ::_exit(dropped && ContainsFiles(path("News")) ? 0 : 1);
        }
        int status = -1;
        QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status) && !WEXITSTATUS(status));
        QCOMPARE(::chmod(QFile::encodeName(path("News/Locked")).constData(), 0700), 0);
    }
};

QTEST_GUILESS_MAIN(TestBookmarks)
#include "test_bookmarks.moc"
