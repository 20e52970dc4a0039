#include "collection.h"
#include "listcommand.h"
#include "refreshcommand.h"
#include "store/bookmarks.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {
const char Usage[] =
    "usage: favrake-cli list [FOLDER]\n"
    "       favrake-cli refresh [FOLDER] [--all]\n"
    "  list      show every bookmark below FOLDER (default: the Favorites folder)\n"
    "  refresh   download the page of every bookmark due for it and store title and\n"
    "            outcome in its file; --all: every bookmark not kept for good\n";

int List(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const std::unique_ptr<TBookmarks> list = OpenCollection(args.value(2), err);
    if (!list)
        return 1;
    PrintBookmarkList(*list, out);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.size() >= 2 && args.at(1) == u"list" && args.size() <= 3)
        return List(args, out, err);
    if (args.size() >= 2 && args.at(1) == u"refresh")
        if (const auto options = ParseRefreshArguments(args.mid(2)))
            return RunRefresh(*options, out, err);
    err << Usage;
    return 2;
}
