#include "store/subject.h"

#include <QRandomGenerator>
#include <QTest>

class TestSubject final : public QObject
{
    Q_OBJECT

  private slots:
    void normalize_data();
    void normalize();
    void positionMap_data();
    void positionMap();
    void queryForm_data();
    void queryForm();
    void splitLines_data();
    void splitLines();
    void match_data();
    void match();
    void indexAgreesWithPlainSearch_data();
    void indexAgreesWithPlainSearch();
    void builtInLinesCanMatch();
    void builtInSubjects_data();
    void builtInSubjects();
};

void TestSubject::normalize_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QByteArray>("normal");
    QTest::newRow("empty") << QByteArray() << false << QByteArray();
    QTest::newRow("no word character") << QByteArray("!? -- ...") << false << QByteArray();
    QTest::newRow("only apostrophes") << QByteArray("'''") << false << QByteArray();
    QTest::newRow("title") << QByteArray("it's a Car-Repair guide!") << false
                           << QByteArray(" ITS A CAR REPAIR GUIDE ");
    QTest::newRow("title, extended")
        << QByteArray("it's a Car-Repair guide!") << true << QByteArray(" ITS A CAR-REPAIR GUIDE ");
    QTest::newRow("dot and hyphen separate")
        << QByteArray("v1.2-beta") << false << QByteArray(" V1 2 BETA ");
    QTest::newRow("dot and hyphen join, extended")
        << QByteArray("-v1.2-beta.") << true << QByteArray(" -V1.2-BETA. ");
    QTest::newRow("separators collapse")
        << QByteArray("  a\t\r\n,;b  ") << false << QByteArray(" A B ");
    QTest::newRow("bytes from 0x80 are kept as letters")
        << QByteArray("caf\xc3\xa9 \x80\xfe") << false << QByteArray(" CAF\xc3\xa9 \x80\xfe ");
    QTest::newRow("0xff separates") << QByteArray("ab\xff\xff"
                                                  "cd")
                                    << false << QByteArray(" AB CD ");
    QTest::newRow("nul separates") << QByteArray("ab\0cd", 5) << false << QByteArray(" AB CD ");
    QTest::newRow("only ASCII is upper-cased")
        << QByteArray("\xc3\xa4z") << false << QByteArray(" \xc3\xa4Z ");
}

void TestSubject::normalize()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, extended);
    QFETCH(QByteArray, normal);
    std::vector<int> map;
    QCOMPARE(NormalizeText(text, extended, &map), normal);
    QCOMPARE(qsizetype(map.size()), normal.size());
    QCOMPARE(NormalizeText(text, extended), normal);
}

void TestSubject::positionMap_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("map");
    // The leading space points at the first letter, a word's closing space at the
    // separator after it, the final one at the last byte.
    QTest::newRow("one word") << QByteArray("ab") << QList<int>{1, 1, 2, 2};
    QTest::newRow("separators before the first word")
        << QByteArray("--ab") << QList<int>{3, 3, 4, 4};
    QTest::newRow("trailing separators") << QByteArray("ab!!") << QList<int>{1, 1, 2, 3};
    QTest::newRow("apostrophe is skipped") << QByteArray("i'm x") << QList<int>{1, 1, 3, 4, 5, 5};
    QTest::newRow("trailing apostrophe") << QByteArray("ab'") << QList<int>{1, 1, 2, 3};
}

void TestSubject::positionMap()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, map);
    std::vector<int> got;
    NormalizeText(text, false, &got);
    QCOMPARE(QList<int>(got.begin(), got.end()), map);
}

void TestSubject::queryForm_data()
{
    QTest::addColumn<QByteArray>("phrase");
    QTest::addColumn<QByteArray>("query");
    QTest::newRow("dictionary line") << QByteArray(" CAR REPAIR ") << QByteArray("car repair");
    QTest::newRow("hyphen kept") << QByteArray("Car-Repair") << QByteArray("car-repair");
    QTest::newRow("apostrophe dropped")
        << QByteArray("Farmer's Almanac") << QByteArray("farmers almanac");
    QTest::newRow("other separators become one space")
        << QByteArray("  rock & roll!  ") << QByteArray("rock roll");
    QTest::newRow("bytes from 0x80 unchanged")
        << QByteArray("\xc3\x84PFEL") << QByteArray("\xc3\x84pfel");
    QTest::newRow("no word character") << QByteArray(" & ") << QByteArray();
}

void TestSubject::queryForm()
{
    QFETCH(QByteArray, phrase);
    QFETCH(QByteArray, query);
    QCOMPARE(QueryForm(phrase), query);
}

void TestSubject::splitLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::newRow("empty") << QByteArray() << QByteArrayList{};
    QTest::newRow("LF") << QByteArray("a\nb\n") << QByteArrayList{"a", "b"};
    QTest::newRow("CR") << QByteArray("a\rb") << QByteArrayList{"a", "b"};
    QTest::newRow("CR LF is one break") << QByteArray("a\r\nb\r\n") << QByteArrayList{"a", "b"};
    QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QByteArrayList{"a", "", "b"};
    QTest::newRow("empty lines kept") << QByteArray("\n\na") << QByteArrayList{"", "", "a"};
    QTest::newRow("spaces kept") << QByteArray(" A B \n") << QByteArrayList{" A B "};
}

void TestSubject::splitLines()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, lines);
    QCOMPARE(SplitSubjectLines(text), lines);
}

void TestSubject::match_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("phrase");
    QTest::addColumn<QByteArray>("match");
    const QByteArrayList carRepair{" CAR ", " CAR REPAIR ", " GUIDE "};

    QTest::newRow("empty dictionary")
        << QByteArrayList{} << QByteArray("car") << QByteArray() << QByteArray();
    QTest::newRow("empty text") << carRepair << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("no letter or digit") << QByteArrayList{" CAR ", "     "}
                                        << QByteArray("!! -- ??") << QByteArray() << QByteArray();
    QTest::newRow("four characters never match")
        << QByteArrayList{" CAR", "CAR ", " AB "} << QByteArray("car ab") << QByteArray()
        << QByteArray();
    QTest::newRow("lower-case line never matches")
        << QByteArrayList{" car "} << QByteArray("car") << QByteArray() << QByteArray();
    QTest::newRow("longest line wins") << carRepair << QByteArray("it's a Car-Repair guide!")
                                       << QByteArray("CAR REPAIR") << QByteArray("Car-Repair");
    QTest::newRow("whole-word line misses inside a word")
        << QByteArrayList{" CAR "} << QByteArray("Carpets") << QByteArray() << QByteArray();
    QTest::newRow("bare line matches inside a word")
        << QByteArrayList{" CAR ", "ARPET"} << QByteArray("Carpets") << QByteArray("ARPET")
        << QByteArray("arpet");
    QTest::newRow("tie goes to the later line")
        << QByteArrayList{" APPLE ", " MANGO "} << QByteArray("apple and mango")
        << QByteArray("MANGO") << QByteArray("mango");
    QTest::newRow("tie goes to the later line, reversed")
        << QByteArrayList{" MANGO ", " APPLE "} << QByteArray("apple and mango")
        << QByteArray("APPLE") << QByteArray("apple");
    QTest::newRow("repeated line ranks by its last place")
        << QByteArrayList{" APPLE ", " MANGO ", " APPLE "} << QByteArray("mango, apple")
        << QByteArray("APPLE") << QByteArray("apple");
    QTest::newRow("first occurrence") << QByteArrayList{" CAR "} << QByteArray("CAR or car")
                                      << QByteArray("CAR") << QByteArray("CAR");
    QTest::newRow("separators inside kept as written")
        << carRepair << QByteArray("car -- repair") << QByteArray("CAR REPAIR")
        << QByteArray("car -- repair");
    QTest::newRow("punctuation at both ends stripped")
        << carRepair << QByteArray("x (Car Repair)") << QByteArray("CAR REPAIR")
        << QByteArray("Car Repair");
    QTest::newRow("control characters at both ends stripped")
        << carRepair << QByteArray("x\tcar\x01repair\n") << QByteArray("CAR REPAIR")
        << QByteArray("car\x01repair");
    QTest::newRow("apostrophe inside kept")
        << QByteArrayList{" ITS A CAR "} << QByteArray("it's a car") << QByteArray("ITS A CAR")
        << QByteArray("it's a car");
    QTest::newRow("apostrophe at the end stripped")
        << QByteArrayList{" DOGS "} << QByteArray("the dogs' toys") << QByteArray("DOGS")
        << QByteArray("dogs");
    QTest::newRow("bytes from 0x80 match as letters")
        << QByteArrayList{" CAF\xc3\xa9 "} << QByteArray("Caf\xc3\xa9!")
        << QByteArray("CAF\xc3\xa9") << QByteArray("Caf\xc3\xa9");
    QTest::newRow("0xff kept between matched words") << QByteArrayList{" AB CD "}
                                                     << QByteArray("ab\xff"
                                                                   "cd")
                                                     << QByteArray("AB CD")
                                                     << QByteArray("ab\xff"
                                                                   "cd");
    QTest::newRow("line ending inside a longer partial line")
        << QByteArrayList{" ABCDEFGH", "BCDEF"} << QByteArray("abcdefx") << QByteArray("BCDEF")
        << QByteArray("bcdef");
    QTest::newRow("overlapping lines")
        << QByteArrayList{" BIG CAR ", "G CAR REP"} << QByteArray("big car repair")
        << QByteArray("G CAR REP") << QByteArray("g car rep");
}

void TestSubject::match()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, phrase);
    QFETCH(QByteArray, match);
    for (const TPhraseMatch &got :
         {SubjectMatcher(lines).Match(text), MatchPhrasePlain(text, lines)}) {
        QCOMPARE(got.Phrase, phrase);
        QCOMPARE(got.Match, match);
        QCOMPARE(got.Rating, int(match.size()));
    }
}

void TestSubject::indexAgreesWithPlainSearch_data()
{
    QTest::addColumn<QByteArray>("alphabet");
    QTest::addColumn<int>("maxLines");
    // Few letters make lines overlap, repeat and share prefixes and suffixes.
    QTest::newRow("two letters") << QByteArray("ab ") << 12;
    QTest::newRow("letters and separators") << QByteArray("abC -'.") << 40;
    QTest::newRow("high bytes") << QByteArray("a\x80\xc3\xff ") << 40;
    QTest::newRow("many lines") << QByteArray("abcd  ") << 400;
}

void TestSubject::indexAgreesWithPlainSearch()
{
    QFETCH(QByteArray, alphabet);
    QFETCH(int, maxLines);
    QRandomGenerator random(quint32(maxLines) * 31u + quint32(alphabet.size()));
    const auto randomText = [&](int maxLength) {
        QByteArray text(random.bounded(maxLength + 1), ' ');
        for (char &c : text)
            c = alphabet[random.bounded(int(alphabet.size()))];
        return text;
    };
    int found = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArrayList lines;
        const QByteArray text = randomText(40);
        const QByteArray normal = NormalizeText(text, false);
        const int lineCount = random.bounded(maxLines + 1);
        for (int i = 0; i < lineCount; ++i) {
            const QByteArray piece =
                normal.mid(random.bounded(int(normal.size()) + 1), random.bounded(1, 10));
            switch (random.bounded(4)) {
            case 0: // occurs in the text
                lines.append(piece);
                break;
            case 1: // begins as in the text and then goes its own way
                lines.append(piece + NormalizeText(randomText(4), false).trimmed());
                break;
            case 2:
                lines.append(NormalizeText(randomText(8), false));
                break;
            default:
                lines.append(lines.isEmpty() ? piece : lines[random.bounded(int(lines.size()))]);
            }
        }
        const TPhraseMatch indexed = SubjectMatcher(lines).Match(text);
        const TPhraseMatch plain = MatchPhrasePlain(text, lines);
        const QByteArray context = "text \"" + text.toPercentEncoding() + "\" lines \"" +
                                   lines.join('|').toPercentEncoding() + '"';
        QVERIFY2(indexed.Phrase == plain.Phrase, context.constData());
        QVERIFY2(indexed.Match == plain.Match, context.constData());
        QCOMPARE(indexed.Rating, plain.Rating);
        found += plain.Rating > 0;
    }
    QVERIFY2(found > 100, "too few texts with a match to compare anything");
}

void TestSubject::builtInLinesCanMatch()
{
    const SubjectMatcher &subjects = BuiltInSubjects();
    QVERIFY(subjects.LineCount() >= 20000);
    for (qsizetype i = 0; i < subjects.LineCount(); ++i) {
        const QByteArrayView line = subjects.Line(i);
        // Anything but the normalised form could never occur in a normalised title.
        if (line.size() <= 4 || NormalizeText(line, false) != line)
            QFAIL(qPrintable(QStringLiteral("line %1: \"%2\"").arg(i + 1).arg(line.toByteArray())));
    }
}

void TestSubject::builtInSubjects_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QByteArray>("phrase");
    QTest::newRow("reference work")
        << QByteArray("Stanford Encyclopedia of Philosophy") << QByteArray("PHILOSOPHY");
    QTest::newRow("two-word subject")
        << QByteArray("BBC Weather forecast for London") << QByteArray("WEATHER FORECAST");
    QTest::newRow("tutorial") << QByteArray("Python tutorial for beginners")
                              << QByteArray("PYTHON");
    QTest::newRow("music") << QByteArray("Guitar chords and tablature") << QByteArray("TABLATURE");
    QTest::newRow("three-word subject")
        << QByteArray("Chocolate chip cookie recipe") << QByteArray("CHOCOLATE CHIP COOKIE");
    QTest::newRow("event") << QByteArray("Tour de France 2023 results")
                           << QByteArray("TOUR DE FRANCE");
    QTest::newRow("science") << QByteArray("Introduction to quantum mechanics")
                             << QByteArray("QUANTUM MECHANICS");
    QTest::newRow("garden") << QByteArray("How to grow tomatoes in your vegetable garden")
                            << QByteArray("VEGETABLE GARDEN");
    QTest::newRow("apostrophe") << QByteArray("The Old Farmer's Almanac") << QByteArray("ALMANAC");
    QTest::newRow("shop") << QByteArray("Amazon.com: Online Shopping for Electronics, Apparel")
                          << QByteArray("ELECTRONICS");
    QTest::newRow("museum") << QByteArray("Welcome to the Museum of Modern Art")
                            << QByteArray("MUSEUM");
    QTest::newRow("sheet music") << QByteArray("Bach cello suites sheet music")
                                 << QByteArray("SHEET MUSIC");
    QTest::newRow("site furniture only")
        << QByteArray("Home Page - Welcome - Official Website") << QByteArray();
    QTest::newRow("login page") << QByteArray("Login | Sign in to your account") << QByteArray();
}

void TestSubject::builtInSubjects()
{
    QFETCH(QByteArray, title);
    QFETCH(QByteArray, phrase);
    const TPhraseMatch found = MatchPhrase(title);
    QCOMPARE(found.Phrase, phrase);
    QCOMPARE(found.Match.toUpper(), phrase);
}

QTEST_GUILESS_MAIN(TestSubject)
#include "test_subject.moc"
