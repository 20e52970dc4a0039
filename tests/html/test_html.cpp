// Reading HTML as browsers read it: character references, character sets, tokens.
#include "html/charset.h"
#include "html/entities.h"
#include "html/tokenizer.h"

#include <QTest>

using namespace Qt::StringLiterals;
using html::ReferenceContext;
using Token = html::Tokenizer::Token;

namespace {
// The tokens in one line: <name a="v"> and </name> for tags, [text], {raw text}.
QByteArray dumpTokens(QByteArrayView source)
{
    QByteArrayList parts;
    html::Tokenizer tokens(source);
    for (Token t = tokens.next(); t != Token::End; t = tokens.next()) {
        QByteArray part = tokens.text().toByteArray();
        for (const html::Tokenizer::Attribute &a : tokens.attributes())
            part += ' ' + a.name.toByteArray() + "=\"" + a.value.toByteArray() + '"';
        const char *const marks[] = {"[]", "{}", "<>", "</>"};
        const QByteArray mark = marks[int(t)];
        parts += mark.chopped(1) + part + mark.back();
    }
    return parts.join(' ');
}

// The label of a header text or of a page's first META tag.
QByteArray declaredLabel(const QByteArray &source)
{
    if (!source.startsWith('<'))
        return html::headerCharset(source);
    html::Tokenizer tag(source);
    tag.next();
    return html::metaCharset(tag).toByteArray();
}

void row(const char *name, const QByteArray &first, const QByteArray &second)
{
    QTest::newRow(name) << first << second;
}
} // namespace

class TestHtml : public QObject
{
    Q_OBJECT
  private slots:
    void references_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("attribute");
        QTest::addColumn<QString>("decoded");
        const auto add = [](const char *name, const char *text, bool attribute, QString out) {
            QTest::newRow(name) << QString::fromUtf8(text) << attribute << out;
        };
        add("named", "Caf&eacute;&copy;&NotNestedGreaterGreater;&Afr;&fjlig;", false,
            u"Café©\u2AA2\u0338\U0001D504fj"_s);
        add("legacy names without ;", "Caf&eacute &copy 2024 &AMP&ltx", false,
            u"Café © 2024 &<x"_s);
        add("longest name that matches", "&notit; &notin; &not &ampx;", false, u"¬it; ∉ ¬ &x;"_s);
        add("unknown or in other case stays", "&bogus; &Copy; &a", false, u"&bogus; &Copy; &a"_s);
        add("attribute: legacy before = or alnum stays", "?a=1&copy=2&not3&amp;b", true,
            u"?a=1&copy=2&not3&b"_s);
        add("attribute: legacy before others, and with ;", "&copy 1&amp-x&copy;=", true,
            u"© 1&-x©="_s);
        add("text: legacy before = decodes", "&copy=2&not3", false, u"©=2¬3"_s);
        add("numeric, with and without ;", "&#65;&#x42&#X43;&#0068;x", false, u"ABCDx"_s);
        add("128-159 as Windows-1252", "&#150;&#x80;&#159;&#129;&#x9D;", false,
            u"–€Ÿ\u0081\u009D"_s);
        add("zero, surrogates and beyond U+10FFFF", "&#0;&#xD800;&#56832;&#x110000;&#99999999999;",
            false, u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"_s);
        add("highest and beyond the first plane", "&#x10FFFF;&#128512;", false,
            u"\U0010FFFF\U0001F600"_s);
        add("no digits stays", "&#; &#x; &#xg; &# 1", false, u"&#; &#x; &#xg; &# 1"_s);
        add("decoded once", "&amp;amp; &amp;lt; &#38;#65; &&#35;65;", false,
            u"&amp; &lt; &#65; &#65;"_s);
        add("lone ampersands", "a & b &", false, u"a & b &"_s);
    }

    void references()
    {
        QFETCH(QString, text);
        QFETCH(bool, attribute);
        const auto context = attribute ? ReferenceContext::Attribute : ReferenceContext::Text;
        QTEST(html::decodeReferences(text, context), "decoded");
    }

    void labels_data()
    {
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QByteArray>("name");
        row("UTF-8, any case, blanks around", " UTF8 ", "UTF-8");
        row("UTF-16 is UTF-8 in a page read as bytes", "utf-16le", "UTF-8");
        row("Latin-1 and ASCII are Windows-1252", "ISO-8859-1", "windows-1252");
        row("US-ASCII", "us-ascii", "windows-1252");
        row("others as Qt knows them", "koi8-r", "KOI8-R");
        row("unknown", "x-nonsense", "");
        row("not ASCII as ASCII", "utf-7", "");
        row("empty", "", "");
    }

    void labels()
    {
        QFETCH(QByteArray, label);
        const std::optional<html::TextDecoder> decoder = html::TextDecoder::forLabel(label);
        QTEST(decoder ? decoder->name() : QByteArray(), "name");
    }

    void declared_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("label");
        row("header", "Content-Type: text/html; charset=koi8-r\r\n", "koi8-r");
        row("header in any case, quoted, blanks around =",
            "HTTP/1.1 200 OK\r\ncontent-type : text/html ; Charset = \"windows-1251\"\r\n",
            "windows-1251");
        row("last header line wins", "Content-Type: a; charset=x\r\nContent-Type: a; charset=y",
            "y");
        row("header lines end at any control byte", "Server: x\001Content-Type: a;charset=z", "z");
        row("other header names do not count", "X-Content-Type: a; charset=x", "");
        row("META charset", "<meta charset=' utf-8 '>", " utf-8 ");
        row("META http-equiv", "<meta http-equiv=Content-Type content='a; charset=koi8-r'>",
            "koi8-r");
        row("META content without http-equiv", "<meta content='a; charset=koi8-r'>", "");
        row("META charset before content", "<meta content='charset=a' charset=b http-equiv=x>",
            "b");
    }

    void declared()
    {
        QFETCH(QByteArray, source);
        QTEST(declaredLabel(source), "label");
    }

    void content_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const auto add = [](const char *name, const QByteArray &bytes, const QString &text) {
            QTest::newRow(name) << bytes << text;
        };
        add("UTF-8", "caf\xC3\xA9 \xF0\x9F\x98\x80", u"café 😀"_s);
        add("not UTF-8: Windows-1252", "caf\xE9 \x80\x81", u"café €\u0081"_s);
        add("overlong form", "\xC0\xAF\xE9", u"À¯é"_s);
        add("surrogate", "\xED\xA0\x80", u"í\u00A0€"_s);
        add("beyond U+10FFFF", "\xF4\x90\x80\x80", u"ô\u0090€€"_s);
        add("cut off at the end", "a\xC3", u"aÃ"_s);
        add("UTF-8 byte-order mark", "\xEF\xBB\xBF\xE9", u"\uFFFD"_s);
        add("UTF-16 byte-order marks", QByteArray("\xFF\xFEh\0\xE9\0", 6), u"hé"_s);
        add("big-endian", QByteArray("\xFE\xFF\0h\x20\xAC", 6), u"h€"_s);
    }

    void content()
    {
        QFETCH(QByteArray, bytes);
        const bool byteOrderMark = html::takeByteOrderMark(bytes);
        QTEST(html::documentDecoder(byteOrderMark, {}, {}, bytes).decode(bytes), "text");
    }

    void tokens_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("tokens");
        row("attributes in any quoting, names as written", "<Me Na=\"x\" b='y \"z\"' c=d e/>",
            "<Me Na=\"x\" b=\"y \"z\"\" c=\"d\" e=\"\">");
        row("blanks around =", "<a href = \"x\">", "<a href=\"x\">");
        row("slash before >, = starting a name", "<br/><img src=a.png/ =x>",
            "<br> <img src=\"a.png/\" =x=\"\">");
        row("line break inside quotes stays", "<a t=\" 1\n 2 \">", "<a t=\" 1\n 2 \">");
        row("stray < and > are text", "a < b > c <3", "[a < b > c <3]");
        row("a tag left open ends at the next", "<a b<c d=e<f>", "<a b=\"\"> <c d=\"e\"> <f>");
        row("a tag name takes <", "<a<b>x", "<a<b> [x]");
        row("end tag", "</p class=x>", "</p>");
        row("comments hide tags", "<!-- <title> -->y", "[y]");
        row("shortest comments and --!>", "<!-->a<!--->b<!-- c --!>d", "[a] [b] [d]");
        row("quotes mean nothing in a comment", "<!-- \"a -->b", "[b]");
        row("doctype, processing instruction, bad end tags", "<!DOCTYPE html><?x?>a</>b</ x>c",
            "[a] [b] [c]");
        row("raw text", "<script>a<b>\"</script>\"</script><style>x</style>",
            "<script> {a<b>\"} </script> [\"] </script> <style> {x} </style>");
        row("title and textarea keep references", "<title>&amp;<i></title><textarea></textarea>",
            "<title> {&amp;<i>} </title> <textarea> </textarea>");
        row("raw text ends at its end tag in any case", "<SCRIPT>x</scripts>y</Script >z",
            "<SCRIPT> {x</scripts>y} </Script> [z]");
        row("a script never closed: the rest is markup", "<script>if (a<b) {\n<DT><A HREF=x>",
            "<script> [if (a] <b) {=\"\"> <DT> <A HREF=\"x\">");
        row("a comment never closed ends at the next >", "a<!-- b <title>c", "[a] [c]");
        row("a tag cut off at the end, and its text", "a<b c=\"d", "[a]");
        row("a tag name cut off", "x<title", "[x]");
        row("an unquoted value cut off", "<a href=https://cut.exa", "");
        row("a badly closed value ends at a line with a tag", "<a b=\"x\n<c d=\"y\">z",
            "<a b=\"x\"> <c d=\"y\"> [z]");
        row("a value never closed ends at a line with a tag", "<a b=\"x\n y\n<c>z",
            "<a b=\"x\n y\"> <c> [z]");
        row("a well closed value runs across lines", "<a b=\"x\n<c>\">z", "<a b=\"x\n<c>\"> [z]");
    }

    void tokens()
    {
        QFETCH(QByteArray, source);
        QTEST(dumpTokens(source), "tokens");
    }
};

QTEST_GUILESS_MAIN(TestHtml)
#include "test_html.moc"
