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

    void ascii_data() { addRowsFromFile(QStringLiteral("exchange/asciiaddresses.tsv")); }

    void ascii()
    {
        QFETCH(QString, url);
        QTEST(asciiAddress(url), "ascii");
    }

    void groups_data() { addRowsFromFile(QStringLiteral("exchange/duplicategroups.tsv")); }

    void groups()
    {
        QFETCH(QStringList, bookmarks);
        QFETCH(QStringList, groups);
        std::vector<DuplicateCandidate> candidates;
        for (const QString &b : bookmarks) {
            const QStringList f = b.split(u';');
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
