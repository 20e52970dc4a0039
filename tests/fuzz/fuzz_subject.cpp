// Any bytes as a title: normalising, matching and the query form must hold their
// invariants, and the index must give the answer of the plain search. Input holding a
// NUL brings its own dictionary: the lines before the first NUL, the title after it.
#include "store/subject.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool IsWordByte(char c, bool extended)
{
    const uint8_t b = uint8_t(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 0x80 && b != 0xFF) ||
           (extended && (b == '-' || b == '.'));
}

void CheckNormal(QByteArrayView text, bool extended)
{
    std::vector<int> map;
    const QByteArray normal = NormalizeText(text, extended, &map);
    Check(normal.size() <= text.size() + 2, "normal text at most two bytes longer");
    Check(qsizetype(map.size()) == normal.size(), "one map entry per character");
    Check(NormalizeText(normal, extended) == normal, "normalising twice changes nothing");
    if (normal.isEmpty())
        return;
    Check(normal.front() == ' ' && normal.back() == ' ', "spaces around the words");
    for (qsizetype i = 0; i < normal.size(); ++i) {
        const char c = normal[i];
        Check(c == ' ' ? i == 0 || normal[i - 1] != ' ' : IsWordByte(c, extended),
              "single spaces between word characters");
        Check(map[size_t(i)] >= 1 && map[size_t(i)] <= text.size(), "map inside the text");
        Check(i == 0 || map[size_t(i)] >= map[size_t(i) - 1], "map never goes back");
        if (c != ' ')
            Check(text[map[size_t(i)] - 1] == c || text[map[size_t(i)] - 1] == c + 32,
                  "word character mapped to its source");
    }
}

void CheckMatch(const TPhraseMatch &got, const TPhraseMatch &plain, QByteArrayView text)
{
    Check(got.Rating == plain.Rating && got.Phrase == plain.Phrase && got.Match == plain.Match,
          "index agrees with the plain search");
    Check(got.Rating == got.Match.size(), "rating is the match length");
    Check((got.Rating > 0) == !got.Phrase.isEmpty(), "a match has a phrase");
    Check(got.Match.isEmpty() || text.contains(got.Match), "match taken from the text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QList<QByteArray> small{" CAR ",
                                         " CAR REPAIR ",
                                         "ARPET",
                                         " ITS A ",
                                         " AB CD ",
                                         " CAF\xc3\xa9 ",
                                         "G CAR REP",
                                         " CAR ",
                                         "\x80\xfe"
                                         "AB",
                                         "A A A A"};
    static const SubjectMatcher smallMatcher(small);

    QByteArrayView text = input;
    const qsizetype nul = input.indexOf('\0');
    if (nul >= 0) {
        const QList<QByteArray> lines = SplitSubjectLines(input.first(nul));
        text = input.sliced(nul + 1);
        CheckMatch(SubjectMatcher(lines).Match(text), MatchPhrasePlain(text, lines), text);
    }
    CheckNormal(text, false);
    CheckNormal(text, true);
    CheckMatch(smallMatcher.Match(text), MatchPhrasePlain(text, small), text);

    const TPhraseMatch builtIn = MatchPhrase(text);
    Check(builtIn.Rating == builtIn.Match.size(), "built-in rating is the match length");

    const QByteArray query = QueryForm(text);
    Check(QueryForm(query) == query, "query form of a query form is itself");
    for (const char c : query)
        Check(!(c >= 'A' && c <= 'Z'), "query form is lower case");
    return 0;
}
