#include "store/inidoc.h"
#include "storefixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <array>
#include <map>

// The tray program and a scheduled refresh save the same bookmarks at once. Each save
// counts a bookmark's Rating up from what it read, so a file's final Rating is the number
// of saves that reached it: a save that overwrote the other program's newer state, or a
// damaged file, shows as a count that does not add up.
class TestTwoWriters : public QObject
{
    Q_OBJECT
  private slots:
    void savesAddUp_data();
    void savesAddUp();
};

namespace {
constexpr int FileCount = 20;

QByteArray ShortcutPart(int i)
{
    return Shortcut("http://site" + QByteArray::number(i) + ".test/", "IconIndex=3\r\n");
}
} // namespace

void TestTwoWriters::savesAddUp_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("rounds");
    QTest::newRow("each file flushed") << QStringLiteral("sync") << 40;
    QTest::newRow("flushed in one batch") << QStringLiteral("batched") << 150;
}

void TestTwoWriters::savesAddUp()
{
    QFETCH(QString, mode);
    QFETCH(int, rounds);
    QTemporaryDir dir;
    const auto path = [&](int i) {
        return dir.filePath(QStringLiteral("F%1/b%2.url").arg(i % 3).arg(i));
    };
    for (int i = 0; i < FileCount; ++i)
        WriteFile(path(i), ShortcutPart(i));
    std::array<QProcess, 2> writers;
    for (QProcess &writer : writers) {
        writer.start(QCoreApplication::applicationDirPath() + "/two_writers_helper",
                     {dir.path(), QString::number(rounds), mode});
        QVERIFY(writer.waitForStarted());
    }
    std::map<QString, int> saves; // per file, the saves the writers saw go through
    for (QProcess &writer : writers) {
        QVERIFY(writer.waitForFinished(100000));
        QCOMPARE(writer.exitCode(), 0);
        for (const QByteArray &line : writer.readAllStandardOutput().split('\n'))
            if (const qsizetype tab = line.indexOf('\t'); tab > 0)
                saves[QString::fromUtf8(line.left(tab))] += line.mid(tab + 1).toInt();
    }
    QCOMPARE(int(saves.size()), FileCount);
    int refused = 0;
    for (int i = 0; i < FileCount; ++i) {
        const QByteArray content = ReadFile(path(i));
        QVERIFY2(content.startsWith(ShortcutPart(i)), qPrintable(path(i)));
        const IniDocument doc = IniDocument::parse(content);
        QCOMPARE(doc.value(u"Merkwerk", u"Rating").value_or(QString()),
                 QString::number(saves[path(i)]));
        refused += 2 * rounds - saves[path(i)];
    }
    QVERIFY2(refused > 0, "the writers never met on a file"); // else nothing was tested
}

QTEST_GUILESS_MAIN(TestTwoWriters)
#include "test_two_writers.moc"
