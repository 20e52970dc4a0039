#include "refresh/htmlscanner.h"

#include <QTest>

#include <malloc.h>

namespace {

// The object list in one line: <NAME|PARAM=value|PARAM> for a tag (a parameter without
// "=" has no value), [text] for a text, {raw} for a raw section.
QByteArray Dump(const THTMLScanner &scanner)
{
    QByteArrayList parts;
    for (qsizetype i = 0; i < scanner.ObjectCount(); ++i) {
        const THTMLObject object = scanner.Object(i);
        const std::optional<THTMLTag> tag = object.Tag();
        const int kind = int(object.Kind()); // Raw, Text, Tag
        QByteArray dump = "{[<"[kind] + (tag ? tag->Name() : object.Text());
        for (qsizetype p = 0; tag && p < tag->ParamCount(); ++p) {
            const THTMLParam param = *tag->Param(p);
            dump +=
                '|' + param.Name() + (param.HasValue() ? '=' + param.Value().toByteArray() : "");
        }
        parts += dump + "}]>"[kind];
    }
    return parts.join(' ');
}

void row(const char *name, const QByteArray &first, const QByteArray &second)
{
    QTest::newRow(name) << first << second;
}

} // namespace

class TestHtmlScanner : public QObject
{
    Q_OBJECT
  private slots:
    void objects_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("objects");
        row("white space runs reduced across tags", "<i>  a   b </i> c", "<I> [a b ] </I> [c]");
        row("control bytes are white space", QByteArray("a\0\x01\x1F\tb", 6), "[a b]");
        row("mixed-case names, quoted value", "<Me Na=\"x\" cO=\"A b\">", "<ME|NA=x|CO=A b>");
        row("single quotes hold double ones", "<a title='say \"hi\"'>", "<A|TITLE=say \"hi\">");
        row("line break inside quotes stays, value trimmed", "<a t=\" 1\n 2 \">", "<A|T=1\n 2>");
        row("unquoted value ends at white space", "<a h=x.html t>", "<A|H=x.html|T>");
        row("spaces around = before a quoted value", "<a href = \"x\">", "<A|HREF=|X>");
        row("space before = does no harm", "<a href =\"x\">", "<A|HREF=x>");
        row("value without a parameter names one", "<a =\"x\">", "<A|X>");
        row("second value replaces the first", "<a b=\"1\"=\"2\">", "<A|B=2>");
        row("empty value is a value", "<a b= c=\"\">", "<A|B=|C=>");
        row("slash is an ordinary byte", "<br/><img src=\"a.png\"/>", "<BR/> <IMG|SRC=a.png|/>");
        row("only a-z are upper-cased", "<t\xE9 \xE9x=1>", "<T\xE9|\xE9X=1>");
        row("comment hides a title", "<!-- <title> -->y", "{<!-- <title> -->} [y]");
        row("comment white space reduced", "<!--  a \n\t b  -->", "{<!-- a b -->}");
        row("spaces between -- and >", "<!-- a -- >b", "{<!-- a -- >} [b]");
        row("shortest comment", "<!-->x", "{<!-->} [x]");
        row("comment begun by its first token", "<!--a>b-->c", "{<!--a>b-->} [c]");
        row("comment begun by =", "<!--=a-->", "{<!--=a-->}");
        row("> and a quoted end inside a script", "<script>a>b\"</script>\"</script>",
            "{<script>a>b\"</script>\"</script>}");
        row("any-case script end, spaces before >", "<SCRIPT>x</Script >", "{<SCRIPT>x</Script >}");
        row("single quotes do not count in scripts", "<script>'</script>'</script>",
            "{<script>'</script>} ['] </SCRIPT>");
        row("script start ended by > is still open", "<script></script>", "{<script></script>}");
        row("noscript is not a script", "<noscript>x</noscript>", "<NOSCRIPT> [x] </NOSCRIPT>");
        row("stray > in text", "a > b", "[a > b]");
        row("< inside a tag", "<a<b>", "<A<B>");
        row("tag without a name", "x< >y", "[x] [y]");
        row("= before the name drops the tag", "<=title x=\"1\">y", "[y]");
        row("unmatched quote runs across > to the end", "<a b=\"x><i>y</i>", "<A|B=x><i>y</i>>");
        row("unfinished tag closed at the end", "x<title", "[x] <TITLE>");
        row("unfinished comment after a space is dropped", "a<!-- b <title>", "[a]");
        row("unfinished comment after > becomes text", "<!--a> b", "[<!--a> b]");
        row("comment start at the end closes as if > followed", "a<!--", "[a] {<!-->}");
        row("script start at the end is dropped", "a<script", "[a]");
        row("unmatched quote in a comment swallows the rest", "<!-- \"a -->", "");
    }

    void objects()
    {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, objects);
        THTMLScanner scanner;
        scanner.Parse(source, {});
        QCOMPARE(Dump(scanner), objects);
    }

    void hostileMemory_data()
    {
        QTest::addColumn<QByteArray>("unit");
        QTest::addColumn<QByteArray>("prefix");
        row("empty tags", "<a>", "");
        row("texts between tags in a title", "x<b>", "<title>");
        row("many parameters", " b", "<a");
        row("many values", "=b", "<a c");
        row("comments", "<!---->", "");
        row("white space in a script", " \n>", "<script>");
    }

    // Heap held after parsing a 1 MiB page stays a small multiple of its size: 16 bytes for
    // each object or parameter, which take two bytes of the page at least, plus the texts.
    void hostileMemory()
    {
        QFETCH(QByteArray, unit);
        QFETCH(QByteArray, prefix);
        const QByteArray page = prefix + unit.repeated((1 << 20) / unit.size() + 1);
        const auto inUse = [] { return qint64(mallinfo2().uordblks + mallinfo2().hblkhd); };
        if (inUse() == 0)
            QSKIP("this heap does not report its use (sanitizer build)");
        const qint64 before = inUse();
        THTMLScanner scanner;
        scanner.Parse(page, {});
        const qint64 held = inUse() - before;
        QVERIFY(scanner.ObjectCount() > 0);
        QVERIFY2(held <= 11 * page.size(), qPrintable(QString::number(double(held) / page.size())));
    }
};

QTEST_GUILESS_MAIN(TestHtmlScanner)
#include "test_htmlscanner.moc"
