#include "refresh/pageinfo.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace {

// The decoding done literally, on the whole text: each table entry in turn replaces its
// first occurrence as long as there is one; then, from the fourth-last position back to
// the first, each numeric reference is replaced where the text then has one.
QString ReferenceDecode(QString text)
{
    static const auto entities = [] {
        QList<std::pair<QString, QChar>> list;
        for (const THTMLReference &r : NamedReferences())
            list.append({u'&' + QString::fromLatin1(r.Name) + u';', QChar(r.Code)});
        return list;
    }();
    for (const auto &[entity, code] : entities) {
        for (qsizetype at = text.indexOf(entity); at >= 0; at = text.indexOf(entity))
            text.replace(at, entity.size(), code);
    }
    static const QRegularExpression numeric("&#(?:([0-9]+)|[xX]([0-9a-fA-F]+));");
    for (qsizetype i = text.size() - 4; i >= 0; --i) {
        const QRegularExpressionMatch m =
            numeric.match(text, i, QRegularExpression::NormalMatch,
                          QRegularExpression::AnchorAtOffsetMatchOption);
        bool ok = false;
        const qulonglong value = !m.hasMatch()            ? 0
                                 : m.captured(2).isNull() ? m.captured(1).toULongLong(&ok)
                                                          : m.captured(2).toULongLong(&ok, 16);
        if (!ok || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            continue;
        const char32_t code = char32_t(value);
        text.replace(i, m.capturedLength(), QString::fromUcs4(&code, 1));
    }
    return text;
}

void infoRow(const char *name, const QByteArray &headers, const QByteArray &page,
             const QString &title, const QString &description = {})
{
    QTest::newRow(name) << headers << page << title << description;
}

void referenceRow(const char *name, const QString &text, const QString &decoded)
{
    QTest::newRow(name) << text << decoded;
}

} // namespace

class TestPageInfo : public QObject
{
    Q_OBJECT
  private slots:
    void pageInfo_data()
    {
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        const auto meta = [](const QByteArray &lang, const QByteArray &content) {
            const QByteArray marked = lang.isEmpty() ? "" : " lang=" + lang;
            return "<meta name=description" + marked + " content=\"" + content + "\">";
        };
        infoRow("white space reduced, one space kept at the end", {},
                "<title>\n  Two   words \n</title>", "Two words ");
        infoRow("two titles joined", {}, "<head><title>One</title><title>Two</title>", "OneTwo");
        infoRow("other tags neither end nor show in a title", {}, "<title>a</p>b<p>c", "abc");
        infoRow("comments and scripts add nothing", {},
                "<title>a<!-- b -->c<script>d</script>e</title>", "ace");
        infoRow("nothing after the end of the head, in any case", {},
                "<title>a</title></Head><title>b</title>", "a");
        infoRow("no head end: read to the end", {}, "<body>x</body><title>late</title>", "late");
        infoRow("self-closing title tag is another tag", {}, "<title/>x<title>y</title>", "y");
        infoRow("description in any case, only trimmed", {},
                "<META NAME=DESCRIPTION Content=\"  Mixed\n Case \">", {}, "Mixed\n Case");
        infoRow("the later of two names counts, a bare content is empty", {},
                "<meta name=description name=x content=A><meta name=x name=description content>",
                {}, {});
        infoRow("first of two unmarked", {}, meta({}, "A") + meta({}, "B"), {}, "A");
        infoRow("later English one wins", {}, meta({}, "A") + meta("en", "B"), {}, "B");
        infoRow("earlier English one stays", {}, meta("EN", "A") + meta({}, "B"), {}, "A");
        infoRow("region part is not English", {}, meta({}, "A") + meta("en-US", "B"), {}, "A");
        infoRow("empty first one is replaced", {}, meta({}, "") + meta({}, "B"), {}, "B");
        const QByteArray type = "Content-Type: text/html; charset=";
        const QByteArray header1251 = type + "windows-1251\r\n";
        const QByteArray cp1251 = "<title>\xCF\xF0\xE8</title>";
        const QString privet = QStringLiteral("При");
        infoRow("undeclared UTF-8", {}, "<title>caf\xC3\xA9 \xE2\x82\xAC</title>", "café €");
        infoRow("undeclared, not UTF-8: Windows-1252", {}, "<title>caf\xE9 \x80</title>", "café €");
        infoRow("header beats META", header1251, "<meta charset=utf-8>" + cp1251, privet);
        infoRow("header in any case, with quotes and blanks",
                "HTTP/1.1 200 OK\r\ncontent-type : text/html ; Charset = \"windows-1251\"\r\n",
                cp1251, privet);
        infoRow("last header line wins", type + "koi8-r\r\n" + header1251, cp1251, privet);
        infoRow("header lines end at any control byte", "Server: x\001" + header1251, cp1251,
                privet);
        infoRow("other header names do not count", "X-" + header1251, cp1251, "Ïðè");
        infoRow("META http-equiv", {},
                "<meta http-equiv=content-type content='text/html; charset=windows-1251'>" + cp1251,
                privet);
        infoRow("unknown header: META next", type + "x-nonsense",
                "<meta charset=\"windows-1251\">" + cp1251, privet);
        infoRow("unknown everywhere: fallback", type + "x-nonsense",
                "<meta charset=nonsense><title>\xE9</title>", "é");
        infoRow("META after the head ignored", {},
                "<title>\xCF</title></head><meta charset=windows-1251>", "Ï");
        infoRow("ISO-8859-1 read as Windows-1252", type + "ISO-8859-1", "<title>\223a\224</title>",
                "“a”");
        infoRow("declared UTF-8 holds even for bad bytes", type + "utf-8", "<title>a\xE9</title>",
                "a\uFFFD");
        infoRow("UTF-16 cannot be the page's set", {}, "<meta charset=utf-16><title>ab</title>",
                "ab");
        infoRow("numeric reference is exact in any set", header1251, "<title>&#1055;\xCF</title>",
                "ПП");
        const auto file = [](const char *name) { // empty when missing, which no row expects
            QFile page(FAVRAKE_TEST_DATA "/refresh/" + QString::fromLatin1(name));
            return page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray();
        };
        infoRow("UTF-8 page", "Content-Type: text/html\r\n", file("utf8.html"),
                "Café – Crème brûlée", "Recettes « maison » & astuces \U0001F600");
        infoRow("Windows-1252 page", "Content-Type: text/html\r\n", file("windows1252.html"),
                "Café – Crème brûlée", "“Recettes” maison € & astuces");
    }

    void pageInfo()
    {
        QFETCH(QByteArray, headers);
        QFETCH(QByteArray, page);
        QFETCH(QString, title);
        QFETCH(QString, description);
        const TPageInfo info = ReadPageInfo(page, headers);
        QCOMPARE(info.Title, title);
        QCOMPARE(info.Description, description);
    }

    void references_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decoded");
        referenceRow("escaped lt decodes twice", "&amp;lt;", "<");
        referenceRow("numeric ampersand decodes once", "&#38;#65;", "&#65;");
        referenceRow("case must match", "&AMP; &Lt;", "&AMP; &Lt;");
        referenceRow("named from the table", "&nbsp;&euro;&thetasym;&Omega;&sup2;",
                     "\u00A0\u20AC\u03D1\u03A9\u00B2");
        referenceRow("names left out of the table, or too long",
                     "&OElig;&fnof;&circ;&tilde;&Prime;&apos;&thetasyms;",
                     "&OElig;&fnof;&circ;&tilde;&Prime;&apos;&thetasyms;");
        referenceRow("decoded number sign starts a reference to its left", "&&#35;65;", "A");
        referenceRow("decoded semicolon ends a reference to its left", "&#66&#59;", "B");
        referenceRow("10FFFF is the highest", "&#x10FFFF;&#128512;&#x110000;",
                     "\U0010FFFF\U0001F600&#x110000;");
        referenceRow("surrogates stay, halves do not pair up", "&#xD83D;&#56832;",
                     "&#xD83D;&#56832;");
    }

    void references()
    {
        QFETCH(QString, text);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeReferences(text), decoded);
        QCOMPARE(ReferenceDecode(text), decoded);
    }

    // DecodeHTML of random texts made of pieces that form, break and chain references.
    void referencesMatchLiteralDecoding()
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
            for (int count = random.bounded(1, 24); count > 0; --count)
                text += pieces[random.bounded(int(pieces.size()))];
            const QString decoded = DecodeHTML(text.toUtf8(), "UTF-8");
            const QString expected = ReferenceDecode(text);
            if (decoded != expected)
                QFAIL(qPrintable(QStringLiteral("\"%1\": \"%2\" instead of \"%3\"")
                                     .arg(text, decoded, expected)));
        }
    }
};

QTEST_GUILESS_MAIN(TestPageInfo)
#include "test_pageinfo.moc"
