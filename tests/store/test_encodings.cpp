#include "platform/filenames.h"
#include "store/datetime.h"
#include "store/hextext.h"
#include "store/textutil.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class TestEncodings : public QObject
{
    Q_OBJECT
  private slots:
    void hexText_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("two letters") << QString("00410062") << QString("Ab");
        QTest::newRow("incomplete group ignored") << QString("0041006") << QString("A");
        QTest::newRow("non-hex empties all") << QString("0041X062") << QString();
        QTest::newRow("lower-case digits") << QString("0041006a") << QString("Aj");
        QTest::newRow("blanks around") << QString(" \t00410062 ") << QString("Ab");
        QTest::newRow("surrogate pair, NUL and U+FFFF")
            << QString("D83DDE000000FFFF")
            << QStringLiteral("\U0001F600") + QChar(0) + QChar(0xFFFF);
    }
    void hexText()
    {
        QFETCH(QString, stored);
        QFETCH(QString, text);
        QCOMPARE(decodeHexText(stored), text);
        QCOMPARE(decodeHexText(QString::fromLatin1(encodeHexText(text))), text);
        QCOMPARE(encodeHexText(u"Ab"_s), "00410062");
    }

    void hex64_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<qint64>("value");
        QTest::newRow("not hex") << "12G4" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("lower case") << "3ff0000000000000" << qint64(dateTimeBits(1.0));
        QTest::newRow("more than 16 digits keep the last")
            << "ABC3FF0000000000000" << qint64(dateTimeBits(1.0));
        QTest::newRow("very long text") << QString(4000, u'F') << qint64(-1);
    }
    void hex64()
    {
        QFETCH(QString, stored);
        QFETCH(qint64, value);
        QCOMPARE(hexToInt64(stored), value);
        if (value != -1 && stored.size() == 16)
            QCOMPARE(QString::fromLatin1(int64ToHex(value)), stored.toUpper());
    }

    void storedTextCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::newRow("short stays") << QString(10, u'a') << 10;
        QTest::newRow("long cut") << QString(2000, u'a') << maxStoredTextLength;
        QTest::newRow("pair at the cut goes whole")
            << QString(maxStoredTextLength - 1, u'a') + QStringLiteral("\U0001F600") + "b"
            << maxStoredTextLength - 1;
        QTest::newRow("pair before the cut stays")
            << QString(maxStoredTextLength - 2, u'a') + QStringLiteral("\U0001F600") + "b"
            << maxStoredTextLength;
    }
    void storedTextCut()
    {
        QFETCH(QString, text);
        QFETCH(int, length);
        const QString cut = cutStoredText(text);
        QCOMPARE(cut.size(), length);
        // What a read gives back (2047 units of hex) must equal what was kept.
        const QString stored = QString::fromLatin1(encodeHexText(cut)).left(maxValueLength);
        QCOMPARE(decodeHexText(stored), cut);
    }

    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << true << 42;
        QTest::newRow("blanks and sign") << "  -7 " << true << -7;
        QTest::newRow("trailing letters") << "12abc" << false << 0;
        QTest::newRow("only sign") << "-" << false << 0;
        QTest::newRow("smallest") << "-2147483648" << true << INT32_MIN;
        QTest::newRow("overflow") << "2147483648" << false << 0;
    }
    void integers()
    {
        QFETCH(QString, text);
        QTEST(parseInteger(text).has_value(), "valid");
        QTEST(parseInteger(text).value_or(0), "value");
    }

    void narrowText()
    {
        QCOMPARE(fromNarrow("caf\xC3\xA9"), QStringLiteral("café"));
        QCOMPARE(fromNarrow("caf\xE9 \x80"), QStringLiteral("café €"));
        QVERIFY(!toWindows1252(QStringLiteral("\u4E2D")).has_value());
        for (int b = 0; b < 256; ++b) {
            const QByteArray byte(1, char(b));
            QCOMPARE(*toWindows1252(fromWindows1252(byte)), byte);
        }
    }

    // Names are bytes: each one must come back as the same bytes, and show as text.
    void fileNames_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        const QChar mark = QChar::ReplacementCharacter;
        const auto escaped = [](int byte) { return QChar(char16_t(0xDC00 + byte)); };
        QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9") << "café"
                               << "café";
        QTest::newRow("Latin-1 byte")
            << QByteArray("caf\xE9.url") << "caf" + QString(escaped(0xE9)) + ".url"
            << "caf" + QString(mark) + ".url";
        QTest::newRow("overlong slash")
            << QByteArray("\xC0\xAF") << QString(escaped(0xC0)) + escaped(0xAF) << QString(2, mark);
        QTest::newRow("encoded surrogate is three bytes, not the escape it spells")
            << QByteArray("\xED\xB2\x80") << QString(escaped(0xED)) + escaped(0xB2) + escaped(0x80)
            << QString(3, mark);
        QTest::newRow("cut sequence at the end")
            << QByteArray("a\xE2\x82") << "a" + QString(escaped(0xE2)) + escaped(0x82)
            << "a" + QString(2, mark);
        QTest::newRow("stray byte after a character beyond the first plane")
            << QByteArray("\xF0\x9F\x98\x80\x80") << QStringLiteral("\U0001F600") + escaped(0x80)
            << QStringLiteral("\U0001F600") + mark;
        QTest::newRow("character beyond the first plane, its low half among the escapes")
            << QByteArray("\xF0\x9F\x92\xA1") << QStringLiteral("\U0001F4A1")
            << QStringLiteral("\U0001F4A1");
        QTest::newRow("byte-order mark kept")
            << QByteArray("\xEF\xBB\xBFx") << QStringLiteral("\uFEFFx")
            << QStringLiteral("\uFEFFx");
    }
    void fileNames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QCOMPARE(platform::decodeFileName(bytes), name);
        QCOMPARE(platform::encodeFileName(name), bytes);
        QTEST(displayFileName(name), "shown");
    }

    void fileNamesRoundTrip()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes(random.bounded(1, 12), Qt::Uninitialized);
            for (char &b : bytes)
                b = char(random.bounded(1, 256));
            const QString name = platform::decodeFileName(bytes);
            QVERIFY2(platform::encodeFileName(name) == bytes, bytes.toHex().constData());
            const QString shown = displayFileName(name); // text without lone halves of pairs
            QCOMPARE(QString::fromUtf8(shown.toUtf8()), shown);
        }
    }
};

QTEST_GUILESS_MAIN(TestEncodings)
#include "test_encodings.moc"
