#include "platform/filenames.h"
#include "rowfile.h"
#include "store/ini.h"
#include "storefixture.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <filesystem>
#include <unistd.h>

namespace {
// What the write hook saw, and what another program writes just before it (when not empty).
QString hookFolder;
QStringList seenWhileWriting;
QByteArray otherProgramWrites;

long hookedWrite(int fd, const void *data, unsigned long size)
{
    seenWhileWriting = QDir(hookFolder).entryList(QDir::Files | QDir::Hidden);
    if (!otherProgramWrites.isEmpty())
        writeFile(hookFolder + "/a.url", otherProgramWrites);
    return ::write(fd, data, size);
}

// What this process has read so far, and the size of this answer, which counts only later.
std::pair<qint64, qint64> bytesRead()
{
    char text[1024];
    const int fd = ::open("/proc/self/io", O_RDONLY);
    const ssize_t n = qMax(::read(fd, text, sizeof text), ssize_t(0));
    ::close(fd);
    return {QByteArray(text, n).split('\n').value(0).mid(7).toLongLong(), n};
}
} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList entries() const // every name, also one QDir cannot list
    {
        QStringList names;
        for (const auto &entry :
             std::filesystem::directory_iterator(QFile::encodeName(m_dir.path()).toStdString()))
            names << QString::fromStdString(entry.path().filename().string());
        return names;
    }

  private slots:
    void init()
    {
        // Names that are not UTF-8 are out of QDir's reach.
        std::filesystem::remove_all(QFile::encodeName(m_dir.path()).toStdString());
        QDir().mkpath(m_dir.path());
        hookFolder = m_dir.path();
    }

    // Writing state is no change of the bookmark: what the file was, apart from its content,
    // stays, and only the file itself is left in the folder.
    void replaceKeepsTheFile_data()
    {
        addRowsFromFile(QStringLiteral("store/replacedfiles.tsv"));
        QTest::newRow("name of 250 bytes") << false << QByteArray(246, 'n') + ".url";
    }
    void replaceKeepsTheFile()
    {
        QFETCH(bool, link);
        QFETCH(QByteArray, target);
        const QString name = link ? QStringLiteral("link.url") : platform::decodeFileName(target);
        writeRawFile(QFile::encodeName(m_dir.path()) + '/' + target, shortcut("x"));
        const QByteArray real = QFile::encodeName(m_dir.path()) + '/' + target;
        const struct timespec times[2] = {{1041379200, 5}, {1041379300, 7}}; // January 2003
        QVERIFY(::chmod(real.constData(), 0640) == 0 &&
                ::utimensat(AT_FDCWD, real.constData(), times, 0) == 0);
        QVERIFY(!link || QFile::link(path("a.url"), path(name)));
        QVERIFY(iniWriteString(path(name), "Merkwerk", "Rating", "3"));
        struct stat st = {};
        QVERIFY(::stat(real.constData(), &st) == 0 && st.st_size == 27 + 22);
        QCOMPARE(st.st_mode & 07777, 0640u);
        QCOMPARE(std::pair(st.st_atim.tv_sec, st.st_atim.tv_nsec), std::pair(1041379200L, 5L));
        QCOMPARE(std::pair(st.st_mtim.tv_sec, st.st_mtim.tv_nsec), std::pair(1041379300L, 7L));
        QCOMPARE(entries().size(), link ? 2 : 1);
        QVERIFY(!link || QFileInfo(path(name)).isSymLink());
    }

    void failedStepsLeaveTheFile_data()
    {
        addRowsFromFile(QStringLiteral("store/failedsaves.tsv"));
    }
    void failedStepsLeaveTheFile()
    {
        QFETCH(QString, fails);
        platform::FileWriteOps ops = platform::systemFileWriteOps();
        ops.write = fails == u"write" ? failingWrite : hookedWrite;
        if (fails == u"sync")
            ops.sync = [](int) { return errno = EIO, -1; };
        if (fails == u"rename")
            ops.rename = [](const char *, const char *) { return errno = EXDEV, -1; };
        const QByteArray before = shortcut("http://a.test/", "[Merkwerk]\r\nTitle=0041\r\n");
        const bool otherSave = fails == u"other save";
        otherProgramWrites = otherSave ? shortcut("http://a.test/", "[M]\r\nx=1\r\n") : "";
        writeFile(path("a.url"), before);
        const bool ok = iniUpdate(
            path("a.url"),
            [](IniDocument &doc) { return doc.setValue(u"Merkwerk", u"Title", u"0042"); }, ops);
        QVERIFY(!ok);
        QCOMPARE(readFile(path("a.url")), otherSave ? otherProgramWrites : before);
        QCOMPARE(entries(), QStringList{"a.url"});
        // The file being written carries a name that only this program uses.
        const QStringList temporary = seenWhileWriting.filter(
            QRegularExpression("^\\.a\\.url\\.favrake-tmp-[A-Za-z0-9]{6}$"));
        QVERIFY2(fails == u"write" || (seenWhileWriting.size() == 2 && temporary.size() == 1),
                 qPrintable(seenWhileWriting.join(u' ')));
    }

    void oddFilesUntouched()
    {
        QVERIFY(!iniWriteString(path("gone.URL"), "Merkwerk", "Title", "x")); // never made
        QVERIFY(iniUpdate(path("gone.ini"),
                          [](IniDocument &doc) {
                              doc.eraseSection(u"Merkwerk");
                              return true;
                          }) &&
                entries().isEmpty());

        const QString readOnly = path("ro.url");
        writeFile(readOnly, shortcut("http://a.test/"));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadUser));
        QVERIFY(!iniWriteString(readOnly, "Merkwerk", "Title", "0041"));
        QCOMPARE(readFile(readOnly), shortcut("http://a.test/"));

        const QString big = path("big.url");
        const QByteArray bigContent = shortcut("http://b.test/") + QByteArray(maxIniFileSize, ';');
        writeFile(big, bigContent);
        QVERIFY(!iniWriteString(big, "Merkwerk", "Title", "0041"));
        QCOMPARE(iniReadString(big, "InternetShortcut", "URL", "none"), QString("none"));
        QCOMPARE(readFile(big), bigContent);

        const QString fifo = path("pipe.url");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!iniWriteString(fifo, "Merkwerk", "Title", "0041")); // and does not block
        QCOMPARE(iniReadString(fifo, "InternetShortcut", "URL", "none"), QString("none"));

        // A file that states the size 0 and holds more: the read stops at the limit.
        const auto [before, asking] = bytesRead();
        const auto maps = platform::readSmallFile("/proc/self/maps", 64);
        QVERIFY(maps && !maps->content);
        QCOMPARE(bytesRead().first - before - asking, 65);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
