#include "refresh/htmlscanner.h"
#include "refresh/pageinfo.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

bool AllDigits(QStringView text, int base)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool decimal = u >= u'0' && u <= u'9';
        const bool hex = (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (!decimal && !(base == 16 && hex))
            return false;
    }
    return !text.isEmpty();
}

// The decoding done literally, on the whole text: each table entry in turn replaces its
// first occurrence as long as there is one; then, from the fourth-last position back to
// the first, each numeric reference is replaced where the text then has one.
QString ReferenceDecode(QString text)
{
    static const QList<std::pair<QString, QChar>> table = [] {
        QList<std::pair<QString, QChar>> entries;
        for (const THTMLReference &r : NamedReferences())
            entries.append({u'&' + QString::fromLatin1(r.Name) + u';', QChar(r.Code)});
        return entries;
    }();
    if (text.contains(u'&')) {
        for (const auto &[entity, code] : table) {
            for (qsizetype at = text.indexOf(entity); at >= 0; at = text.indexOf(entity))
                text.replace(at, entity.size(), code);
        }
    }
    for (qsizetype i = text.size() - 4; i >= 0; --i) {
        if (text[i] != u'&' || text[i + 1] != u'#')
            continue;
        const qsizetype j = text.indexOf(u';', i + 3);
        if (j < 0)
            continue;
        QString number = text.mid(i + 2, j - i - 2);
        int base = 10;
        if (number.startsWith(u'x') || number.startsWith(u'X')) {
            base = 16;
            number.remove(0, 1);
        }
        if (!AllDigits(number, base))
            continue;
        bool ok = false;
        const qulonglong value = number.toULongLong(&ok, base);
        if (!ok || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            continue;
        const char32_t code = char32_t(value);
        text.replace(i, j - i + 1, QString::fromUcs4(&code, 1));
    }
    return text;
}

QByteArray ReadData(const QString &name)
{
    QFile file(QStringLiteral(FAVRAKE_TEST_DATA "/refresh/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test file %s", qPrintable(name));
    return file.readAll();
}

} // namespace

class TestPageInfo : public QObject
{
    Q_OBJECT
  private slots:
    void head_data();
    void head();
    void references_data();
    void references();
    void referenceTable();
    void referencesMatchLiteralDecoding();
    void charsets_data();
    void charsets();
    void pages_data();
    void pages();
};

void TestPageInfo::head_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    QTest::newRow("white space reduced, one space kept at the end")
        << QByteArray("<title>\n  Two   words \n</title>") << QString("Two words ") << QString();
    QTest::newRow("two titles joined") << QByteArray("<head><title>One</title><title>Two</title>")
                                       << QString("OneTwo") << QString();
    QTest::newRow("tags inside split and join")
        << QByteArray("<title>a<b>b</b>c</title>") << QString("abc") << QString();
    QTest::newRow("comments and scripts add nothing")
        << QByteArray("<title>a<!-- b -->c<script>d</script>e</title>") << QString("ace")
        << QString();
    QTest::newRow("title after the head ignored")
        << QByteArray("<head></head><title>Body</title>") << QString() << QString();
    QTest::newRow("end of head in any case")
        << QByteArray("<title>a</title></Head><title>b</title>") << QString("a") << QString();
    QTest::newRow("unclosed title runs on")
        << QByteArray("<title>a</p>b<p>c") << QString("abc") << QString();
    QTest::newRow("no head end: read to the end")
        << QByteArray("<body>x</body><title>late</title>") << QString("late") << QString();
    QTest::newRow("self-closing title tag is another tag")
        << QByteArray("<title/>x<title>y</title>") << QString("y") << QString();
    QTest::newRow("names and values in any case")
        << QByteArray("<META NAME=DESCRIPTION Content=\"Mixed Case\">") << QString()
        << QString("Mixed Case");
    QTest::newRow("only trimmed, line breaks stay")
        << QByteArray("<meta name=description content=\"  one\n two  \">") << QString()
        << QString("one\n two");
    QTest::newRow("first of two unmarked")
        << QByteArray("<meta name=description content=A><meta name=description content=B>")
        << QString() << QString("A");
    QTest::newRow("later English one wins")
        << QByteArray("<meta name=description content=A><meta name=description lang=en "
                      "content=B>")
        << QString() << QString("B");
    QTest::newRow("earlier English one stays")
        << QByteArray("<meta name=description lang=EN content=A><meta name=description "
                      "content=B>")
        << QString() << QString("A");
    QTest::newRow("region part is not English")
        << QByteArray("<meta name=description content=A><meta name=description lang=en-US "
                      "content=B>")
        << QString() << QString("A");
    QTest::newRow("empty first one is replaced")
        << QByteArray("<meta name=description content=\"\"><meta name=description content=B>")
        << QString() << QString("B");
    QTest::newRow("after the head ignored")
        << QByteArray("<head></head><meta name=description content=A>") << QString() << QString();
    QTest::newRow("spaced = loses the name")
        << QByteArray("<meta name = \"description\" content=\"A\">") << QString() << QString();
}

void TestPageInfo::head()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, title);
    QFETCH(QString, description);
    const TPageInfo info = ReadPageInfo(page, QByteArray());
    QCOMPARE(info.Title, title);
    QCOMPARE(info.Description, description);
}

void TestPageInfo::references_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("escaped lt decodes twice") << QString("&amp;lt;") << QString("<");
    QTest::newRow("escaped quot stays one level") << QString("&amp;quot;") << QString("&quot;");
    QTest::newRow("escaped numeric decodes") << QString("&amp;#65;") << QString("A");
    QTest::newRow("numeric ampersand decodes once") << QString("&#38;#65;") << QString("&#65;");
    QTest::newRow("repeated amp collapses") << QString("&amp;amp;amp;") << QString("&");
    QTest::newRow("case must match") << QString("&AMP; &Lt;") << QString("&AMP; &Lt;");
    QTest::newRow("not hex digits") << QString("&#x4G;") << QString("&#x4G;");
    QTest::newRow("hex in either case") << QString("&#x41;&#X6a;") << QString("Aj");
    QTest::newRow("empty numbers") << QString("&#; &#x; &#;;") << QString("&#; &#x; &#;;");
    QTest::newRow("leading zeros") << QString("&#0000000000000000065;") << QString("A");
    QTest::newRow("decoded number sign starts a reference to its left")
        << QString("&&#35;65;") << QString("A");
    QTest::newRow("decoded semicolon ends a reference to its left")
        << QString("&#66&#59;") << QString("B");
    QTest::newRow("named from the table") << QString("&nbsp;&euro;&thetasym;&Omega;&sup2;")
                                          << QString("\u00A0\u20AC\u03D1\u03A9\u00B2");
    QTest::newRow("names left out of the table")
        << QString("&OElig;&fnof;&circ;&tilde;&Prime;&apos;")
        << QString("&OElig;&fnof;&circ;&tilde;&Prime;&apos;");
    QTest::newRow("name longer than any") << QString("&thetasyms;") << QString("&thetasyms;");
    QTest::newRow("hex above FFFF is a pair")
        << QString("&#x1F600;") << QStringLiteral("\U0001F600");
    QTest::newRow("decimal above FFFF is a pair")
        << QString("&#128512;") << QStringLiteral("\U0001F600");
    QTest::newRow("highest code point") << QString("&#x10FFFF;") << QStringLiteral("\U0010FFFF");
    QTest::newRow("beyond 10FFFF stays") << QString("&#x110000;") << QString("&#x110000;");
    QTest::newRow("low 16 bits are not taken")
        << QString("&#65601;") << QStringLiteral("\U00010041");
    QTest::newRow("high surrogate stays") << QString("&#xD83D;") << QString("&#xD83D;");
    QTest::newRow("low surrogate stays") << QString("&#56832;") << QString("&#56832;");
    QTest::newRow("surrogate halves do not pair up")
        << QString("&#55357;&#56832;") << QString("&#55357;&#56832;");
    QTest::newRow("pair then a reference to its left")
        << QString("&#38;&#x1F600;") << QStringLiteral("&\U0001F600");
}

void TestPageInfo::references()
{
    QFETCH(QString, text);
    QFETCH(QString, decoded);
    QCOMPARE(DecodeReferences(text), decoded);
    QCOMPARE(ReferenceDecode(text), decoded);
}

void TestPageInfo::referenceTable()
{
    const auto table = NamedReferences();
    QCOMPARE(table.size(), size_t(243));
    QCOMPARE(QByteArray(table[0].Name), QByteArray("quot"));
    QCOMPARE(QByteArray(table[1].Name), QByteArray("amp"));
    QSet<QByteArray> names;
    for (const THTMLReference &r : table) {
        QVERIFY2(!names.contains(r.Name), r.Name);
        names.insert(r.Name);
        // Every entry decodes, so a name or code that a later one hides shows here.
        const QString entity = u'&' + QString::fromLatin1(r.Name) + u';';
        QCOMPARE(DecodeReferences(entity), QString(QChar(r.Code)));
    }
}

// Random texts of pieces that form, break and chain references.
void TestPageInfo::referencesMatchLiteralDecoding()
{
    static const QStringList pieces = {
        "&",      "&",     "#",      ";",         ";",     "x",     "X",     "amp;",
        "amp",    "quot;", "lt;",    "gt",        "&amp;", "&#",    "&#x",   "0",
        "1",      "3",     "5",      "6",         "9",     "a",     "F",     "g",
        "nbsp;",  "euro;", "OElig;", "thetasym;", " ",     "é",     "1F600", "D83D",
        "110000", "38",    "35",     "59",        "65",    "&#38;", "&#35;", "\U0001F600"};
    QRandomGenerator random(20240611);
    for (int round = 0; round < 30000; ++round) {
        QString text;
        const int count = random.bounded(1, 24);
        for (int i = 0; i < count; ++i)
            text += pieces[random.bounded(int(pieces.size()))];
        const QString expected = ReferenceDecode(text);
        if (DecodeReferences(text) != expected)
            QFAIL(qPrintable(QStringLiteral("\"%1\": \"%2\" instead of \"%3\"")
                                 .arg(text, DecodeReferences(text), expected)));
    }
}

void TestPageInfo::charsets_data()
{
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("title");
    const QByteArray cp1251 = "<title>\xCF\xF0\xE8</title>";
    const QString privet = QStringLiteral("При");
    const QByteArray header1251 = "Content-Type: text/html; charset=windows-1251\r\n";
    QTest::newRow("undeclared UTF-8")
        << QByteArray() << QByteArray("<title>caf\xC3\xA9 \xE2\x82\xAC</title>")
        << QString("café €");
    QTest::newRow("undeclared, not UTF-8: Windows-1252")
        << QByteArray() << QByteArray("<title>caf\xE9 \x80</title>") << QString("café €");
    QTest::newRow("header") << header1251 << cp1251 << privet;
    QTest::newRow("header beats META") << header1251 << "<meta charset=utf-8>" + cp1251 << privet;
    QTest::newRow("header in any case, with quotes and blanks")
        << QByteArray(
               "HTTP/1.1 200 OK\r\ncontent-type : text/html ; Charset = \"windows-1251\"\r\n")
        << cp1251 << privet;
    QTest::newRow("last header line wins")
        << QByteArray("Content-Type: text/html; charset=koi8-r\r\n") + header1251 << cp1251
        << privet;
    QTest::newRow("header lines end at any control byte")
        << QByteArray("Server: x\x01"
                      "Content-Type: text/html;charset=windows-1251")
        << cp1251 << privet;
    QTest::newRow("other header names do not count")
        << QByteArray("X-Content-Type: text/html; charset=windows-1251\r\n") << cp1251
        << QString("Ïðè");
    QTest::newRow("META http-equiv")
        << QByteArray()
        << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">" + cp1251
        << privet;
    QTest::newRow("META charset") << QByteArray() << "<meta charset=\"windows-1251\">" + cp1251
                                  << privet;
    QTest::newRow("unknown header: META next")
        << QByteArray("Content-Type: text/html; charset=x-nonsense\r\n")
        << "<meta charset=windows-1251>" + cp1251 << privet;
    QTest::newRow("unknown everywhere: fallback")
        << QByteArray("Content-Type: text/html; charset=x-nonsense\r\n")
        << QByteArray("<meta charset=nonsense><title>\xE9</title>") << QString("é");
    QTest::newRow("META after the head ignored")
        << QByteArray() << QByteArray("<title>\xCF</title></head><meta charset=windows-1251>")
        << QString("Ï");
    QTest::newRow("ISO-8859-1 read as Windows-1252")
        << QByteArray("Content-Type: text/html; charset=ISO-8859-1\r\n")
        << QByteArray("<title>\x93"
                      "a\x94</title>")
        << QString("“a”");
    QTest::newRow("declared UTF-8 holds even for bad bytes")
        << QByteArray("Content-Type: text/html; charset=utf-8\r\n")
        << QByteArray("<title>a\xE9</title>") << QString("a\uFFFD");
    QTest::newRow("UTF-16 cannot be the page's set")
        << QByteArray() << QByteArray("<meta charset=utf-16><title>ab</title>") << QString("ab");
    QTest::newRow("numeric reference is exact in any set")
        << header1251 << QByteArray("<title>&#1055;\xCF</title>") << QString("ПП");
}

void TestPageInfo::charsets()
{
    QFETCH(QByteArray, headers);
    QFETCH(QByteArray, page);
    QFETCH(QString, title);
    QCOMPARE(ReadPageInfo(page, headers).Title, title);
}

void TestPageInfo::pages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    QTest::newRow("UTF-8 page") << "utf8.html" << QByteArray("Content-Type: text/html\r\n")
                                << QStringLiteral("Café – Crème brûlée")
                                << QStringLiteral("Recettes « maison » & astuces \U0001F600");
    QTest::newRow("Windows-1252 page")
        << "windows1252.html" << QByteArray("Content-Type: text/html\r\n")
        << QStringLiteral("Café – Crème brûlée") << QStringLiteral("“Recettes” maison € & astuces");
}

void TestPageInfo::pages()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, headers);
    QFETCH(QString, title);
    QFETCH(QString, description);
    const TPageInfo info = ReadPageInfo(ReadData(file), headers);
    QCOMPARE(info.Title, title);
    QCOMPARE(info.Description, description);
}

QTEST_GUILESS_MAIN(TestPageInfo)
#include "test_pageinfo.moc"
