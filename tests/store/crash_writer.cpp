// Saves new states into every bookmark below a folder, round after round, until killed.
#include "store/bookmarks.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2)
        return 2;
    TBookmarks list(app.arguments().at(1));
    for (int round = 1;; ++round) {
        for (int i = 0; i < list.Count(); ++i) {
            TBookmarkRec &rec = *list.Item(i);
            rec.Title = QStringLiteral("round %1 \U0001F600").arg(round);
            rec.Rating = round;
            rec.RemindTime = 40000 + round;
            list.Save(i);
            if (round == 1 && i == 0) {
                std::puts("saving"); // the test kills this writer only once it works
                std::fflush(stdout);
            }
        }
    }
}
