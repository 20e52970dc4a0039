// When two addresses are one bookmark, and which copy of a group to keep.
#include "exchange/addresskeys.h"
#include "exchange/duplicates.h"
#include "rowfile.h"

#include <QTest>

using namespace exchange;

class TestAddresses : public QObject
{
    Q_OBJECT

  private slots:
    void keys_data() { addRowsFromFile(QStringLiteral("exchange/addresskeys.tsv")); }

    void keys()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, relation);
        const AddressKeys ka = addressKeys(a);
        const AddressKeys kb = addressKeys(b);
        QCOMPARE(ka.same == kb.same, relation == u"same");
        QCOMPARE(ka.probablySame == kb.probablySame, relation != u"apart");
    }

    void ascii_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("ascii");
        QTest::newRow("plain stays") << "https://a.example/p?q=1#f"
                                     << "https://a.example/p?q=1#f";
        QTest::newRow("international host, path and query")
            << QString::fromUtf8("http://Bücher.example:8080/ä?ü=1#ö")
            << "http://xn--bcher-kva.example:8080/%C3%A4?%C3%BC=1#%C3%B6";
        QTest::newRow("controls and spaces") << "https://a.example/a b\tc\r\n"
                                             << "https://a.example/a%20b%09c";
        QTest::newRow("no valid international name")
            << QString::fromUtf8("https://a\u00A0b.example/") << "https://a%C2%A0b.example/";
    }

    void ascii()
    {
        QFETCH(QString, url);
        QTEST(asciiAddress(url), "ascii");
    }

    void groups_data()
    {
        // Bookmarks as "url|stored url|kept|works|reference"; groups as "tier:members:keep".
        QTest::addColumn<QStringList>("bookmarks");
        QTest::addColumn<QStringList>("groups");
        QTest::newRow("kept for good wins over working and https")
            << QStringList{"https://a.example/||0|1|10", "http://a.example||1|0|20",
                           "https://b.example/||0|1|1"}
            << QStringList{"probably same:0,1:1"};
        QTest::newRow("working, then https, then oldest")
            << QStringList{"http://a.example/||0|0|1", "http://a.example/||0|1|9",
                           "https://a.example/||0|1|8", "https://a.example/||0|1|5"}
            << QStringList{"probably same:0,1,2,3:3"};
        QTest::newRow("same address")
            << QStringList{"https://a.example||0|0|2", "https://A.example/||0|0|1"}
            << QStringList{"same:0,1:1"};
        QTest::newRow("same target after redirects")
            << QStringList{"https://old.example/||0|0|1",
                           "https://new.example/x|https://final.example/|0|1|2",
                           "https://short.example/1|https://final.example/|0|1|3",
                           "|https://final.example/|0|0|0"}
            << QStringList{"same target:1,2:1"};
        QTest::newRow("no copies")
            << QStringList{"https://a.example/||0|0|1", "||0|0|1", "||0|0|1"} << QStringList{};
    }

    void groups()
    {
        QFETCH(QStringList, bookmarks);
        QFETCH(QStringList, groups);
        std::vector<DuplicateCandidate> candidates;
        for (const QString &b : bookmarks) {
            const QStringList f = b.split(u'|');
            candidates.push_back({f[0], f[1], f[2] == u"1", f[3] == u"1", f[4].toDouble()});
        }
        const DuplicateFinder finder(candidates);
        QStringList found;
        for (const DuplicateGroup &g : finder.groups()) {
            QStringList members;
            for (const int i : g.members)
                members << QString::number(i);
            found << tierName(g.tier) + u':' + members.join(u',') + u':' + QString::number(g.keep);
        }
        QCOMPARE(found, groups);
        if (!groups.isEmpty())
            QCOMPARE(finder.copiesOf(finder.groups()[0].members[0]).size(),
                     finder.groups()[0].members.size() - 1);
    }
};

QTEST_GUILESS_MAIN(TestAddresses)
#include "test_addresses.moc"
