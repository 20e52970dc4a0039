// Grouping 100,000 bookmarks by all three tiers of address keys, against sorting their raw
// addresses.
#include "benchclock.h"
#include "exchange/duplicates.h"

#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
constexpr int bookmarkCount = 100000;
constexpr int repeats = 5;
constexpr quint32 seed = 20240101;

// Addresses as collections hold them: many sites, some saved twice in another spelling,
// with tracking parameters, fragments and redirects.
std::vector<exchange::DuplicateCandidate> makeCandidates()
{
    QRandomGenerator random(seed);
    std::vector<exchange::DuplicateCandidate> candidates;
    for (int i = 0; i < bookmarkCount; ++i) {
        const int site = int(random.bounded(bookmarkCount * 3 / 4));
        QString url = QStringLiteral("%1://%2site%3.example/section/%4/article-%5.html")
                          .arg(random.bounded(2) ? "https" : "http")
                          .arg(random.bounded(3) ? "www." : "")
                          .arg(site)
                          .arg(site % 37)
                          .arg(site % 1000);
        if (random.bounded(4) == 0)
            url += QStringLiteral("?utm_source=feed&utm_medium=rss&id=%1").arg(site);
        if (random.bounded(8) == 0)
            url += QStringLiteral("#comments");
        // A third were refreshed: most ended where they pointed, some were sent elsewhere.
        const quint32 refreshed = random.bounded(6);
        const QString stored = refreshed == 0 ? url
                               : refreshed == 1
                                   ? QStringLiteral("https://moved%1.example/").arg(site)
                                   : QString();
        candidates.push_back({url, stored, random.bounded(10) == 0, random.bounded(2) == 0,
                              double(random.bounded(30000))});
    }
    return candidates;
}

} // namespace

int main()
{
    const std::vector<exchange::DuplicateCandidate> candidates = makeCandidates();
    QStringList raw;
    for (const auto &c : candidates)
        raw << c.url;
    double baseline = 1e300;
    double ours = 1e300;
    size_t groups = 0;
    for (int r = 0; r < repeats; ++r) {
        baseline = std::min(baseline, ms([&] {
                                QStringList sorted = raw;
                                std::sort(sorted.begin(), sorted.end());
                            }));
        ours = std::min(
            ours, ms([&] { groups = exchange::DuplicateFinder(candidates).groups().size(); }));
    }
    std::printf("RESULT duplicates ratio=%.3f group_ms=%.1f sort_ms=%.1f bookmarks=%d groups=%zu "
                "seed=%u\n",
                ours / baseline, ours, baseline, bookmarkCount, groups, seed);
}
