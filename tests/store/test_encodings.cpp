#include "store/datetime.h"
#include "store/hextext.h"
#include "store/textutil.h"

#include <QtTest>
#include <cmath>
#include <limits>

class TestEncodings : public QObject
{
    Q_OBJECT
  private slots:
    void hexText_data();
    void hexText();
    void hexTextRoundTrip();
    void hex64_data();
    void hex64();
    void storedTextCut_data();
    void storedTextCut();
    void dateTimes_data();
    void dateTimes();
    void integers_data();
    void integers();
    void fieldsAndPaths();
    void narrowText();
};

void TestEncodings::hexText_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("text");
    QTest::newRow("two letters") << QString("00410062") << QString("Ab");
    QTest::newRow("incomplete group ignored") << QString("0041006") << QString("A");
    QTest::newRow("non-hex empties all") << QString("0041X062") << QString();
    QTest::newRow("lower-case digits") << QString("0041006a") << QString("Aj");
    QTest::newRow("blanks around") << QString(" \t00410062 ") << QString("Ab");
    QTest::newRow("surrogate pair") << QString("D83DDE00") << QStringLiteral("\U0001F600");
}

void TestEncodings::hexText()
{
    QFETCH(QString, stored);
    QFETCH(QString, text);
    QCOMPARE(DecodeHexText(stored), text);
}

void TestEncodings::hexTextRoundTrip()
{
    const QString text = QStringLiteral("Ab é \U0001F600 \u4E2D") + QChar(0xFFFF) + QChar(0);
    QCOMPARE(EncodeHexText(QStringLiteral("Ab")), QByteArray("00410062"));
    QCOMPARE(DecodeHexText(QString::fromLatin1(EncodeHexText(text))), text);
}

void TestEncodings::hex64_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<qint64>("value");
    QTest::newRow("kept") << "BFF0000000000000" << qint64(DateTimeBits(-1.0));
    QTest::newRow("38001.5") << "40E28E3000000000" << qint64(DateTimeBits(38001.5));
    QTest::newRow("not hex") << "12G4" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(0);
    QTest::newRow("lower case") << "3ff0000000000000" << qint64(DateTimeBits(1.0));
    QTest::newRow("more than 16 digits keep the last")
        << "ABC3FF0000000000000" << qint64(DateTimeBits(1.0));
    QTest::newRow("very long text") << QString(4000, u'F') << qint64(-1);
}

void TestEncodings::hex64()
{
    QFETCH(QString, stored);
    QFETCH(qint64, value);
    QCOMPARE(HexToInt64(stored), value);
    if (value != -1 && !stored.isEmpty() && stored.size() == 16)
        QCOMPARE(QString::fromLatin1(Int64ToHex(value)), stored.toUpper());
}

void TestEncodings::storedTextCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::newRow("short stays") << QString(10, u'a') << 10;
    QTest::newRow("long cut") << QString(2000, u'a') << MaxStoredTextLength;
    QTest::newRow("pair at the cut goes whole")
        << QString(MaxStoredTextLength - 1, u'a') + QStringLiteral("\U0001F600") + "b"
        << MaxStoredTextLength - 1;
    QTest::newRow("pair before the cut stays")
        << QString(MaxStoredTextLength - 2, u'a') + QStringLiteral("\U0001F600") + "b"
        << MaxStoredTextLength;
}

void TestEncodings::storedTextCut()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    const QString cut = CutStoredText(text);
    QCOMPARE(cut.size(), length);
    // What a read gives back (2047 units of hex) must equal what was kept.
    const QString stored = QString::fromLatin1(EncodeHexText(cut)).left(MaxValueLength);
    QCOMPARE(DecodeHexText(stored), cut);
}

void TestEncodings::dateTimes_data()
{
    QTest::addColumn<quint64>("fileTime");
    QTest::addColumn<double>("dateTime");
    // 0060EF195FDBC301 as stored by a browser is the FILETIME 01C3DB5F19EF6000.
    QTest::newRow("2004-01-15 12:00") << quint64(0x01C3DB5F19EF6000ULL) << 38001.5 + 0.0;
    QTest::newRow("epoch of date-times") << quint64(109205ULL * 864000000000ULL) << 0.0;
    QTest::newRow("beyond 9999") << quint64(0xFFFFFFFFFFFFFFFFULL) << -1.0;
}

void TestEncodings::dateTimes()
{
    QFETCH(quint64, fileTime);
    QFETCH(double, dateTime);
    const double got = FileTimeToDateTime(fileTime);
    QVERIFY2(std::abs(got - dateTime) < 1e-6, qPrintable(QString::number(got, 'f', 9)));
    QVERIFY(!IsStoredDateTime(std::numeric_limits<double>::quiet_NaN()));
    QVERIFY(!IsStoredDateTime(std::numeric_limits<double>::infinity()));
    QVERIFY(!IsStoredDateTime(MaxStoredDateTime + 1));
    QCOMPARE(UnixTimeToDateTime(0, 0), 25569.0);
}

void TestEncodings::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "42" << true << 42;
    QTest::newRow("blanks and sign") << "  -7 " << true << -7;
    QTest::newRow("trailing letters") << "12abc" << false << 0;
    QTest::newRow("only sign") << "-" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("smallest") << "-2147483648" << true << INT32_MIN;
    QTest::newRow("overflow") << "2147483648" << false << 0;
    QTest::newRow("huge") << "99999999999999999999999" << false << 0;
}

void TestEncodings::integers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    QCOMPARE(ParseInteger(text).has_value(), valid);
    if (valid)
        QCOMPARE(*ParseInteger(text), value);
    QCOMPARE(IsIntegerInRange(text, 1, 0), valid);
    QCOMPARE(IsIntegerInRange(text, 0, 100), valid && value >= 0 && value <= 100);
}

void TestEncodings::fieldsAndPaths()
{
    const QByteArrayList fields = {"a", "b", "", "c", ""}; // the last one is beyond the end
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(ExtractField("a|b||c", i, "|"), fields[i]);
    QCOMPARE(WideChangeFileExt("News.old/site", ""), QString("News"));
    QCOMPARE(WideChangeFileExt("site", ".ini"), QString("site.ini"));
    QCOMPARE(WideExtractFileName("/fav/News/a:b.url"), QString("a:b.url"));
    QCOMPARE(WideExtractFilePath("/fav/News/a.url"), QString("/fav/News/"));
    QCOMPARE(WideExtractFilePath("a.url"), QString());
}

void TestEncodings::narrowText()
{
    QCOMPARE(FromNarrow("caf\xC3\xA9"), QStringLiteral("café"));
    QCOMPARE(FromNarrow("caf\xE9 \x80"), QStringLiteral("café €"));
    QCOMPARE(*ToWindows1252(QStringLiteral("café €")), QByteArray("caf\xE9 \x80"));
    QVERIFY(!ToWindows1252(QStringLiteral("\u4E2D")).has_value());
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        QCOMPARE(*ToWindows1252(FromWindows1252(byte)), byte);
    }
}

QTEST_GUILESS_MAIN(TestEncodings)
#include "test_encodings.moc"
