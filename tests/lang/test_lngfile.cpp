#include "lang/lngfile.h"
#include "langfixture.h"
#include "rowfile.h"

#include <QTest>
#include <sys/stat.h>

using Bytes = QByteArray;

class TestLngFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    // The value notation: quoted runs, #decimal and $hex codes, backslash escapes; then the
    // text, read as UTF-8 or else Windows-1252.
    void decode_data() { addRowsFromFile(QStringLiteral("lang/decode.tsv")); }
    void decode()
    {
        QFETCH(Bytes, raw);
        QFETCH(Bytes, decoded);
        QFETCH(Bytes, text);
        QCOMPARE(decodeLngValue(raw), decoded);
        if (!text.isEmpty())
            QCOMPARE(lngText(decoded).toUtf8(), text);
    }

    void lines_data() { addRowsFromFile(QStringLiteral("lang/lines.tsv")); }
    void lines()
    {
        QFETCH(Bytes, content);
        QFETCH(QStringList, lines);
        LngFile file;
        QCOMPARE(file.load(writeLngFile(m_dir, "lines.lng", content)), !lines.isEmpty());
        QCOMPARE(QStringList(file.lines.cbegin(), file.lines.cend()), lines);
    }

    void rawValue_data() { addRowsFromFile(QStringLiteral("lang/rawvalues.tsv")); }
    void rawValue()
    {
        QFETCH(Bytes, content);
        QFETCH(Bytes, key);
        LngFile file;
        file.loadText(content);
        QTEST(file.readRawValue(key, "<default>"), "value");
    }

    void unreadableFiles()
    {
        LngFile file;
        file.loadText("K=1");
        QVERIFY(!file.load(QString()));
        QVERIFY(file.lines.isEmpty() && !file.loaded);
        QVERIFY(!file.load(QDir(m_dir.path()).filePath("missing.lng")));
        QVERIFY(!file.load(m_dir.path()));
        Bytes big = "LanguageName='Big'\n" + Bytes(LngFile::maxFileSize, 'x');
        QVERIFY(!file.load(writeLngFile(m_dir, QStringLiteral("big.lng"), big)));
        big.truncate(LngFile::maxFileSize);
        QVERIFY(file.load(writeLngFile(m_dir, QStringLiteral("big.lng"), big)));
        // Nobody writes to this pipe: a blocking read would hang the test.
        const QString fifo = QDir(m_dir.path()).filePath("pipe.lng");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!file.load(fifo));
    }
};

QTEST_APPLESS_MAIN(TestLngFile)
#include "test_lngfile.moc"
