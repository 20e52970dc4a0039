#include "store/hextext.h"
#include "store/inidoc.h"
#include "storefixture.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>

// A writer killed at any moment leaves every bookmark file either as it was or with a
// complete new state; the browser's section stays byte for byte.
class TestCrash : public QObject
{
    Q_OBJECT
  private slots:
    void killedWriterLeavesWholeFiles();
};

namespace {
constexpr int FileCount = 1000;

QByteArray ShortcutPart(int i)
{
    return Shortcut("http://site" + QByteArray::number(i) + ".test/",
                    "IconIndex=" + QByteArray::number(i) + "\r\n");
}

// Returns through written whether the file holds a state already.
void CheckFile(const QString &file, int i, int &written)
{
    const QByteArray content = ReadFile(file);
    QVERIFY2(content.startsWith(ShortcutPart(i)), qPrintable(file));
    if (content == ShortcutPart(i))
        return; // never written yet
    ++written;
    const IniDocument doc = IniDocument::parse(content);
    const QString title = DecodeHexText(doc.value(u"Merkwerk", u"Title").value_or(QString()));
    QVERIFY2(title.startsWith("round ") && title.endsWith(QStringLiteral("\U0001F600")),
             qPrintable(file));
    for (const char *key : {"Descr", "URL", "ReferenceTime", "Refreshed", "RefreshState",
                            "RefreshMsg", "RemindTime", "Phrase", "Match", "Rating"})
        QVERIFY2(doc.value(u"Merkwerk", QString::fromLatin1(key)).has_value(), key);
    QCOMPARE(doc.value(u"Merkwerk", u"Rating"), title.section(u' ', 1, 1));
}
} // namespace

void TestCrash::killedWriterLeavesWholeFiles()
{
    QTemporaryDir dir;
    const auto fileOf = [&](int i) {
        return dir.filePath(QStringLiteral("F%1/b%2.url").arg(i % 20).arg(i));
    };
    for (int i = 0; i < FileCount; ++i)
        WriteFile(fileOf(i), ShortcutPart(i));
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("kill times seeded with %u", seed);
    QRandomGenerator random(seed);
    for (int round = 0; round < 5; ++round) {
        QProcess writer;
        writer.start(QCoreApplication::applicationDirPath() + "/crash_writer", {dir.path()});
        QVERIFY(writer.waitForStarted());
        // However slowly the writer starts, it is killed in the middle of its work.
        QVERIFY(writer.waitForReadyRead(60000));
        QThread::msleep(random.bounded(400));
        QCOMPARE(writer.state(), QProcess::Running);
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        int written = 0;
        for (int i = 0; i < FileCount; ++i)
            CheckFile(fileOf(i), i, written);
        QVERIFY(written > 0);
    }
}

QTEST_GUILESS_MAIN(TestCrash)
#include "test_crash.moc"
