#include "store/hextext.h"
#include "store/inidoc.h"

#include <QtTest>

namespace {
QByteArray Utf16(const QString &text)
{
    return QByteArray("\xFF\xFE") +
           QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}
} // namespace

class TestIniDocument : public QObject
{
    Q_OBJECT
  private slots:
    void reading_data();
    void reading();
    void longValueIsCut();
    void writingChangesOneLine_data();
    void writingChangesOneLine();
    void encodingsRoundTrip_data();
    void encodingsRoundTrip();
    void refusedValues_data();
    void refusedValues();
    void eraseSection();
};

// Every row reads key "k" of section "S".
void TestIniDocument::reading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("value"); // "<none>" when missing
    QTest::newRow("plain") << QByteArray("[S]\r\nk=v\r\n") << QString("v");
    QTest::newRow("names without case") << QByteArray("[s]\nK=v\n") << QString("v");
    QTest::newRow("blanks around") << QByteArray("[ S ]\n  k  =  v w  \n") << QString("v w");
    QTest::newRow("first = splits") << QByteArray("[S]\nk=a=b\n") << QString("a=b");
    QTest::newRow("first key wins") << QByteArray("[S]\nk=1\nk=2\n") << QString("1");
    QTest::newRow("first section wins") << QByteArray("[S]\nk=1\n[S]\nk=2\n") << QString("1");
    QTest::newRow("key before any section") << QByteArray("k=1\n[S]\n") << QString("<none>");
    QTest::newRow("other section") << QByteArray("[T]\nk=1\n[S]\n") << QString("<none>");
    QTest::newRow("empty value") << QByteArray("[S]\nk=\n") << QString("");
    QTest::newRow("CR endings") << QByteArray("[S]\rk=v\r") << QString("v");
    QTest::newRow("no final newline") << QByteArray("[S]\r\nk=v") << QString("v");
    QTest::newRow("UTF-8 with BOM")
        << QByteArray("\xEF\xBB\xBF[S]\nk=caf\xC3\xA9\n") << QStringLiteral("café");
    QTest::newRow("Windows-1252") << QByteArray("[S]\nk=caf\xE9\n") << QStringLiteral("café");
    QTest::newRow("UTF-16LE") << Utf16(QStringLiteral("[S]\r\nk=\u4E2D\r\n"))
                              << QStringLiteral("\u4E2D");
    QTest::newRow("non-ASCII name is never an ASCII one")
        << QByteArray("[\xEF\xBB\xBFS]\nk=1\n[S]\nk=2\n") << QString("2");
}

void TestIniDocument::reading()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, value);
    const std::optional<QString> got = IniDocument::parse(file).value(u"S", u"k");
    QCOMPARE(got.value_or(QStringLiteral("<none>")), value);
}

void TestIniDocument::longValueIsCut()
{
    const QByteArray file = "[S]\nk=" + QByteArray(5000, 'x') + "\n";
    QCOMPARE(IniDocument::parse(file).value(u"S", u"k")->size(), MaxValueLength);
}

void TestIniDocument::writingChangesOneLine_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("replace keeps the key's spelling")
        << QByteArray("; note\r\n[InternetShortcut]\r\nURL=x\r\n[merkwerk]\r\n Title = old\r\n")
        << "TITLE"
        << QByteArray("; note\r\n[InternetShortcut]\r\nURL=x\r\n[merkwerk]\r\n Title =new\r\n");
    QTest::newRow("new key after the section's last key")
        << QByteArray("[Merkwerk]\nA=1\n\n[Other]\nB=2\n") << "Title"
        << QByteArray("[Merkwerk]\nA=1\nTitle=new\n\n[Other]\nB=2\n");
    QTest::newRow("new section at the end, LF kept")
        << QByteArray("[InternetShortcut]\nURL=x\n") << "Title"
        << QByteArray("[InternetShortcut]\nURL=x\n[Merkwerk]\nTitle=new\n");
    QTest::newRow("file without final newline")
        << QByteArray("[InternetShortcut]\r\nURL=x") << "Title"
        << QByteArray("[InternetShortcut]\r\nURL=x\r\n[Merkwerk]\r\nTitle=new\r\n");
    QTest::newRow("Windows-1252 bytes elsewhere kept")
        << QByteArray("[InternetShortcut]\rURL=x\rIconFile=caf\xE9\x81\r") << "Title"
        << QByteArray("[InternetShortcut]\rURL=x\rIconFile=caf\xE9\x81\r[Merkwerk]\rTitle=new\r");
    QTest::newRow("empty file") << QByteArray() << "Title"
                                << QByteArray("[Merkwerk]\r\nTitle=new\r\n");
}

void TestIniDocument::writingChangesOneLine()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QByteArray, after);
    IniDocument doc = IniDocument::parse(before);
    QVERIFY(doc.setValue(u"Merkwerk", key, u"new"));
    QCOMPARE(doc.serialize(), after);
    QCOMPARE(IniDocument::parse(after).value(u"Merkwerk", key), QString("new"));
}

void TestIniDocument::encodingsRoundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("value");
    const QString wide = QStringLiteral("\u4E2D \U0001F600 é");
    for (const char *eol : {"\r\n", "\n", "\r"}) {
        const QString lines = QStringLiteral("[InternetShortcut]%1URL=http://\u00E9.test/%1")
                                  .arg(QString::fromLatin1(eol));
        QTest::addRow("ANSI UTF-8 %s", eol) << lines.toUtf8() << wide;
        QTest::addRow("ANSI 1252 %s", eol)
            << QByteArray("[InternetShortcut]") + eol + "URL=http://\xE9.test/" + eol
            << QStringLiteral("é €");
        QTest::addRow("UTF-8 BOM %s", eol) << QByteArray("\xEF\xBB\xBF") + lines.toUtf8() << wide;
        QTest::addRow("UTF-16LE %s", eol) << Utf16(lines) << wide;
    }
}

void TestIniDocument::encodingsRoundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, value);
    IniDocument doc = IniDocument::parse(file);
    QCOMPARE(doc.serialize(), file);
    const QString url = *doc.value(u"InternetShortcut", u"URL");
    QVERIFY(doc.setValue(u"Merkwerk", u"Plain", value));
    QVERIFY(doc.setValue(u"Merkwerk", u"Hex", QString::fromLatin1(EncodeHexText(value))));
    const QByteArray written = doc.serialize();
    QVERIFY(written.startsWith(file)); // everything before stays byte for byte
    const IniDocument again = IniDocument::parse(written);
    QCOMPARE(again.encoding(), doc.encoding());
    QCOMPARE(*again.value(u"InternetShortcut", u"URL"), url);
    QCOMPARE(*again.value(u"Merkwerk", u"Plain"), value);
    QCOMPARE(DecodeHexText(*again.value(u"Merkwerk", u"Hex")), value);
}

void TestIniDocument::refusedValues_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    const QString s("S"), k("k"), v("v");
    QTest::newRow("LF in value") << s << k << QString("a\n[Evil]\nx=1");
    QTest::newRow("CR in value") << s << k << QString("a\rb");
    QTest::newRow("NUL in value") << s << k << QString("a") + QChar(0);
    QTest::newRow("= in key") << s << QString("k=x") << v;
    QTest::newRow("empty key") << s << QString(" ") << v;
    QTest::newRow("bracket key") << s << QString("[T]") << v;
    QTest::newRow("] in section") << QString("S]x") << k << v;
    QTest::newRow("not Windows-1252") << s << k << QStringLiteral("\u4E2D");
}

void TestIniDocument::refusedValues()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QByteArray file = "[S]\nk=old\nother=caf\xE9\n";
    IniDocument doc = IniDocument::parse(file);
    QVERIFY(!doc.setValue(section, key, value));
    QCOMPARE(doc.serialize(), file);
}

void TestIniDocument::eraseSection()
{
    IniDocument doc = IniDocument::parse("[A]\na=1\n[Merkwerk]\nb=2\n\n[merkwerk]\nc=3\n[Z]\nz=1");
    QVERIFY(doc.sectionHasKeys(u"MERKWERK"));
    QVERIFY(doc.eraseSection(u"Merkwerk"));
    QCOMPARE(doc.serialize(), QByteArray("[A]\na=1\n[Z]\nz=1"));
    QVERIFY(!doc.eraseSection(u"Merkwerk"));
    QVERIFY(!IniDocument::parse("[Empty]\n\n").sectionHasKeys(u"Empty"));
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "test_inidoc.moc"
