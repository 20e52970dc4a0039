// Subject lookup with the index against testing every dictionary line one by one, on
// made-up page titles of dictionary words, site furniture and noise.
#include "store/subject.h"

#include <QElapsedTimer>
#include <cstdint>
#include <cstdio>
#include <iterator>

namespace {

constexpr int kTitles = 100000;
constexpr int kSample = 2000;

// xorshift64*: the same titles on every machine and run.
class Random
{
  public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint32_t next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return uint32_t((m_state * 0x2545F4914F6CDD1DULL) >> 32);
    }
    int below(int n) { return int(next() % uint32_t(n)); }

  private:
    uint64_t m_state;
};

QByteArray titleCase(QByteArrayView words, Random &random)
{
    QByteArray out = words.toByteArray().toLower();
    const int style = random.below(3);
    for (qsizetype i = 0; i < out.size(); ++i) {
        const bool wordStart = i == 0 || out[i - 1] == ' ';
        if ((style == 2 || (style == 1 && wordStart)) && out[i] >= 'a' && out[i] <= 'z')
            out[i] = char(out[i] - 'a' + 'A');
    }
    return out;
}

QByteArray makeTitle(const SubjectMatcher &subjects, Random &random)
{
    static const char *const furniture[] = {
        "Home", "Welcome to",  "Official Site", "|",    "-",     ":", "Login", "News", "&",
        "2024", "Caf\xc3\xa9", "\xe2\x80\x93",  "it's", "(Beta)"};
    QByteArray title;
    const int parts = 2 + random.below(7);
    for (int p = 0; p < parts; ++p) {
        if (!title.isEmpty())
            title += random.below(5) == 0 ? ", " : " ";
        const int kind = random.below(10);
        if (kind < 4) {
            const QByteArrayView line = subjects.lineAt(random.below(int(subjects.lineCount())));
            title += titleCase(line.trimmed(), random);
        } else if (kind < 7) {
            QByteArray noise(2 + random.below(9), 'a');
            for (char &c : noise)
                c = char('a' + random.below(26));
            title += titleCase(noise, random);
        } else {
            title += furniture[random.below(int(std::size(furniture)))];
        }
    }
    return title;
}

bool same(const PhraseMatch &a, const PhraseMatch &b)
{
    return a.rating == b.rating && a.phrase == b.phrase && a.match == b.match;
}

} // namespace

int main()
{
    QElapsedTimer clock;
    clock.start();
    const SubjectMatcher &subjects = builtInSubjects();
    const double loadMs = double(clock.nsecsElapsed()) / 1e6;
    QList<QByteArray> lines;
    lines.reserve(subjects.lineCount());
    for (qsizetype i = 0; i < subjects.lineCount(); ++i)
        lines.append(subjects.lineAt(i).toByteArray());

    Random random(0x5eed5eed12345ULL);
    QList<QByteArray> titles;
    titles.reserve(kTitles);
    for (int i = 0; i < kTitles; ++i)
        titles.append(makeTitle(subjects, random));

    std::vector<PhraseMatch> ours(kTitles);
    clock.restart();
    for (int i = 0; i < kTitles; ++i)
        ours[size_t(i)] = matchPhrase(titles[i]);
    const double oursUs = double(clock.nsecsElapsed()) / 1e3 / kTitles;

    constexpr int step = kTitles / kSample;
    std::vector<PhraseMatch> plain(kSample);
    clock.restart();
    for (int s = 0; s < kSample; ++s)
        plain[size_t(s)] = matchPhrasePlain(titles[s * step], lines);
    const double plainUs = double(clock.nsecsElapsed()) / 1e3 / kSample;

    int mismatches = 0;
    int found = 0;
    for (int s = 0; s < kSample; ++s) {
        const PhraseMatch &mine = ours[size_t(s * step)];
        found += mine.rating > 0;
        if (!same(mine, plain[size_t(s)])) {
            ++mismatches;
            std::printf("mismatch on \"%s\": \"%s\" / \"%s\"\n", titles[s * step].constData(),
                        mine.phrase.constData(), plain[size_t(s)].phrase.constData());
        }
    }
    std::printf("dictionary loaded and indexed in %.1f ms\n", loadMs);
    std::printf("%d titles, %d in the sample, %d of them with a subject\n", kTitles, kSample,
                found);
    std::printf("RESULT subject ratio=%.6f mismatches=%d lines=%lld ours_us_per_title=%.3f "
                "plain_us_per_title=%.1f\n",
                oursUs / plainUs, mismatches, static_cast<long long>(subjects.lineCount()), oursUs,
                plainUs);
    return mismatches == 0 ? 0 : 1;
}
