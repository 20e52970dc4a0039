#include "store/ini.h"
#include "storefixture.h"

#include <QTemporaryDir>
#include <cerrno>
#include <sys/mount.h>
#include <unistd.h>

namespace {
long FailingWrite(int, const void *, unsigned long)
{
    errno = ENOSPC;
    return -1;
}
int FailingSync(int)
{
    errno = EIO;
    return -1;
}
int FailingRename(const char *, const char *)
{
    errno = EXDEV;
    return -1;
}
} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void typedValues();
    void shortcutIsNeverCreated();
    void settingsFileIsCreated();
    void permissionsAndLinksKept();
    void failedStepsLeaveTheFile_data();
    void failedStepsLeaveTheFile();
    void readOnlyAndOddFilesUntouched();
    void fullDisk();

  private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

void TestIniFile::init()
{
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void TestIniFile::typedValues()
{
    const QString file = path("s.ini");
    WriteFile(file, "[C]\nyes=yes\none=1\nzero= 0 \nint=12abc\nneg=-5\nhex=12G4\n");
    QCOMPARE(IniReadBool(file, "C", "yes", true), true);
    QCOMPARE(IniReadBool(file, "C", "yes", false), false);
    QCOMPARE(IniReadBool(file, "C", "one", false), true);
    QCOMPARE(IniReadBool(file, "C", "zero", true), false);
    QCOMPARE(IniReadInteger(file, "C", "int", 9), 9);
    QCOMPARE(IniReadInteger(file, "C", "neg", 9), -5);
    QCOMPARE(IniReadHex64(file, "C", "hex", 3), qint64(-1));
    QCOMPARE(IniReadHex64(file, "C", "missing", 3), qint64(3));
    QCOMPARE(IniReadString(path("none.ini"), "C", "k", "dflt"), QString("dflt"));
    QVERIFY(IniWriteHexText(file, "C", "text", QStringLiteral("\U0001F600")));
    QCOMPARE(IniReadHexText(file, "C", "text", ""), QStringLiteral("\U0001F600"));
    QCOMPARE(IniReadHexText(file, "C", "absent", "Ab"), QString("Ab"));
    QVERIFY(IniWriteHex64(file, "C", "h", -1));
    QCOMPARE(IniReadString(file, "C", "h", ""), QString("FFFFFFFFFFFFFFFF"));
    QVERIFY(IniSectionExists(file, "c"));
    QVERIFY(IniEraseSection(file, "C"));
    QVERIFY(!IniSectionExists(file, "C"));
    QCOMPARE(ReadFile(file), QByteArray());
}

void TestIniFile::shortcutIsNeverCreated()
{
    QVERIFY(!IniWriteString(path("gone.url"), "Merkwerk", "Title", "x"));
    QVERIFY(!IniWriteString(path("gone.URL"), "Merkwerk", "Title", "x"));
    QVERIFY(IniEraseSection(path("gone.ini"), "Merkwerk")); // nothing to erase is fine
    QCOMPARE(entries(), QStringList());
}

void TestIniFile::settingsFileIsCreated()
{
    QVERIFY(IniWriteBool(path("Favrake.ini"), "FlagsInfo", "Msg", true));
    QCOMPARE(ReadFile(path("Favrake.ini")), QByteArray("[FlagsInfo]\r\nMsg=1\r\n"));
}

void TestIniFile::permissionsAndLinksKept()
{
    const QString target = path("real.url");
    WriteFile(target, Shortcut("http://a.test/"));
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(QFile::link(target, path("link.url")));
    QVERIFY(IniWriteString(path("link.url"), "Merkwerk", "Rating", "3"));
    QVERIFY(QFileInfo(path("link.url")).isSymLink());
    QCOMPARE(ReadFile(target), Shortcut("http://a.test/", "[Merkwerk]\r\nRating=3\r\n"));
    struct stat st
    {
    };
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0640u);
    QCOMPARE(entries().size(), 2); // no temporary file left behind
}

void TestIniFile::failedStepsLeaveTheFile_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("write") << 0;
    QTest::newRow("sync") << 1;
    QTest::newRow("rename") << 2;
}

void TestIniFile::failedStepsLeaveTheFile()
{
    QFETCH(int, step);
    platform::FileWriteOps ops = platform::systemFileWriteOps();
    if (step == 0)
        ops.write = FailingWrite;
    if (step == 1)
        ops.sync = FailingSync;
    if (step == 2)
        ops.rename = FailingRename;
    const QString file = path("a.url");
    const QByteArray before = Shortcut("http://a.test/", "[Merkwerk]\r\nTitle=0041\r\n");
    WriteFile(file, before);
    const bool ok = IniUpdate(
        file, [](IniDocument &doc) { return doc.setValue(u"Merkwerk", u"Title", u"0042"); }, ops);
    QVERIFY(!ok);
    QCOMPARE(ReadFile(file), before);
    QCOMPARE(entries(), QStringList{"a.url"});
}

void TestIniFile::readOnlyAndOddFilesUntouched()
{
    const QString readOnly = path("ro.url");
    WriteFile(readOnly, Shortcut("http://a.test/"));
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadUser));
    QVERIFY(!IniWriteString(readOnly, "Merkwerk", "Title", "0041"));
    QCOMPARE(ReadFile(readOnly), Shortcut("http://a.test/"));

    const QString big = path("big.url");
    const QByteArray bigContent = Shortcut("http://b.test/") + QByteArray(MaxIniFileSize, ';');
    WriteFile(big, bigContent);
    QVERIFY(!IniWriteString(big, "Merkwerk", "Title", "0041"));
    QCOMPARE(IniReadString(big, "InternetShortcut", "URL", "none"), QString("none"));
    QCOMPARE(ReadFile(big), bigContent);

    const QString fifo = path("pipe.url");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!IniWriteString(fifo, "Merkwerk", "Title", "0041")); // and does not block
    QCOMPARE(IniReadString(fifo, "InternetShortcut", "URL", "none"), QString("none"));
}

void TestIniFile::fullDisk()
{
    // A small file system of our own, where the machine lets us mount one.
    const QString mountPoint = path("small");
    QDir().mkpath(mountPoint);
    if (::geteuid() != 0 ||
        ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=16k") != 0)
        QSKIP("cannot mount a small file system here; the injected write failure covers it");
    const QString file = mountPoint + "/a.url";
    const QByteArray before = Shortcut("http://a.test/");
    WriteFile(file, before);
    WriteFile(mountPoint + "/filler", QByteArray(12 * 1024, 'x'));
    const bool ok = IniWriteString(file, "Merkwerk", "Title", QString(4000, u'A'));
    const QByteArray after = ReadFile(file);
    const QStringList left = QDir(mountPoint).entryList(QDir::Files | QDir::Hidden);
    ::umount(QFile::encodeName(mountPoint).constData());
    QVERIFY(!ok);
    QCOMPARE(after, before);
    QCOMPARE(left, (QStringList{"a.url", "filler"}));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
