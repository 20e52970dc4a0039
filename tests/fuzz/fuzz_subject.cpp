// Any bytes as a title: normalising, matching and the query form keep their invariants, and the
// index answers as the plain search. Lines before a first NUL are a dictionary of their own;
// the corpus holds random ones over a few letters, whose lines overlap, repeat and share
// beginnings and ends.
#include "store/subject.h"

static void check(bool ok, const char *what)
{
    if (!ok)
        qFatal("invariant broken: %s", what);
}

static void checkNormal(QByteArrayView text, bool extended)
{
    std::vector<int> map;
    const QByteArray normal = normalizeText(text, extended, &map);
    check(qsizetype(map.size()) == normal.size() && normal.size() <= text.size() + 2 &&
              normalizeText(normal, extended) == normal &&
              (normal.isEmpty() || (normal.front() == ' ' && normal.back() == ' ')),
          "one map entry per character, spaces around the words, normalising twice the same");
    for (qsizetype i = 0; i < normal.size(); ++i) {
        const int c = uint8_t(normal[i]), from = map[size_t(i)];
        const bool word = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                          (c >= 0x80 && c != 0xFF) || (extended && (c == '-' || c == '.'));
        check(from >= 1 && from <= text.size() && (i == 0 || from >= map[size_t(i) - 1]) &&
                  (c == ' ' ? i == 0 || normal[i - 1] != ' '
                            : word && QByteArray(1, text[from - 1]).toUpper()[0] == char(c)),
              "map ascending in the text, single spaces, word characters from their source");
    }
}

static void checkMatch(const PhraseMatch &got, const PhraseMatch &plain, QByteArrayView text)
{
    check(got.rating == plain.rating && got.phrase == plain.phrase && got.match == plain.match &&
              got.rating == got.match.size() && (got.rating > 0) == !got.phrase.isEmpty() &&
              text.contains(got.match),
          "index agrees with the plain search, a match comes from the text, rated by its length");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QList<QByteArray> small = splitSubjectLines(
        " CAR \n CAR REPAIR \nARPET\n ITS A \n AB CD \n CAF\xc3\xa9 \nG CAR REP\n CAR \n\x80\xfe"
        "AB\nA A A A");
    QByteArrayView text(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype nul = text.indexOf('\0');
    const QList<QByteArray> lines = nul >= 0 ? splitSubjectLines(text.first(nul)) : small;
    text = text.sliced(nul + 1);
    checkMatch(SubjectMatcher(lines).match(text), matchPhrasePlain(text, lines), text);
    checkMatch(matchPhrase(text), matchPhrase(text), text); // the built-in one: invariants only
    checkNormal(text, false);
    checkNormal(text, true);
    check(queryForm(queryForm(text)) == queryForm(text).toLower(), "query form lower case, stable");
    return 0;
}
