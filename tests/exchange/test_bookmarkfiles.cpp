// Reading bookmark HTML files: what browsers write, and what hostile files hold.
#include "exchange/netscapereader.h"
#include "exchangefixture.h"

using namespace Qt::StringLiterals;
using exchange::readBookmarkHtml;

namespace {
// What browsers write.
void exportRows()
{
    const QStringList firefox = {
        "|Getting Started|https://www.mozilla.org/en-US/firefox/central/|1700000000",
        "|Recent Tags|place:sort=8&maxResults=10|1700000000",
        "/Bookmarks Toolbar|Fish & Chips <3 \u20AC "
        "\U0001F600|https://example.org/a?x=1&y=2|1650000000",
        "/Other Bookmarks|LWN.net|https://lwn.net/|1600000000"};
    QTest::newRow("firefox export, separators on the entry's line")
        << dataFile("firefox.html") << firefox;
    QTest::newRow("chromium export with icons")
        << dataFile("chromium.html")
        << QStringList{"/Bookmarks bar|Debian -- The Universal Operating System|https://"
                       "www.debian.org/|1690000050",
                       "/Bookmarks bar/Qt|QString Class | Qt Core 6|https://doc.qt.io/qt-6/"
                       "qstring.html|1690000060",
                       "|Bookmarklet|javascript:void(0)|1690000070"};
    QTest::newRow("byte-order mark and blank lines before the doctype")
        << dataFile("bom.html")
        << QStringList{QString::fromUtf8("|Café crème|https://example.com/café|1500000000")};
    QTest::newRow("no dates") << dataFile("nodates.html")
                              << QStringList{"/News|Daily news|https://news.example/|0",
                                             "/News|From 1980|https://old.example/|315532800",
                                             "/News|From 2100|https://later.example/|4102444800",
                                             "/News|Unreadable date|https://junk.example/|0"};
    QTest::newRow("lower case, finer dates, no doctype, heading without a list or name")
        << dataFile("microseconds.html")
        << QStringList{"|Micro|https://micro.example/|1600000000123456",
                       "|Milli|https://milli.example/|1600000000123",
                       "/|FTP|ftp://ftp.example/pub/|0",
                       "/|Local file|file:///etc/passwd|0",
                       "/|Data|data:text/html,hi|0",
                       "/|Nothing||0"};
    QTest::newRow("invalid UTF-8 read as Windows-1252")
        << dataFile("windows1252.html")
        << QStringList{QString::fromUtf8("|Café € “ text|https://example.com/|0")};
    QTest::newRow("declared character set")
        << dataFile("koi8.html")
        << QStringList{QString::fromUtf8("|Привет|https://koi.example/|0")};
}

// Markup that hides, cuts or fakes bookmarks.
void markupRows()
{
    QTest::newRow("unclosed script in a description")
        << QByteArray("<DL><DT><A HREF=\"https://a/\">A</A><DD>x <script>if (a<b) {\n"
                      "<DT><A HREF=\"https://b/\">B</A><DD>y <script src=\"\n"
                      "<DT><A HREF=\"https://c/\">C</A></DL>")
        << QStringList{"|A|https://a/|0", "|B|https://b/|0", "|C|https://c/|0"};
    QTest::newRow("links inside a description are no bookmarks")
        << QByteArray("<DL><DT><A HREF=\"https://a/\">A</A>\n<DD>see <a href=\"https://x/\">x</a>"
                      " and <b>more</b>\n<DT><A HREF=\"https://b/\">B</A></DL>")
        << QStringList{"|A|https://a/|0", "|B|https://b/|0"};
    QTest::newRow("unclosed comment and unclosed quote hide no later line")
        << QByteArray("<!-- open\n<DL><DT><A HREF=\"https://q/>Q\n<DT><A HREF='https://r/'>R"
                      "\n</DL>")
        << QStringList{"||https://q/>Q|0", "|R|https://r/|0"};
    const QByteArray cut = "<DL><DT><A HREF=\"https://a/\">A</A>\n<DT><A HREF=\"https://cut.ex";
    QTest::newRow("a file cut off in an address") << cut << QStringList{"|A|https://a/|0"};
    QTest::newRow("tab, line breaks and blanks in an address")
        << QByteArray("<DL><DT><A HREF=\" \thttps://a.example/p\tq\r\n/a b&#10; c?x= y#z \x01\">"
                      "A</A></DL>")
        << QStringList{"|A|https://a.example/pq/a%20b%20c?x=%20y#z|0"};
    QTest::newRow("references decoded once as browsers do, white space made single")
        << QByteArray("<DL><DT><A HREF=\"https://a/?b=1&amp;c=2&copy=3\">  Caf&eacute; &copy "
                      "2024 &#150;\n &amp;lt;&#0;&#xD800;&bogus; &#65;</A></DL>")
        << QStringList{u"|Café © 2024 – &lt;\uFFFD\uFFFD&bogus; A|https://a/?b=1&c=2&copy=3|0"_s};
    QTest::newRow("a stray list end, then a folder and a bookmark after it")
        << QByteArray("<DL><DT><A HREF=\"https://a/\">A</A></DL></DL><DT><H3>G</H3><DL><DT><A "
                      "HREF=\"https://b/\">B</A></DL><DT><A HREF=\"https://c/\">C</A>")
        << QStringList{"|A|https://a/|0", "/G|B|https://b/|0", "|C|https://c/|0"};
    QTest::newRow("a heading without a list before a bookmark")
        << QByteArray("<DL><DT><H3>F</H3><DT><A HREF=\"https://a/\">A</A><DL><DT><A HREF=\""
                      "https://b/\">B</A></DL></DL>")
        << QStringList{"|A|https://a/|0", "|B|https://b/|0"};
    const QStringList refused{"not a bookmark file"};
    QTest::newRow("a page") << QByteArray("<html><body><p>Hello</p></body></html>") << refused;
    QTest::newRow("binary") << QByteArray("\x00\x01\x02\xFF", 4) << refused;
    QTest::newRow("an empty export") << QByteArray("<DL><p>\n</DL>") << QStringList();
}
} // namespace

class TestBookmarkFiles : public QObject
{
    Q_OBJECT

  private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");
        exportRows();
        markupRows();
    }

    void read()
    {
        QFETCH(QByteArray, content);
        const exchange::SourceRead read = readBookmarkHtml(content);
        QTEST(read.ok() ? lines(read.tree) : QStringList{"not a bookmark file"}, "expected");
    }

    // 100,000 folders deep, then 50 MB of bookmarks that each carry a 100 kB icon.
    void hostileSize()
    {
        constexpr int depth = 100000, count = 500;
        QByteArray html = "<DL><p>\n" + QByteArray("<DT><H3>f</H3><DL><p>\n").repeated(depth);
        html += "<DT><A HREF=\"https://deep.example/\">Deep</A>\n";
        html += QByteArray("</DL><p>\n").repeated(depth + 1);
        const QByteArray icon = "data:image/png;base64," + QByteArray(100000, 'A');
        for (int i = 0; i < count; ++i)
            html += "<DT><A HREF=\"https://site" + QByteArray::number(i) + ".example/\" ICON=\"" +
                    icon + "\">Site " + QByteArray::number(i) + "</A>\n";
        const exchange::SourceRead read = readBookmarkHtml(html);
        QCOMPARE(read.tree.bookmarks.size(), size_t(count + 1));
        int levels = 0;
        for (int f = read.tree.bookmarks[0].folder; f > 0; f = read.tree.folders[size_t(f)].parent)
            ++levels;
        QCOMPARE(levels, depth);
        QCOMPARE(read.tree.bookmarks.back().folder, 0);
        QCOMPARE(read.tree.bookmarks.back().title, QStringLiteral("Site 499"));
    }
};

QTEST_GUILESS_MAIN(TestBookmarkFiles)
#include "test_bookmarkfiles.moc"
