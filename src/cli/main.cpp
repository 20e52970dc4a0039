#include "config/settings.h"
#include "listcommand.h"
#include "platform/folders.h"
#include "refreshcommand.h"
#include "store/bookmarks.h"

#include <QCoreApplication>
#include <QFileInfo>
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
    const QString folder = args.size() > 2 ? args.at(2) : platform::favoritesFolder();
    if (!QFileInfo(folder).isDir()) {
        err << "favrake-cli: not a readable folder: " << folder << '\n';
        return 1;
    }
    LoadSettings({}, platform::appDataFolder());
    const TBookmarks list(QFileInfo(folder).absoluteFilePath(), {.Intervals = SettingsIntervals});
    PrintBookmarkList(list, out);
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
