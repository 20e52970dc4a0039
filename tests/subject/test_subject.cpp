#include "rowfile.h"
#include "store/subject.h"

#include <QTest>

class TestSubject final : public QObject
{
    Q_OBJECT

  private slots:
    void normalize_data() { addRowsFromFile(QStringLiteral("subject/normalize.tsv")); }

    void normalize()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, extended);
        QFETCH(QByteArray, normal);
        QFETCH(QByteArray, map);
        std::vector<int> got;
        QCOMPARE(normalizeText(text, extended, &got), normal);
        QCOMPARE(normalizeText(text, extended), normal);
        QCOMPARE(qsizetype(got.size()), normal.size());
        QByteArrayList from;
        for (const int at : got)
            from << QByteArray::number(at);
        if (!map.isEmpty())
            QCOMPARE(from.join('|'), map);
    }

    // The link-collection query and the lines of the built-in text.
    void dictionaryForms()
    {
        QCOMPARE(queryForm("  Farmer's Car-Repair & roll!  "), "farmers car-repair roll");
        QCOMPARE(queryForm("\xc3\x84PFEL"), "\xc3\x84pfel"); // high bytes unchanged
        QCOMPARE(splitSubjectLines(" A \rb\nc\r\nd"), (QByteArrayList{" A ", "b", "c", "d"}));
        QCOMPARE(splitSubjectLines("\na\n\rb\n"), (QByteArrayList{"", "a", "", "b"}));
    }

    void match_data() { addRowsFromFile(QStringLiteral("subject/match.tsv")); }

    void match()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, lines);
        for (const PhraseMatch &got : {SubjectMatcher(lines.split('|')).match(text),
                                       matchPhrasePlain(text, lines.split('|'))}) {
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

    void builtInSubjects_data() { addRowsFromFile(QStringLiteral("subject/builtin.tsv")); }

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
