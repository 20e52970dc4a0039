// Reading bookmark HTML files: what browsers write, and what hostile files hold.
#include "exchange/netscapereader.h"
#include "exchangefixture.h"
#include "rowfile.h"

using exchange::readBookmarkHtml;

class TestBookmarkFiles : public QObject
{
    Q_OBJECT

  private slots:
    // What browsers write, and markup that hides, cuts or fakes bookmarks.
    void read_data() { addRowsFromFile(QStringLiteral("exchange/bookmarkhtml.tsv")); }

    void read()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const exchange::SourceRead read =
            readBookmarkHtml(file.isEmpty() ? content : dataFile(file));
        QCOMPARE(read.ok() ? lines(read.tree) : QStringList{"not a bookmark file"},
                 expected.split(u'\n', Qt::SkipEmptyParts));
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
