#pragma once

#include "store/datetime.h"

#include <QString>
#include <vector>

class Bookmarks;

namespace exchange {
// How sure it is that two bookmarks are one, surest first.
enum class DuplicateTier { Same, ProbablySame, SameTarget };

// What the grouping needs to know of a bookmark.
struct DuplicateCandidate
{
    QString url;
    QString storedUrl;  // where the last successful refresh ended; empty when none
    bool kept = false;  // kept for good
    bool works = false; // its last refresh succeeded
    DateTime reference = 0;
};

struct DuplicateGroup
{
    // The loosest tier that binds the group: Same when every member has the same "same"
    // key, ProbablySame when every member has the same "probably same" key, else
    // SameTarget (bookmarks whose stored final addresses have one "same" key).
    DuplicateTier tier = DuplicateTier::Same;
    std::vector<int> members; // candidate indexes in their order
    int keep = -1;            // the suggested copy to keep: kept for good, then one that
                              // works, then https, then the oldest
};

// Groups the bookmarks that any tier binds together; each bookmark is in one group at
// most. The indexes are those of the candidates (or of the list).
class DuplicateFinder final
{
  public:
    explicit DuplicateFinder(const std::vector<DuplicateCandidate> &candidates);
    explicit DuplicateFinder(const Bookmarks &list);

    const std::vector<DuplicateGroup> &groups() const { return m_groups; }
    // The group of a bookmark; nullptr when it has no copy.
    const DuplicateGroup *groupOf(int index) const;
    // The other copies of a bookmark, in the list's order.
    std::vector<int> copiesOf(int index) const;

  private:
    std::vector<DuplicateGroup> m_groups;
    std::vector<int> m_groupOf; // by candidate; -1 when none
};

QString tierName(DuplicateTier tier); // "same", "probably same", "same target"
} // namespace exchange
