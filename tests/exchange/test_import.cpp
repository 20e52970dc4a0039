// Importing into a folder of .URL files: names, dates, idempotence, failures and the round
// trip through export (favrake-cli's import and export are tested in tests/cli).
#include "exchange/exporter.h"
#include "exchange/filenames.h"
#include "exchange/importer.h"
#include "exchange/netscapereader.h"
#include "exchangefixture.h"
#include "platform/filenames.h"
#include "platform/newfile.h"
#include "rowfile.h"
#include "store/bookmarks.h"
#include "testenv.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <filesystem>

using namespace exchange;

namespace {
const QDateTime now(QDate(2024, 1, 1), QTime(12, 0), Qt::UTC);

ImportReport import(const BookmarkTree &tree, const QString &favorites, bool dryRun = false,
                    const platform::FileWriteOps *ops = &platform::batchedFileWriteOps(),
                    const QString &into = {})
{
    return importTree(tree, {.favorites = favorites,
                             .into = into,
                             .sourceName = QStringLiteral("test.html"),
                             .dryRun = dryRun,
                             .now = now,
                             .ops = ops});
}

BookmarkTree tree(const char *fixture)
{
    return readBookmarkHtml(dataFile(QString::fromLatin1(fixture))).tree;
}
} // namespace

class TestImport : public QObject
{
    Q_OBJECT

  private slots:
    void names_data()
    {
        addRowsFromFile(QStringLiteral("exchange/importnames.tsv"));
        const QString longTitle = QString(200, u'x') + QString(100, QChar(0x20AC));
        QTest::newRow("cut to 255 bytes on a whole character")
            << longTitle << 12 << QString(200, u'x') + QString(15, QChar(0x20AC)) + " (12).url";
    }
    void names()
    {
        QFETCH(QString, title);
        QFETCH(int, number);
        QTEST(bookmarkFileName(title, u"https://user@Example.COM:8080/x", number), "name");
    }

    void firefoxExportIntoMissingFolder()
    {
        QTemporaryDir dir;
        const QString favorites = dir.filePath("Favorites"); // missing: made by the import
        const ImportReport first = import(tree("firefox.html"), favorites);
        QCOMPARE(std::pair(first.imported, first.foldersCreated), std::pair(3, 3));
        QCOMPARE(first.skipped, (std::map<QString, int>{{"place", 1}}));
        QCOMPARE(shortcuts(favorites), dataLines(QStringLiteral("exchange/firefoximport.txt")));
    }

    // Every copy goes where the source has it, compared with the collection as it stood
    // before; a second import writes nothing.
    void copies_data() { addRowsFromFile(QStringLiteral("exchange/importcopies.tsv")); }
    void copies()
    {
        QFETCH(QStringList, source);
        QFETCH(QStringList, collection);
        QFETCH(QStringList, written);
        QFETCH(int, imported);
        QFETCH(int, present);
        QFETCH(int, several);
        BookmarkTree tree;
        QHash<QString, int> folders{{QString(), 0}};
        for (const QString &line : source) {
            const QStringList names = line.section(u'=', 0, 0).split(u'/');
            QString path;
            for (const QString &name : names.first(names.size() - 1)) {
                const int parent = folders.value(path);
                path += u'/' + name;
                if (!folders.contains(path))
                    folders.insert(path, tree.addFolder(parent, name));
            }
            tree.bookmarks.push_back({folders.value(path), names.last(), line.section(u'=', 1), 0});
        }
        QTemporaryDir dir;
        for (const QString &entry : collection)
            writeFile(dir.filePath(entry.section(u'=', 0, 0)),
                      shortcut(entry.section(u'=', 1).toUtf8()));
        for (const bool dryRun : {true, false}) {
            const ImportReport report = import(tree, dir.path(), dryRun);
            QCOMPARE(std::tuple(report.imported, report.alreadyPresent,
                                report.addressesInSeveralFolders),
                     std::tuple(imported, present, several));
        }
        QStringList expected = collection + written;
        expected.sort();
        QCOMPARE(shortcuts(dir.path()), expected);
        QCOMPARE(import(tree, dir.path()).imported, 0);
        QCOMPARE(shortcuts(dir.path()), expected);
    }

    // A Favorites folder named in bytes that are not UTF-8 is the folder written into.
    void latin1Folder()
    {
        QTemporaryDir dir;
        const QByteArray favorites = QFile::encodeName(dir.path()) + "/Fav\xE9";
        writeRawFile(favorites + "/Old\xE9/Old.url", shortcut("https://old.example/"));
        BookmarkTree tree;
        tree.bookmarks.push_back({tree.addFolder(0, "News"), "A", "https://a.example/", 0});
        tree.bookmarks.push_back({0, "Old", "https://old.example/", 0});
        const ImportReport report =
            import(tree, platform::decodeFileName(favorites), false,
                   &platform::batchedFileWriteOps(), platform::decodeFileName("Old\xE9/In"));
        QCOMPARE(std::tuple(report.imported, report.alreadyPresent, report.failed),
                 std::tuple(1, 1, 0));
        QByteArrayList files;
        for (const auto &entry :
             std::filesystem::recursive_directory_iterator(dir.path().toStdString()))
            files << QByteArray::fromStdString(entry.path().string()).mid(dir.path().size() + 1);
        std::sort(files.begin(), files.end());
        std::filesystem::remove_all(favorites.toStdString()); // out of QTemporaryDir's reach
        QCOMPARE(files, (QByteArrayList{"Fav\xE9", "Fav\xE9/Old\xE9", "Fav\xE9/Old\xE9/In",
                                        "Fav\xE9/Old\xE9/In/News", "Fav\xE9/Old\xE9/In/News/A.url",
                                        "Fav\xE9/Old\xE9/Old.url"}));
    }

    void addDates_data() { addRowsFromFile(QStringLiteral("exchange/adddates.tsv")); }
    void addDates()
    {
        QFETCH(qint64, raw);
        QTEST(qint64(addDateSeconds(raw, now.toSecsSinceEpoch()).value_or(0)), "seconds");
    }

    void failedWrite()
    {
        QTemporaryDir dir;
        const platform::FileWriteOps failing{failingWrite, ::fsync, ::rename, true};
        const ImportReport report = import(tree("chromium.html"), dir.path(), false, &failing);
        QCOMPARE(std::pair(report.failed, report.imported), std::pair(2, 0));
        QVERIFY(QDir(dir.path()).isEmpty(QDir::Files | QDir::Hidden));
    }

    void newFile_data() { addRowsFromFile(QStringLiteral("exchange/newfiles.tsv")); }
    // Whatever happens, the folder holds the new file complete or not at all, the old one
    // untouched, and no temporary file.
    void newFile()
    {
        QFETCH(bool, named);
        QFETCH(bool, taken);
        QFETCH(bool, failing);
        QFETCH(QString, resultName);
        const auto result = platform::NewFileResult(
            QStringList{"Created", "NameTaken", "Failed"}.indexOf(resultName));
        QTemporaryDir dir;
        if (taken)
            writeFile(dir.filePath("a.url"), "old");
        const platform::FileWriteOps failingOps{failingWrite, ::fsync, ::rename, false};
        QCOMPARE(platform::createNewFile(dir.filePath("a.url"), "new", 1500000000,
                                         failing ? failingOps : platform::systemFileWriteOps(),
                                         named ? platform::NewFileWay::Named
                                               : platform::NewFileWay::Any),
                 result);
        const QStringList entries = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(entries, failing ? QStringList() : QStringList{"a.url"});
        QCOMPARE(readFile(dir.filePath("a.url")), QByteArray(failing ? "<missing>"
                                                             : taken ? "old"
                                                                     : "new"));
        if (result == platform::NewFileResult::Created)
            QCOMPARE(QFileInfo(dir.filePath("a.url")).lastModified().toSecsSinceEpoch(),
                     1500000000);
    }

    // A whole file (an export) is written completely or not at all, through a symbolic link
    // to its target, and never into something that is not a regular file.
    void wholeFile_data() { addRowsFromFile(QStringLiteral("exchange/wholefile.tsv")); }
    void wholeFile()
    {
        QFETCH(QString, target);
        QFETCH(int, write);
        QFETCH(QString, error);
        QFETCH(QString, mode);
        QTemporaryDir dir;
        const QString path = dir.filePath(target.endsWith(u'/') ? target + "out.html" : "out.html");
        const bool link = target == u"link" || target == u"dangling";
        const QString real = link ? dir.filePath("real") : path;
        const QByteArray out = QFile::encodeName(path);
        if (target == u"file" || target == u"link" || target == u"read-only")
            writeFile(real, "old");
        ::chmod(QFile::encodeName(real).constData(), target == u"read-only" ? 0444 : 0640);
        QVERIFY(!link || QFile::link("real", path));
        QVERIFY(target != u"folder" || QDir(dir.path()).mkdir("out.html"));
        QVERIFY(target != u"fifo" || ::mkfifo(out.constData(), 0600) == 0);
        // A reader on the FIFO, so that a wrong open for writing could not block the test.
        const int reader = target == u"fifo" ? ::open(out.constData(), O_RDONLY | O_NONBLOCK) : -1;
        struct stat before = {}, after = {};
        ::lstat(out.constData(), &before);
        platform::FileWriteOps ops = platform::systemFileWriteOps();
        if (write > 0)
            ops.write = write == 1 ? failingWrite : +[](int fd, const void *data, unsigned long) {
                static bool first = true; // half of it, then nothing more
                return (first = !first) ? 0L : long(::write(fd, data, 3));
            };
        const platform::FileWriteResult result = platform::writeWholeFile(path, "<html>", ops);
        QVERIFY2(result.ok() ? error.isEmpty() : !error.isEmpty() && result.error.startsWith(error),
                 qPrintable(result.error));
        char byte = 0;
        QVERIFY(reader < 0 || ::read(reader, &byte, 1) <= 0);
        ::close(reader);
        ::lstat(out.constData(), &after); // a link stays a link, a FIFO a FIFO
        QCOMPARE(after.st_mode & S_IFMT, before.st_mode    ? before.st_mode & S_IFMT
                                         : error.isEmpty() ? S_IFREG
                                                           : 0);
        after = {};
        ::stat(QFile::encodeName(real).constData(), &after);
        const bool file = S_ISREG(after.st_mode); // never read a FIFO: that would wait
        QTEST(file ? readFile(real) : QByteArray("<missing>"), "content");
        QCOMPARE(file ? uint(after.st_mode & 0777) : 0u,
                 mode == u"new" ? platform::newFileMode() : mode.toUInt(nullptr, 8));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Hidden | QDir::AllEntries).filter("favrake-tmp"),
                 QStringList());
    }

    void tooDeep()
    {
        BookmarkTree tree;
        int folder = 0;
        for (int i = 0; i < 100000; ++i)
            folder = tree.addFolder(folder, QStringLiteral("folder"));
        tree.bookmarks.push_back({folder, "Deep", "https://deep.example/", 0});
        QTemporaryDir dir;
        const ImportReport report = import(tree, dir.path());
        QCOMPARE(report.imported, 1);
        QVERIFY(report.foldersTooDeep > 90000);
        const QStringList files = shortcuts(dir.path());
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0].endsWith("/folder/Deep.url=https://deep.example/"));
    }

    void roundTrip()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath("source");
        const QStringList collection = dataLines(QStringLiteral("exchange/roundtrip.txt"));
        for (const QString &entry : collection)
            writeFile(source + u'/' + entry.section(u'=', 0, 0),
                      shortcut(entry.section(u'=', 1).toUtf8()));
        // A file time between two seconds: the add date must not come after the last change.
        const QDateTime bookmarked = QDateTime::fromMSecsSinceEpoch(1'500'000'000'700, Qt::UTC);
        QFile zed(source + "/Zed.url");
        QVERIFY(zed.open(QIODevice::ReadWrite));
        QVERIFY(zed.setFileTime(bookmarked, QFileDevice::FileAccessTime));
        QVERIFY(zed.setFileTime(bookmarked, QFileDevice::FileModificationTime));
        zed.close();
        const QByteArray html = exportCollection(Bookmarks(source));
        QVERIFY2(html.contains(R"(ADD_DATE="1500000000" LAST_MODIFIED="1500000000">Zed<)"),
                 html.constData());
        const ImportReport report = import(readBookmarkHtml(html).tree, dir.filePath("copy"));
        QCOMPARE(std::pair(report.imported, report.addressesInSeveralFolders),
                 std::pair(int(collection.size()), 1));
        QCOMPARE(shortcuts(dir.filePath("copy")), collection);
        QCOMPARE(exportCollection(Bookmarks(dir.filePath("copy"))).count("lwn.example"), 3);
        QCOMPARE(QFileInfo(dir.filePath("copy/Zed.url")).lastModified().toSecsSinceEpoch(),
                 bookmarked.toSecsSinceEpoch());
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "test_import.moc"
