#include "duplicates.h"

#include "addresskeys.h"
#include "store/bookmarks.h"

#include <QHash>
#include <algorithm>
#include <numeric>

namespace exchange {
namespace {
struct Keys
{
    QString same;
    QString probablySame;
    QString target;
};

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

// Joins every candidate with the first one that has the same key.
void JoinEqual(const std::vector<Keys> &keys, QString Keys::*key, DisjointSets &sets)
{
    QHash<QString, int> first;
    first.reserve(qsizetype(keys.size()));
    for (int i = 0; i < int(keys.size()); ++i) {
        const auto found = first.constFind(keys[size_t(i)].*key);
        if (found == first.cend())
            first.insert(keys[size_t(i)].*key, i);
        else
            sets.join(i, *found);
    }
}

bool AllEqual(const std::vector<Keys> &keys, const std::vector<int> &members, QString Keys::*key)
{
    return std::all_of(members.begin(), members.end(), [&](int i) {
        return keys[size_t(i)].*key == keys[size_t(members.front())].*key;
    });
}

// Kept for good first, then one that works, then https, then the oldest, then the first.
bool KeepBefore(const DuplicateCandidate &a, const DuplicateCandidate &b)
{
    const auto rank = [](const DuplicateCandidate &c) {
        return std::make_tuple(!c.kept, !c.works, schemeOf(c.url) != u"https", c.reference);
    };
    return rank(a) < rank(b);
}

std::vector<DuplicateCandidate> Candidates(const TBookmarks &list)
{
    std::vector<DuplicateCandidate> candidates;
    candidates.reserve(size_t(list.Count()));
    for (int i = 0; i < list.Count(); ++i) {
        const TBookmarkRec &rec = *list.Item(i);
        candidates.push_back({rec.URL, rec.StoredURL, list.IsKept(i),
                              rec.RefreshState >= 0 && rec.Refreshed > 0, rec.ReferenceTime});
    }
    return candidates;
}
} // namespace

DuplicateFinder::DuplicateFinder(const TBookmarks &list) : DuplicateFinder(Candidates(list)) {}

DuplicateFinder::DuplicateFinder(const std::vector<DuplicateCandidate> &candidates)
    : m_groupOf(candidates.size(), -1)
{
    std::vector<Keys> keys;
    keys.reserve(candidates.size());
    for (const DuplicateCandidate &c : candidates) {
        AddressKeys k = addressKeys(c.url);
        QString target = c.storedUrl.isEmpty() ? k.same : sameKey(c.storedUrl);
        keys.push_back({std::move(k.same), std::move(k.probablySame), std::move(target)});
    }
    DisjointSets sets(candidates.size());
    for (QString Keys::*key : {&Keys::same, &Keys::probablySame, &Keys::target})
        JoinEqual(keys, key, sets);
    // Bookmarks without an address are no copies of each other.
    std::vector<std::vector<int>> byRoot(candidates.size());
    for (int i = 0; i < int(candidates.size()); ++i)
        if (!candidates[size_t(i)].url.trimmed().isEmpty())
            byRoot[size_t(sets.find(i))].push_back(i);
    for (std::vector<int> &members : byRoot) {
        if (members.size() < 2)
            continue;
        DuplicateGroup group;
        group.tier = AllEqual(keys, members, &Keys::same)           ? DuplicateTier::Same
                     : AllEqual(keys, members, &Keys::probablySame) ? DuplicateTier::ProbablySame
                                                                    : DuplicateTier::SameTarget;
        group.keep = *std::min_element(members.begin(), members.end(), [&](int a, int b) {
            return KeepBefore(candidates[size_t(a)], candidates[size_t(b)]);
        });
        group.members = std::move(members);
        m_groups.push_back(std::move(group));
    }
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
