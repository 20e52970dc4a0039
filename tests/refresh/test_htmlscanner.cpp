#include "refresh/htmlscanner.h"

#include <QtTest>

#include <malloc.h>

namespace {

// The object list in one line: <NAME|PARAM=value|PARAM> for a tag (a parameter without
// "=" has no value), [text] for a text, {raw} for a raw section.
QByteArray Dump(const THTMLScanner &scanner)
{
    QByteArrayList parts;
    for (qsizetype i = 0; i < scanner.ObjectCount(); ++i) {
        const THTMLObject object = scanner.Object(i);
        switch (object.Kind()) {
        case THTMLKind::Text:
            parts += '[' + object.Text() + ']';
            break;
        case THTMLKind::Raw:
            parts += '{' + object.Text() + '}';
            break;
        case THTMLKind::Tag: {
            const THTMLTag tag = *object.Tag();
            QByteArray text = '<' + tag.Name();
            for (qsizetype p = 0; p < tag.ParamCount(); ++p) {
                const THTMLParam param = *tag.Param(p);
                text += '|' + param.Name();
                if (param.HasValue())
                    text += '=' + param.Value().toByteArray();
            }
            parts += text + '>';
            break;
        }
        }
    }
    return parts.join(' ');
}

QByteArray Scan(const QByteArray &source)
{
    THTMLScanner scanner;
    scanner.Parse(source, QByteArray());
    return Dump(scanner);
}

} // namespace

class TestHtmlScanner : public QObject
{
    Q_OBJECT
  private slots:
    void objects_data();
    void objects();
    void paramLookup_data();
    void paramLookup();
    void reparseForgetsEarlierPage();
    void hostileMemory_data();
    void hostileMemory();
};

void TestHtmlScanner::objects_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("objects");
    QTest::newRow("title with white space runs") << QByteArray("<TITLE>  Hello   World </TITLE>")
                                                 << QByteArray("<TITLE> [Hello World ] </TITLE>");
    QTest::newRow("quoted mixed-case parameters")
        << QByteArray("<Meta NaMe=\"Description\" CONTENT=\"Some Text\">")
        << QByteArray("<META|NAME=Description|CONTENT=Some Text>");
    QTest::newRow("single quotes hold double ones")
        << QByteArray("<a title='say \"hi\"'>") << QByteArray("<A|TITLE=say \"hi\">");
    QTest::newRow("line break inside quotes stays, value trimmed")
        << QByteArray("<a title=\" one\n two \">") << QByteArray("<A|TITLE=one\n two>");
    QTest::newRow("unquoted value ends at white space")
        << QByteArray("<a href=x.html target>") << QByteArray("<A|HREF=x.html|TARGET>");
    QTest::newRow("spaces around = before a quoted value")
        << QByteArray("<a href = \"x\">") << QByteArray("<A|HREF=|X>");
    QTest::newRow("space before = does no harm")
        << QByteArray("<a href =\"x\">") << QByteArray("<A|HREF=x>");
    QTest::newRow("value without a parameter names one")
        << QByteArray("<a =\"x\">") << QByteArray("<A|X>");
    QTest::newRow("second value replaces the first")
        << QByteArray("<a b=\"1\"=\"2\">") << QByteArray("<A|B=2>");
    QTest::newRow("empty value is a value")
        << QByteArray("<a b= c=\"\">") << QByteArray("<A|B=|C=>");
    QTest::newRow("slash after the name") << QByteArray("<br/>") << QByteArray("<BR/>");
    QTest::newRow("slash after a quoted value")
        << QByteArray("<img src=\"a.png\"/>") << QByteArray("<IMG|SRC=a.png|/>");
    QTest::newRow("only a-z are upper-cased")
        << QByteArray("<t\xE9 \xE9x=1>") << QByteArray("<T\xE9|\xE9X=1>");
    QTest::newRow("plain text") << QByteArray("just  some\ttext") << QByteArray("[just some text]");
    QTest::newRow("empty page") << QByteArray() << QByteArray();
    QTest::newRow("white space runs span tags")
        << QByteArray("a <b> c") << QByteArray("[a ] <B> [c]");
    QTest::newRow("control bytes are white space")
        << QByteArray("a\0\x01\x1F b", 6) << QByteArray("[a b]");
    QTest::newRow("comment hides a title") << QByteArray("<!-- <title>x</title> -->y")
                                           << QByteArray("{<!-- <title>x</title> -->} [y]");
    QTest::newRow("comment white space reduced")
        << QByteArray("<!--  a \n\t b  -->") << QByteArray("{<!-- a b -->}");
    QTest::newRow("spaces between -- and >")
        << QByteArray("<!-- a -- >b") << QByteArray("{<!-- a -- >} [b]");
    QTest::newRow("shortest comment") << QByteArray("<!-->x") << QByteArray("{<!-->} [x]");
    QTest::newRow("comment begun by its first token")
        << QByteArray("<!--a>b-->c") << QByteArray("{<!--a>b-->} [c]");
    QTest::newRow("comment begun by =") << QByteArray("<!--=a-->") << QByteArray("{<!--=a-->}");
    QTest::newRow("script with > and a quoted closing title")
        << QByteArray("<script>if (a > b) s = \"</title>\";</script><b>")
        << QByteArray("{<script>if (a > b) s = \"</title>\";</script>} <B>");
    QTest::newRow("script end in any case, spaces before >")
        << QByteArray("<SCRIPT>x</Script >") << QByteArray("{<SCRIPT>x</Script >}");
    QTest::newRow("double quotes skip a closing script")
        << QByteArray("<script>s=\"</script>\";</script>x")
        << QByteArray("{<script>s=\"</script>\";</script>} [x]");
    QTest::newRow("single quotes do not count in scripts")
        << QByteArray("<script>s='</script>';</script>")
        << QByteArray("{<script>s='</script>} [';] </SCRIPT>");
    QTest::newRow("script start closed by its name is still open")
        << QByteArray("<script></script>") << QByteArray("{<script></script>}");
    QTest::newRow("noscript is not a script")
        << QByteArray("<noscript>x</noscript>") << QByteArray("<NOSCRIPT> [x] </NOSCRIPT>");
    QTest::newRow("stray > in text") << QByteArray("a > b") << QByteArray("[a > b]");
    QTest::newRow("< inside a tag") << QByteArray("<a<b>") << QByteArray("<A<B>");
    QTest::newRow("tag without a name") << QByteArray("x< >y") << QByteArray("[x] [y]");
    QTest::newRow("= before the name drops the tag")
        << QByteArray("<=title x=\"1\">y") << QByteArray("[y]");
    QTest::newRow("quote runs across > and later tags")
        << QByteArray("<a href=\"x><title>T</title>\">z")
        << QByteArray("<A|HREF=x><title>T</title>> [z]");
    QTest::newRow("unmatched quote swallows the rest")
        << QByteArray("<a href=\"x><title>T</title>") << QByteArray("<A|HREF=x><title>T</title>>");
    QTest::newRow("unfinished tag closed at the end")
        << QByteArray("x<title") << QByteArray("[x] <TITLE>");
    QTest::newRow("unfinished comment after a space is dropped")
        << QByteArray("a<!-- b <title>") << QByteArray("[a]");
    QTest::newRow("unfinished comment after > becomes text")
        << QByteArray("<!--a> b") << QByteArray("[<!--a> b]");
    QTest::newRow("comment start at the end closes as if > followed")
        << QByteArray("a<!--") << QByteArray("[a] {<!-->}");
    QTest::newRow("script start at the end is dropped")
        << QByteArray("a<script") << QByteArray("[a]");
    QTest::newRow("unmatched quote in a comment swallows the rest")
        << QByteArray("<!-- \"a -->") << QByteArray();
}

void TestHtmlScanner::objects()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, objects);
    QCOMPARE(Scan(source), objects);
}

void TestHtmlScanner::paramLookup_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<qsizetype>("index");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("upper");
    // <meta name="a" Content=" Mixed Case " name="b" flag>
    QTest::newRow("later of two wins")
        << QByteArray("name") << qsizetype(2) << QByteArray("b") << QByteArray("B");
    QTest::newRow("name trimmed and any case")
        << QByteArray(" CONTENT\t") << qsizetype(1) << QByteArray("Mixed Case")
        << QByteArray("MIXED CASE");
    QTest::newRow("without value")
        << QByteArray("flag") << qsizetype(3) << QByteArray() << QByteArray();
    QTest::newRow("absent") << QByteArray("lang") << qsizetype(-1) << QByteArray() << QByteArray();
}

void TestHtmlScanner::paramLookup()
{
    QFETCH(QByteArray, name);
    QFETCH(qsizetype, index);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, upper);
    THTMLScanner scanner;
    scanner.Parse("<meta name=\"a\" Content=\" Mixed Case \" name=\"b\" flag>", QByteArray());
    const THTMLTag tag = *scanner.Object(0).Tag();
    QCOMPARE(tag.ParamCount(), 4);
    QCOMPARE(tag.Text(), QByteArray("meta name=\"a\" Content=\"Mixed Case\" name=\"b\" flag"));
    QVERIFY(!tag.Param(4).has_value());
    QVERIFY(!tag.Param(-1).has_value());
    QCOMPARE(tag.IndexOfParam(name), index);
    QCOMPARE(tag.ParamValue(name).toByteArray(), value);
    QCOMPARE(tag.ParamValueUpper(name), upper);
}

void TestHtmlScanner::reparseForgetsEarlierPage()
{
    THTMLScanner scanner;
    scanner.Parse("<title>One</title><a b c>", "Content-Type: text/html; charset=koi8-r");
    QCOMPARE(scanner.RawTitle(), QByteArray("One"));
    scanner.Parse("<i x>", QByteArray());
    QCOMPARE(Dump(scanner), QByteArray("<I|X>"));
    QCOMPARE(scanner.RawTitle(), QByteArray());
    QCOMPARE(scanner.HeaderCharset(), QByteArray());
    // An empty page does not even read its header.
    scanner.Parse(QByteArray(), "Content-Type: text/html; charset=koi8-r");
    QCOMPARE(scanner.ObjectCount(), 0);
    QCOMPARE(scanner.HeaderCharset(), QByteArray());
}

void TestHtmlScanner::hostileMemory_data()
{
    QTest::addColumn<QByteArray>("unit");
    QTest::addColumn<QByteArray>("prefix");
    QTest::newRow("empty tags") << QByteArray("<a>") << QByteArray();
    QTest::newRow("texts between tags in a title") << QByteArray("x<b>") << QByteArray("<title>");
    QTest::newRow("many parameters") << QByteArray(" b") << QByteArray("<a");
    QTest::newRow("many values") << QByteArray("=b") << QByteArray("<a c");
    QTest::newRow("comments") << QByteArray("<!---->") << QByteArray();
    QTest::newRow("white space in a script") << QByteArray(" \n>") << QByteArray("<script>");
}

// Heap held after parsing a 1 MiB page stays a small multiple of its size: 16 bytes for
// each object or parameter, which take two bytes of the page at least, plus the texts.
void TestHtmlScanner::hostileMemory()
{
    QFETCH(QByteArray, unit);
    QFETCH(QByteArray, prefix);
    QByteArray page = prefix;
    while (page.size() < (1 << 20))
        page += unit;
    const auto inUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return qint64(info.uordblks + info.hblkhd);
    };
    if (inUse() == 0)
        QSKIP("this heap does not report its use (sanitizer build)");
    const qint64 before = inUse();
    THTMLScanner scanner;
    scanner.Parse(page, QByteArray());
    const qint64 held = inUse() - before;
    QVERIFY(scanner.ObjectCount() > 0);
    QVERIFY2(held <= 11 * page.size(), qPrintable(QString::number(double(held) / page.size())));
}

QTEST_GUILESS_MAIN(TestHtmlScanner)
#include "test_htmlscanner.moc"
