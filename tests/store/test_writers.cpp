#include "rowfile.h"
#include "store/hextext.h"
#include "store/inidoc.h"
#include "storefixture.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <map>

// Programs saving bookmarks: one killed at any moment leaves every file either as it was or
// with a complete new state; two at once (the tray program and a scheduled refresh) never
// overwrite each other's newer state. The browser's section stays byte for byte.
class TestWriters : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(int i) const
    {
        return m_dir.filePath(QStringLiteral("F%1/b%2.url").arg(i % 7).arg(i));
    }
    static QByteArray shortcutPart(int i)
    {
        return shortcut("http://site" + QByteArray::number(i) + ".test/",
                        "IconIndex=" + QByteArray::number(i) + "\r\n");
    }
    void writeFiles(int count)
    {
        QDir folder(m_dir.path());
        QVERIFY(folder.removeRecursively() && folder.mkpath("."));
        for (int i = 0; i < count; ++i)
            writeFile(path(i), shortcutPart(i));
    }
    QProcess *startWriter(int rounds, const QString &mode)
    {
        auto *writer = new QProcess(this);
        writer->start(QCoreApplication::applicationDirPath() + "/writer_helper",
                      {m_dir.path(), QString::number(rounds), mode});
        return writer;
    }
    // The saves that reached file i, from a whole state or none.
    static void savesIn(const QByteArray &content, int i, int &saves)
    {
        QVERIFY2(content.startsWith(shortcutPart(i)), content.constData());
        const IniDocument doc = IniDocument::parse(content);
        saves = doc.value(u"Merkwerk", u"Rating").value_or("0").toInt();
        const QString title = decodeHexText(doc.value(u"Merkwerk", u"Title").value_or(""));
        QCOMPARE(title, saves ? QStringLiteral("%1 saves \U0001F600").arg(saves) : QString());
        for (const char *key : {"Descr", "URL", "ReferenceTime", "Refreshed", "RefreshState",
                                "RefreshMsg", "RemindTime", "Phrase", "Match"})
            QVERIFY2(doc.value(u"Merkwerk", QString::fromLatin1(key)).has_value() == (saves > 0),
                     key);
    }

  private slots:
    void killedWriterLeavesWholeFiles()
    {
        constexpr int fileCount = 1000;
        writeFiles(fileCount);
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        int written = 0;
        for (int round = 0; round < 5; ++round) {
            QProcess *writer = startWriter(0, "sync");
            // However slowly the writer starts, it is killed in the middle of its work.
            QVERIFY(writer->waitForReadyRead(60000));
            QThread::msleep(random.bounded(400));
            QCOMPARE(writer->state(), QProcess::Running);
            ::kill(pid_t(writer->processId()), SIGKILL);
            QVERIFY(writer->waitForFinished());
            written = 0;
            for (int i = 0, saves = 0; i<fileCount; ++i, written += saves> 0)
                savesIn(readFile(path(i)), i, saves);
        }
        QVERIFY(written > 0);
    }

    // Each save counts a Rating up from what it read, so a file's final Rating is the
    // number of saves that reached it: a save that overwrote the other program's newer
    // state shows as a count that does not add up.
    void savesAddUp_data() { addRowsFromFile(QStringLiteral("store/writerrounds.tsv")); }
    void savesAddUp()
    {
        QFETCH(QString, mode);
        QFETCH(int, rounds);
        constexpr int fileCount = 20;
        writeFiles(fileCount);
        const QList<QProcess *> writers = {startWriter(rounds, mode), startWriter(rounds, mode)};
        std::map<QString, int> saves; // per file, the saves the writers saw go through
        for (QProcess *writer : writers) {
            QVERIFY(writer->waitForFinished(100000));
            QCOMPARE(writer->exitCode(), 0);
            for (const QByteArray &line : writer->readAllStandardOutput().split('\n'))
                if (const qsizetype tab = line.indexOf('\t'); tab > 0)
                    saves[QString::fromUtf8(line.left(tab))] += line.mid(tab + 1).toInt();
        }
        QCOMPARE(int(saves.size()), fileCount);
        int refused = 0;
        for (int i = 0, found = 0; i < fileCount; ++i, refused += 2 * rounds - found) {
            savesIn(readFile(path(i)), i, found);
            QCOMPARE(found, saves[path(i)]);
        }
        QVERIFY2(refused > 0, "the writers never met on a file"); // else nothing was tested
    }
};

QTEST_GUILESS_MAIN(TestWriters)
#include "test_writers.moc"
