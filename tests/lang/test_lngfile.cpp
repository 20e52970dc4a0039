#include "lang/lngfile.h"
#include "langfixture.h"

#include <QTest>
#include <sys/stat.h>

using Bytes = QByteArray;
using namespace Qt::Literals::StringLiterals;

class TestLngFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    // The value notation: quoted runs, #decimal and $hex codes, backslash escapes; then the
    // text, read as UTF-8 or else Windows-1252.
    void decode_data()
    {
        QTest::addColumn<Bytes>("raw");
        QTest::addColumn<Bytes>("decoded");
        QTest::addColumn<QString>("text"); // when given
        const auto row = [](const char *name, const Bytes &raw, const Bytes &decoded,
                            const QString &text = {}) {
            QTest::newRow(name) << raw << decoded << text;
        };
        row("notation example", "'First line'\\n'Tab:'\\t'x'#33", "First line\r\nTab:\tx!");
        row("escapes both cases", "\\N\\T\\q\\Q\\'\\\\", "\r\n\tqQ'\\");
        row("bare word", "Hello", "");
        row("skipping stops at notation", "Hello 'x' #65'y' z'w'", "Ay");
        row("quote inside a quoted run ends it", "'It'#39's'", "It's");
        row("notation inside quotes is literal", "'#65 $41 \\n'", "#65 $41 \\n");
        row("hash at the end", "'a'#", Bytes("a\0", 2));
        row("decimal modulo 256", "#321", "A");
        row("decimal beyond 64 bits", "#99999999999999999999999999999999999999", "\xFF");
        row("nul in the middle keeps the rest", "'a'#0'b'", Bytes("a\0b", 3));
        row("trailing backslash ends the value", "'a'\\", "a");
        row("Windows-1252 code", "'caf'#233", "caf\xE9", u"café"_s);
        row("UTF-8 inside quotes", "'caf\xC3\xA9'", "caf\xC3\xA9", u"café"_s);
        row("leading U+FEFF kept", "$EF$BB$BF'x'", "\xEF\xBB\xBFx", u"\uFEFFx"_s);
    }
    void decode()
    {
        QFETCH(Bytes, raw);
        QFETCH(Bytes, decoded);
        QFETCH(QString, text);
        QCOMPARE(decodeLngValue(raw), decoded);
        if (!text.isNull())
            QCOMPARE(lngText(decoded), text);
    }

    void lines_data()
    {
        QTest::addColumn<Bytes>("content");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("empty") << Bytes() << QByteArrayList();
        QTest::newRow("three kinds of line end")
            << Bytes("a\r\nb\rc\nd") << QByteArrayList{"a", "b", "c", "d"};
        QTest::newRow("LF CR is two breaks") << Bytes("a\n\rb") << QByteArrayList{"a", "", "b"};
        QTest::newRow("text ends at nul") << Bytes("a\nb\0c\nd", 7) << QByteArrayList{"a", "b"};
        QTest::newRow("utf-16 gives one useless line")
            << Bytes("K\0e\0y\0", 6) << QByteArrayList{"K"};
        QTest::newRow("byte-order mark dropped")
            << Bytes("\xEF\xBB\xBFLanguageName=x") << QByteArrayList{"LanguageName=x"};
    }
    void lines()
    {
        QFETCH(Bytes, content);
        QFETCH(QByteArrayList, lines);
        LngFile file;
        QCOMPARE(file.load(writeLngFile(m_dir, "lines.lng", content)), !lines.isEmpty());
        QCOMPARE(file.lines, lines);
    }

    void rawValue_data()
    {
        QTest::addColumn<Bytes>("content");
        QTest::addColumn<Bytes>("key");
        QTest::addColumn<Bytes>("value");
        const auto row = [](const char *name, const Bytes &content, const Bytes &key,
                            const Bytes &value) { QTest::newRow(name) << content << key << value; };
        row("key case ignored, first wins", "MSGQUIT='a'\nMsgQuit='b'", "MsgQuit", "'a'");
        row("key and value trimmed", "\t MsgQuit \t=\x01 'a' \x1F\r\n", " msgquit ", "'a'");
        row("line starting with equals skipped", "=K=1\nK=2", "K", "2");
        row("one-character line skipped", "=\nK=2", "", "<default>");
        row("high bytes are not letters", "\xE9t\xE9=1\n\xC9T\xC9=2", "\xC9T\xC9", "2");
        row("trimming keeps high bytes", "K = \xA0\xE9\xA0 ", "K", "\xA0\xE9\xA0");
        row("symbols compare exactly", "a[b=1", "A{B", "<default>");
    }
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
