#include "store/subject.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestSubject final : public QObject
{
    Q_OBJECT

  private slots:
    void normalize_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("extended");
        QTest::addColumn<QByteArray>("normal");
        QTest::addColumn<QList<int>>("map"); // empty: only its length is checked
        QTest::newRow("no word character") << "!? -- ...'''"_ba << false << ""_ba << QList<int>{};
        QTest::newRow("separators, dot, hyphen, NUL and DEL included, collapse")
            << "  v1.2-beta\t\r\n\0\x7f,;b  "_ba << false << " V1 2 BETA B "_ba << QList<int>{};
        QTest::newRow("dot and hyphen are word characters, extended")
            << "-it's v1.2-beta."_ba << true << " -ITS V1.2-BETA. "_ba << QList<int>{};
        QTest::newRow("0x80 to 0xfe are letters, not upper-cased, 0xff separates")
            << "caf\xc3\xa9\xff\x80\xfe"_ba << false << " CAF\xc3\xa9 \x80\xfe "_ba << QList<int>{};
        // The leading space points at the first letter, a word's closing space at the
        // separator after it, the final one at the last byte.
        QTest::newRow("map, apostrophes skipped")
            << "--i'm x'"_ba << false << " IM X "_ba << QList<int>{3, 3, 5, 6, 7, 8};
    }

    void normalize()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, extended);
        QFETCH(QByteArray, normal);
        QFETCH(QList<int>, map);
        std::vector<int> got;
        QCOMPARE(normalizeText(text, extended, &got), normal);
        QCOMPARE(normalizeText(text, extended), normal);
        QCOMPARE(qsizetype(got.size()), normal.size());
        if (!map.isEmpty())
            QCOMPARE(QList<int>(got.begin(), got.end()), map);
    }

    // The link-collection query and the lines of the built-in text.
    void dictionaryForms()
    {
        QCOMPARE(queryForm("  Farmer's Car-Repair & roll!  "), "farmers car-repair roll");
        QCOMPARE(queryForm("\xc3\x84PFEL"), "\xc3\x84pfel"); // high bytes unchanged
        QCOMPARE(splitSubjectLines(" A \rb\nc\r\nd"), (QByteArrayList{" A ", "b", "c", "d"}));
        QCOMPARE(splitSubjectLines("\na\n\rb\n"), (QByteArrayList{"", "a", "", "b"}));
    }

    void match_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QByteArray>("found"); // phrase|match
        const QByteArrayList carRepair{" CAR ", " CAR REPAIR ", " GUIDE "};
        QTest::newRow("four characters never match")
            << "car ab"_ba << QByteArrayList{" CAR", "CAR ", " AB "} << "|"_ba;
        QTest::newRow("longest line wins")
            << "it's a Car-Repair guide!"_ba << carRepair << "CAR REPAIR|Car-Repair"_ba;
        // " CAR " would tie with ARPET and win as the later line.
        QTest::newRow("whole-word line misses inside a word, bare line does not")
            << "Carpets"_ba << QByteArrayList{"ARPET", " CAR "} << "ARPET|arpet"_ba;
        // Later or earlier in the text, first line, a repeat's first place: each picks another.
        QTest::newRow("tie goes to the later line, a repeated one by its last place")
            << "apple, peach and mango"_ba
            << QByteArrayList{" APPLE ", " PEACH ", " MANGO ", " PEACH "} << "PEACH|peach"_ba;
        QTest::newRow("first occurrence") << "CAR, car"_ba << carRepair << "CAR|CAR"_ba;
        QTest::newRow("punctuation and control characters around stripped, inside kept")
            << "x\x01(Car -- Repair)\x02"_ba << carRepair << "CAR REPAIR|Car -- Repair"_ba;
        QTest::newRow("apostrophe inside kept, at the end stripped")
            << "it's dogs' toys"_ba << QByteArrayList{" ITS DOGS "} << "ITS DOGS|it's dogs"_ba;
        QTest::newRow("high bytes match as letters, 0xff as a separator")
            << "ab\xffP\xe9\xff"_ba << QByteArrayList{" AB P\xe9 "} << "AB P\xe9|ab\xffP\xe9"_ba;
        QTest::newRow("line ending inside a longer partial line")
            << "abcdefx"_ba << QByteArrayList{" ABCDEFGH", "BCDEF"} << "BCDEF|bcdef"_ba;
        QTest::newRow("overlapping lines")
            << "big car red"_ba << QByteArrayList{" BIG CAR", "G CAR RE"} << "G CAR RE|g car re"_ba;
    }

    void match()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArrayList, lines);
        for (const PhraseMatch &got :
             {SubjectMatcher(lines).match(text), matchPhrasePlain(text, lines)}) {
            QTEST(got.phrase + '|' + got.match, "found");
            QCOMPARE(got.rating, int(got.match.size()));
        }
    }

    void builtInLinesCanMatch()
    {
        const SubjectMatcher &subjects = ::builtInSubjects();
        // Anything but the normalised form could never occur in a normalised title.
        for (qsizetype i = 0; i < subjects.lineCount(); ++i) {
            const QByteArrayView line = subjects.lineAt(i);
            QVERIFY2(line.size() > 4 && normalizeText(line, false) == line, line.toByteArray());
        }
    }

    void builtInSubjects_data()
    {
        QTest::addColumn<QByteArray>("phrase"); // the row name is the title
        QTest::newRow("Stanford Encyclopedia of Philosophy") << "PHILOSOPHY"_ba;
        QTest::newRow("Chocolate chip cookie recipe") << "CHOCOLATE CHIP COOKIE"_ba;
        QTest::newRow("Home Page - Welcome - Official Website") << QByteArray();
    }

    void builtInSubjects()
    {
        QFETCH(QByteArray, phrase);
        const PhraseMatch found = matchPhrase(QTest::currentDataTag());
        QCOMPARE(found.phrase, phrase);
        QCOMPARE(found.match.toUpper(), phrase);
    }
};

QTEST_GUILESS_MAIN(TestSubject)
#include "test_subject.moc"
