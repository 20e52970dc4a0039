// Saves every bookmark below a folder round after round, as a program that refreshes or
// reviews the collection would: read the list, count the Rating up, save. The Title names
// the count, so a file with one key from another save is seen. Runs the given rounds (0:
// until killed), then prints how many of its saves went through, per file.
#include "store/bookmarks.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <map>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments(); // folder, rounds, "sync" or "batched"
    if (args.size() != 4)
        return 2;
    const bool batched = args.at(3) == u"batched";
    const BookmarksEnv env{.writeOps = batched ? &platform::batchedFileWriteOps()
                                               : &platform::systemFileWriteOps()};
    const int rounds = args.at(2).toInt();
    std::map<QString, int> saved;
    for (int round = 0; rounds == 0 || round < rounds; ++round) {
        Bookmarks list(args.at(1), env);
        for (int i = 0; i < list.count(); ++i) {
            BookmarkRec &rec = *list.item(i);
            rec.rating += 1;
            rec.title = QStringLiteral("%1 saves \U0001F600").arg(rec.rating);
            saved[rec.fileName] += list.save(i) ? 1 : 0;
            if (round == 0 && i == 0) {
                std::puts("saving"); // a writer is killed only once it works
                std::fflush(stdout);
            }
        }
    }
    if (batched && !platform::syncFileSystem(args.at(1)))
        return 1;
    QTextStream out(stdout);
    for (const auto &[file, count] : saved)
        out << file << '\t' << count << '\n';
    return 0;
}
