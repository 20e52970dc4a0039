#include "platform/filenames.h"
#include "rowfile.h"
#include "store/datetime.h"
#include "store/hextext.h"
#include "store/textutil.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// A name of the table in UTF-8, a byte-order mark kept, with "<HH>" for the escape that
// stands for byte HH, which is not UTF-8.
QString nameFromTable(const QByteArray &cell)
{
    QString name =
        QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)(cell);
    static const QRegularExpression escape(u"<([0-9A-F]{2})>"_s);
    QList<QRegularExpressionMatch> escapes;
    for (const QRegularExpressionMatch &match : escape.globalMatch(name))
        escapes.prepend(match); // from the end, so that the places stay
    for (const QRegularExpressionMatch &match : escapes)
        name.replace(match.capturedStart(), 4,
                     QChar(0xDC00 + match.captured(1).toInt(nullptr, 16)));
    return name;
}

// A count of a table, from the limit of a stored text down when it is 0 or less.
int fromLimit(int count)
{
    return count > 0 ? count : maxStoredTextLength + count;
}
} // namespace

class TestEncodings : public QObject
{
    Q_OBJECT
  private slots:
    void hexText_data() { addRowsFromFile(QStringLiteral("store/hextext.tsv")); }
    void hexText()
    {
        QFETCH(QString, stored);
        QFETCH(QString, text);
        QCOMPARE(decodeHexText(stored), text);
        QCOMPARE(decodeHexText(QString::fromLatin1(encodeHexText(text))), text);
        QCOMPARE(encodeHexText(u"Ab"_s), "00410062");
    }

    void hex64_data() { addRowsFromFile(QStringLiteral("store/hex64.tsv")); }
    void hex64()
    {
        QFETCH(QString, stored);
        QFETCH(qint64, value);
        QCOMPARE(hexToInt64(stored), value);
        if (value != -1 && stored.size() == 16)
            QCOMPARE(QString::fromLatin1(int64ToHex(value)), stored.toUpper());
    }

    void storedTextCut_data() { addRowsFromFile(QStringLiteral("store/storedcuts.tsv")); }
    void storedTextCut()
    {
        QFETCH(int, as);
        QFETCH(QString, tail);
        QFETCH(int, length);
        const QString cut = cutStoredText(QString(fromLimit(as), u'a') + tail);
        QCOMPARE(cut.size(), fromLimit(length));
        // What a read gives back (2047 units of hex) must equal what was kept.
        const QString stored = QString::fromLatin1(encodeHexText(cut)).left(maxValueLength);
        QCOMPARE(decodeHexText(stored), cut);
    }

    void integers_data() { addRowsFromFile(QStringLiteral("store/integers.tsv")); }
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
    void fileNames_data() { addRowsFromFile(QStringLiteral("store/filenames.tsv")); }
    void fileNames()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, nameCell);
        QFETCH(QByteArray, shownCell);
        const QString name = nameFromTable(nameCell);
        QCOMPARE(platform::decodeFileName(bytes), name);
        QCOMPARE(platform::encodeFileName(name), bytes);
        QCOMPARE(displayFileName(name), nameFromTable(shownCell));
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
