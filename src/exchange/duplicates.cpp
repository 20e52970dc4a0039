#include "duplicates.h"

#include "addresskeys.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QHash>
#include <algorithm>
#include <numeric>
#include <thread>

namespace exchange {
namespace {
struct Keys
{
    QString same;
    QString probablySame;
    QString target;
    size_t sameHash = 0;
    size_t probablySameHash = 0;
    size_t targetHash = 0;
};

Keys keysOf(const DuplicateCandidate &c)
{
    AddressKeys k = addressKeys(c.url);
    Keys keys{std::move(k.same), std::move(k.probablySame), {}};
    keys.target = c.storedUrl.isEmpty() || c.storedUrl == c.url ? keys.same : sameKey(c.storedUrl);
    keys.sameHash = qHash(keys.same, 0);
    keys.probablySameHash = qHash(keys.probablySame, 0);
    keys.targetHash = keys.target == keys.same ? keys.sameHash : qHash(keys.target, 0);
    return keys;
}

// The keys of many bookmarks are made on a few threads at once: each touches only its own.
std::vector<Keys> allKeys(const std::vector<DuplicateCandidate> &candidates)
{
    constexpr size_t perThread = 4096;
    std::vector<Keys> keys(candidates.size());
    const size_t threads = std::min<size_t>(
        {std::max(1u, std::thread::hardware_concurrency()), 4, candidates.size() / perThread + 1});
    const auto work = [&](size_t part) {
        for (size_t i = part; i < candidates.size(); i += threads)
            keys[i] = keysOf(candidates[i]);
    };
    std::vector<std::thread> helpers;
    for (size_t part = 1; part < threads; ++part)
        helpers.emplace_back(work, part);
    work(0);
    for (std::thread &helper : helpers)
        helper.join();
    return keys;
}

// Joins sets of indexes; every set is named by one of its members.
class DisjointSets final
{
  public:
    explicit DisjointSets(size_t size) : m_parent(size)
    {
        std::iota(m_parent.begin(), m_parent.end(), 0);
    }
    int find(int i)
    {
        while (m_parent[size_t(i)] != i) {
            m_parent[size_t(i)] = m_parent[size_t(m_parent[size_t(i)])];
            i = m_parent[size_t(i)];
        }
        return i;
    }
    void join(int a, int b) { m_parent[size_t(find(a))] = find(b); }

  private:
    std::vector<int> m_parent;
};

// Calls visit(begin, end) for each run of sorted pairs with one first member.
template <typename Pair, typename Visit>
void forEachRun(const std::vector<Pair> &sorted, Visit visit)
{
    for (size_t run = 0; run < sorted.size();) {
        size_t end = run + 1;
        while (end < sorted.size() && sorted[end].first == sorted[run].first)
            ++end;
        visit(run, end);
        run = end;
    }
}

// Joins every candidate with the others that have the same key: sorted by the keys'
// hashes, equal keys meet in short runs.
void joinEqual(const std::vector<Keys> &keys, QString Keys::*key, size_t Keys::*hash,
               DisjointSets &sets)
{
    std::vector<std::pair<size_t, int>> hashed(keys.size());
    for (int i = 0; i < int(keys.size()); ++i)
        hashed[size_t(i)] = {keys[size_t(i)].*hash, i};
    std::sort(hashed.begin(), hashed.end());
    forEachRun(hashed, [&](size_t run, size_t end) {
        for (size_t a = run + 1; a < end; ++a)
            for (size_t b = run; b < a; ++b)
                if (keys[size_t(hashed[a].second)].*key == keys[size_t(hashed[b].second)].*key) {
                    sets.join(hashed[a].second, hashed[b].second);
                    break;
                }
    });
}

bool allEqual(const std::vector<Keys> &keys, const std::vector<int> &members, QString Keys::*key)
{
    return std::all_of(members.begin(), members.end(), [&](int i) {
        return keys[size_t(i)].*key == keys[size_t(members.front())].*key;
    });
}

// Kept for good first, then one that works, then https, then the oldest, then the first.
auto keepRank(const DuplicateCandidate &c)
{
    const bool https = trimBlanks(c.url).startsWith(u"https:", Qt::CaseInsensitive);
    return std::make_tuple(!c.kept, !c.works, !https, c.reference);
}

std::vector<DuplicateCandidate> candidates(const Bookmarks &list)
{
    std::vector<DuplicateCandidate> candidates;
    candidates.reserve(size_t(list.count()));
    for (int i = 0; i < list.count(); ++i) {
        const BookmarkRec &rec = *list.item(i);
        candidates.push_back({rec.url, rec.storedUrl, list.isKept(i),
                              rec.refreshState >= 0 && rec.refreshed > 0, rec.referenceTime});
    }
    return candidates;
}

DuplicateGroup makeGroup(const std::vector<DuplicateCandidate> &candidates,
                         const std::vector<Keys> &keys, std::vector<int> members)
{
    DuplicateGroup group;
    group.tier = allEqual(keys, members, &Keys::same)           ? DuplicateTier::Same
                 : allEqual(keys, members, &Keys::probablySame) ? DuplicateTier::ProbablySame
                                                                : DuplicateTier::SameTarget;
    auto best = keepRank(candidates[size_t(members.front())]);
    group.keep = members.front();
    for (const int i : members)
        if (const auto rank = keepRank(candidates[size_t(i)]); rank < best) {
            best = rank;
            group.keep = i;
        }
    group.members = std::move(members);
    return group;
}
} // namespace

DuplicateFinder::DuplicateFinder(const Bookmarks &list) : DuplicateFinder(candidates(list)) {}

DuplicateFinder::DuplicateFinder(const std::vector<DuplicateCandidate> &candidates)
    : m_groupOf(candidates.size(), -1)
{
    const std::vector<Keys> keys = allKeys(candidates);
    DisjointSets sets(candidates.size());
    joinEqual(keys, &Keys::same, &Keys::sameHash, sets);
    joinEqual(keys, &Keys::probablySame, &Keys::probablySameHash, sets);
    joinEqual(keys, &Keys::target, &Keys::targetHash, sets);
    // Members meet in runs of one root. Bookmarks without an address are no copies.
    std::vector<std::pair<int, int>> byRoot;
    byRoot.reserve(candidates.size());
    for (int i = 0; i < int(candidates.size()); ++i)
        if (!keys[size_t(i)].same.isEmpty())
            byRoot.push_back({sets.find(i), i});
    std::sort(byRoot.begin(), byRoot.end());
    forEachRun(byRoot, [&](size_t run, size_t end) {
        if (end - run < 2)
            return;
        std::vector<int> members;
        for (size_t k = run; k < end; ++k)
            members.push_back(byRoot[k].second);
        m_groups.push_back(makeGroup(candidates, keys, std::move(members)));
    });
    std::sort(m_groups.begin(), m_groups.end(),
              [](const DuplicateGroup &a, const DuplicateGroup &b) {
                  return a.members.front() < b.members.front();
              });
    for (int g = 0; g < int(m_groups.size()); ++g)
        for (const int i : m_groups[size_t(g)].members)
            m_groupOf[size_t(i)] = g;
}

const DuplicateGroup *DuplicateFinder::groupOf(int index) const
{
    if (index < 0 || index >= int(m_groupOf.size()) || m_groupOf[size_t(index)] < 0)
        return nullptr;
    return &m_groups[size_t(m_groupOf[size_t(index)])];
}

std::vector<int> DuplicateFinder::copiesOf(int index) const
{
    std::vector<int> copies;
    if (const DuplicateGroup *group = groupOf(index))
        std::copy_if(group->members.begin(), group->members.end(), std::back_inserter(copies),
                     [index](int i) { return i != index; });
    return copies;
}

QString tierName(DuplicateTier tier)
{
    switch (tier) {
    case DuplicateTier::Same:
        return QStringLiteral("same");
    case DuplicateTier::ProbablySame:
        return QStringLiteral("probably same");
    case DuplicateTier::SameTarget:
        break;
    }
    return QStringLiteral("same target");
}
} // namespace exchange
