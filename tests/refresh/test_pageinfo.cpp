// The title and description of a downloaded page, as the refresh keeps them.
#include "refresh/htmlscanner.h"

#include <QFile>
#include <QTest>

namespace {

void infoRow(const char *name, const QByteArray &headers, const QByteArray &page,
             const QString &title, const QString &description = {})
{
    QTest::newRow(name) << headers << page << title << description;
}

// What counts as title and description.
void textRows()
{
    const auto meta = [](const QByteArray &lang, const QByteArray &content) {
        const QByteArray marked = lang.isEmpty() ? "" : " lang=" + lang;
        return "<meta name=description" + marked + " content=\"" + content + "\">";
    };
    infoRow("blanks made single and trimmed", {}, "<title>\n  Two \t words \n</title>",
            "Two words");
    infoRow("two titles joined", {}, "<head><title>One</title><title>Two</title>", "OneTwo");
    infoRow("a title is text: tags, comments and scripts show as written", {},
            "<title>a<!-- b -->c<script>d</script>e</title>", "a<!-- b -->c<script>d</script>e");
    infoRow("a title never closed takes the texts that follow, not a script's", {},
            "<title>a</p>b<script>x</script><p>c", "abc");
    infoRow("nothing after the end of the head, in any case", {},
            "<title>a</title></Head><title>b</title>", "a");
    infoRow("no head end: read to the end", {}, "<body>x</body><title>late</title>", "late");
    infoRow("titles in drawings do not count", {},
            "<title>a</title><svg><title>icon</title></svg><title>b</title>", "ab");
    infoRow("a slash does not close a title", {}, "<title/>x<title>y</title>", "x<title>y");
    infoRow("references decoded once", {},
            "<title>Caf&eacute; &copy 2024 &#150; &amp;lt;</title><meta name=description "
            "content='a&copy=b &copy c &amp;amp;'>",
            "Café © 2024 – &lt;", "a&copy=b © c &amp;");
    infoRow("description in any case, only trimmed", {},
            "<META NAME=DESCRIPTION Content=\"  Mixed\n Case \">", {}, "Mixed\n Case");
    infoRow("the first of two names counts", {},
            "<meta name=description name=x content=A><meta name=x name=description content=B>", {},
            "A");
    infoRow("first of two unmarked", {}, meta({}, "A") + meta({}, "B"), {}, "A");
    infoRow("later English one wins", {}, meta({}, "A") + meta("en", "B"), {}, "B");
    infoRow("earlier English one stays", {}, meta("EN", "A") + meta({}, "B"), {}, "A");
    infoRow("region part is not English", {}, meta({}, "A") + meta("en-US", "B"), {}, "A");
    infoRow("empty first one is replaced", {}, meta({}, "") + meta({}, "B"), {}, "B");
}

// The character set a page is read in.
void charsetRows()
{
    const QByteArray type = "Content-Type: text/html; charset=";
    const QByteArray header1251 = type + "windows-1251\r\n";
    const QByteArray cp1251 = "<title>\xCF\xF0\xE8</title>";
    const QString privet = QStringLiteral("При");
    infoRow("header beats META", header1251, "<meta charset=utf-8>" + cp1251, privet);
    infoRow("unknown header: META next", type + "x-nonsense",
            "<meta charset=\"windows-1251\">" + cp1251, privet);
    infoRow("unknown everywhere: as the page reads", type + "x-nonsense",
            "<meta charset=nonsense><title>\xE9</title>", "é");
    infoRow("the first usable META counts", {},
            "<meta charset=nonsense><meta charset=windows-1251><meta charset=koi8-r>" + cp1251,
            privet);
    infoRow("a byte-order mark beats the header", header1251,
            "\xEF\xBB\xBF<title>caf\xC3\xA9</title>", "café");
    infoRow("undeclared: one byte that is not UTF-8 makes the page Windows-1252", {},
            "<title>caf\xC3\xA9</title><p>\xE9", "cafÃ©");
    infoRow("META after the head ignored", {},
            "<title>\xCF</title></head><meta charset=windows-1251>", "Ï");
    infoRow("declared UTF-8 holds even for bad bytes", type + "utf-8", "<title>a\xE9</title>",
            "a\uFFFD");
    infoRow("numeric reference is exact in any set", header1251, "<title>&#1055;\xCF</title>",
            "ПП");
    const auto file = [](const char *name) { // empty when missing, which no row expects
        QFile page(FAVRAKE_TEST_DATA "/refresh/" + QString::fromLatin1(name));
        return page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray();
    };
    infoRow("UTF-8 page", "Content-Type: text/html\r\n", file("utf8.html"), "Café – Crème brûlée",
            "Recettes « maison » & astuces \U0001F600");
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
        textRows();
        charsetRows();
    }

    void pageInfo()
    {
        QFETCH(QByteArray, headers);
        QFETCH(QByteArray, page);
        QFETCH(QString, title);
        QFETCH(QString, description);
        HtmlScanner scanner;
        scanner.parse(page, headers);
        QCOMPARE(scanner.getTitle(), title);
        QCOMPARE(scanner.getDescription(), description);
    }
};

QTEST_GUILESS_MAIN(TestPageInfo)
#include "test_pageinfo.moc"
