#include "lang/lngfile.h"
#include "langfixture.h"

#include <QtTest>
#include <sys/stat.h>

class TestLngFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("decoded");
        QTest::newRow("notation example")
            << QByteArray("'First line'\\n'Tab:'\\t'x'#33") << QByteArray("First line\r\nTab:\tx!");
        QTest::newRow("escapes both cases")
            << QByteArray("\\N\\T\\q\\Q\\'\\\\") << QByteArray("\r\n\tqQ'\\");
        QTest::newRow("bare word") << QByteArray("Hello") << QByteArray();
        QTest::newRow("skipping stops at notation")
            << QByteArray("Hello 'x' #65'y' z'w'") << QByteArray("Ay");
        QTest::newRow("quote inside a quoted run ends it")
            << QByteArray("'It'#39's'") << QByteArray("It's");
        QTest::newRow("notation inside quotes is literal")
            << QByteArray("'#65 $41 \\n'") << QByteArray("#65 $41 \\n");
        QTest::newRow("hash at the end") << QByteArray("'a'#") << QByteArray("a\0", 2);
        QTest::newRow("decimal modulo 256") << QByteArray("#321") << QByteArray("A");
        QTest::newRow("decimal beyond 64 bits")
            << QByteArray("#99999999999999999999999999999999999999") << QByteArray("\xFF");
        QTest::newRow("nul in the middle keeps the rest")
            << QByteArray("'a'#0'b'") << QByteArray("a\0b", 3);
        QTest::newRow("trailing backslash ends the value")
            << QByteArray("'a'\\") << QByteArray("a");
    }

    void decode()
    {
        QFETCH(QByteArray, raw);
        QTEST(DecodeLngValue(raw), "decoded");
    }

    void lines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("empty") << QByteArray() << QByteArrayList();
        QTest::newRow("three kinds of line end")
            << QByteArray("a\r\nb\rc\nd") << QByteArrayList{"a", "b", "c", "d"};
        QTest::newRow("empty lines stay") << QByteArray("\n\r\n\r") << QByteArrayList{"", "", ""};
        QTest::newRow("LF CR is two breaks")
            << QByteArray("a\n\rb") << QByteArrayList{"a", "", "b"};
        QTest::newRow("text ends at nul")
            << QByteArray("a\nb\0c\nd", 7) << QByteArrayList{"a", "b"};
        QTest::newRow("utf-16 gives one useless line")
            << QByteArray("K\0e\0y\0", 6) << QByteArrayList{"K"};
        QTest::newRow("byte-order mark dropped")
            << QByteArray("\xEF\xBB\xBFLanguageName=x") << QByteArrayList{"LanguageName=x"};
    }

    void lines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArrayList, lines);
        TLngFile file;
        QCOMPARE(file.Load(WriteLngFile(m_dir, "lines.lng", content)), !lines.isEmpty());
        QCOMPARE(file.Lines, lines);
        QCOMPARE(file.Loaded, !lines.isEmpty());
    }

    void rawValue_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        const QByteArray missing = "<default>";
        QTest::newRow("key case ignored, first wins")
            << QByteArray("MSGQUIT='a'\nMsgQuit='b'") << QByteArray("MsgQuit") << QByteArray("'a'");
        QTest::newRow("key and value trimmed") << QByteArray("\t MsgQuit \t=\x01 'a' \x1F\r\n")
                                               << QByteArray(" msgquit ") << QByteArray("'a'");
        QTest::newRow("line starting with equals skipped")
            << QByteArray("=K=1\nK=2") << QByteArray("K") << QByteArray("2");
        QTest::newRow("one-character line skipped")
            << QByteArray("=\nK=2") << QByteArray("") << missing;
        QTest::newRow("high bytes are not letters")
            << QByteArray("\xE9t\xE9=1\n\xC9T\xC9=2") << QByteArray("\xC9T\xC9") << QByteArray("2");
        QTest::newRow("trimming keeps high bytes")
            << QByteArray("K = \xA0\xE9\xA0 ") << QByteArray("K") << QByteArray("\xA0\xE9\xA0");
        QTest::newRow("only ASCII letters fold")
            << QByteArray("a_b=1") << QByteArray("A_B") << QByteArray("1");
        QTest::newRow("symbols compare exactly")
            << QByteArray("a[b=1") << QByteArray("A{B") << missing;
    }

    void rawValue()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, key);
        TLngFile file;
        file.LoadText(content);
        QTEST(file.ReadRawValue(key, "<default>"), "value");
    }

    void valueText_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("Windows-1252 code") << QByteArray("'caf'#233") << "café";
        QTest::newRow("UTF-8 inside quotes") << QByteArray("'caf\xC3\xA9'") << "café";
        QTest::newRow("leading U+FEFF kept")
            << QByteArray("$EF$BB$BF'x'") << QStringLiteral("\uFEFFx");
    }

    void valueText()
    {
        QFETCH(QByteArray, raw);
        QTEST(LngText(DecodeLngValue(raw)), "text");
    }

    void unreadableFiles()
    {
        TLngFile file;
        file.LoadText("K=1");
        QVERIFY(!file.Load(QString()));
        QVERIFY(file.Lines.isEmpty() && !file.Loaded);
        QCOMPARE(file.ReadRawValue("K", "none"), QByteArray("none"));

        QVERIFY(!file.Load(QDir(m_dir.path()).filePath("missing.lng")));
        QVERIFY(!file.Load(m_dir.path()));

        QByteArray big(TLngFile::MaxFileSize + 1, 'x');
        big.prepend("LanguageName='Big'\n");
        QVERIFY(!file.Load(WriteLngFile(m_dir, QStringLiteral("big.lng"), big)));
        big.truncate(TLngFile::MaxFileSize);
        QVERIFY(file.Load(WriteLngFile(m_dir, QStringLiteral("big.lng"), big)));

        // Nobody writes to this pipe: a blocking read would hang the test.
        const QString fifo = QDir(m_dir.path()).filePath("pipe.lng");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!file.Load(fifo));
    }
};

QTEST_APPLESS_MAIN(TestLngFile)
#include "test_lngfile.moc"
