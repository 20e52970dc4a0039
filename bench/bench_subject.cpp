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
    uint32_t Next()
    {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return uint32_t((m_state * 0x2545F4914F6CDD1DULL) >> 32);
    }
    int Below(int n) { return int(Next() % uint32_t(n)); }

  private:
    uint64_t m_state;
};

QByteArray TitleCase(QByteArrayView words, Random &random)
{
    QByteArray out = words.toByteArray().toLower();
    const int style = random.Below(3);
    for (qsizetype i = 0; i < out.size(); ++i) {
        const bool wordStart = i == 0 || out[i - 1] == ' ';
        if ((style == 2 || (style == 1 && wordStart)) && out[i] >= 'a' && out[i] <= 'z')
            out[i] = char(out[i] - 'a' + 'A');
    }
    return out;
}

QByteArray MakeTitle(const SubjectMatcher &subjects, Random &random)
{
    static const char *const furniture[] = {
        "Home", "Welcome to",  "Official Site", "|",    "-",     ":", "Login", "News", "&",
        "2024", "Caf\xc3\xa9", "\xe2\x80\x93",  "it's", "(Beta)"};
    QByteArray title;
    const int parts = 2 + random.Below(7);
    for (int p = 0; p < parts; ++p) {
        if (!title.isEmpty())
            title += random.Below(5) == 0 ? ", " : " ";
        const int kind = random.Below(10);
        if (kind < 4) {
            const QByteArrayView line = subjects.Line(random.Below(int(subjects.LineCount())));
            title += TitleCase(line.trimmed(), random);
        } else if (kind < 7) {
            QByteArray noise(2 + random.Below(9), 'a');
            for (char &c : noise)
                c = char('a' + random.Below(26));
            title += TitleCase(noise, random);
        } else {
            title += furniture[random.Below(int(std::size(furniture)))];
        }
    }
    return title;
}

bool Same(const TPhraseMatch &a, const TPhraseMatch &b)
{
    return a.Rating == b.Rating && a.Phrase == b.Phrase && a.Match == b.Match;
}

} // namespace

int main()
{
    QElapsedTimer clock;
    clock.start();
    const SubjectMatcher &subjects = BuiltInSubjects();
    const double loadMs = double(clock.nsecsElapsed()) / 1e6;
    QList<QByteArray> lines;
    lines.reserve(subjects.LineCount());
    for (qsizetype i = 0; i < subjects.LineCount(); ++i)
        lines.append(subjects.Line(i).toByteArray());

    Random random(0x5eed5eed12345ULL);
    QList<QByteArray> titles;
    titles.reserve(kTitles);
    for (int i = 0; i < kTitles; ++i)
        titles.append(MakeTitle(subjects, random));

    std::vector<TPhraseMatch> ours(kTitles);
    clock.restart();
    for (int i = 0; i < kTitles; ++i)
        ours[size_t(i)] = MatchPhrase(titles[i]);
    const double oursUs = double(clock.nsecsElapsed()) / 1e3 / kTitles;

    constexpr int step = kTitles / kSample;
    std::vector<TPhraseMatch> plain(kSample);
    clock.restart();
    for (int s = 0; s < kSample; ++s)
        plain[size_t(s)] = MatchPhrasePlain(titles[s * step], lines);
    const double plainUs = double(clock.nsecsElapsed()) / 1e3 / kSample;

    int mismatches = 0;
    int found = 0;
    for (int s = 0; s < kSample; ++s) {
        const TPhraseMatch &mine = ours[size_t(s * step)];
        found += mine.Rating > 0;
        if (!Same(mine, plain[size_t(s)])) {
            ++mismatches;
            std::printf("mismatch on \"%s\": \"%s\" / \"%s\"\n", titles[s * step].constData(),
                        mine.Phrase.constData(), plain[size_t(s)].Phrase.constData());
        }
    }
    std::printf("dictionary loaded and indexed in %.1f ms\n", loadMs);
    std::printf("%d titles, %d in the sample, %d of them with a subject\n", kTitles, kSample,
                found);
    std::printf("RESULT subject ratio=%.6f mismatches=%d lines=%lld ours_us_per_title=%.3f "
                "plain_us_per_title=%.1f\n",
                oursUs / plainUs, mismatches, static_cast<long long>(subjects.LineCount()), oursUs,
                plainUs);
    return mismatches == 0 ? 0 : 1;
}
