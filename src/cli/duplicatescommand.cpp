#include "duplicatescommand.h"

#include "collection.h"
#include "exchange/duplicates.h"
#include "store/bookmarks.h"

int runDuplicates(const QString &folder, QTextStream &out, QTextStream &err)
{
    const std::unique_ptr<Bookmarks> list = openCollection(folder, err);
    if (!list)
        return 1;
    const exchange::DuplicateFinder finder(*list);
    int spare = 0;
    for (const exchange::DuplicateGroup &group : finder.groups()) {
        out << exchange::tierName(group.tier) << ": " << group.members.size() << " copies, keep "
            << oneLine(relativeName(*list, group.keep)) << '\n';
        for (const int i : group.members)
            out << "  " << oneLine(relativeName(*list, i)) << '\t' << oneLine(list->item(i)->url)
                << '\n';
        spare += int(group.members.size()) - 1;
    }
    out << counted(finder.groups().size(), "group", "groups") << " of copies, "
        << counted(spare, "bookmark", "bookmarks") << " that could go\n";
    return 0;
}
