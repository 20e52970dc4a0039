#include "listcommand.h"

#include "collection.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QStringList>

namespace {
QString DueText(const TBookmarks &list, int i)
{
    if (list.IsKept(i))
        return QStringLiteral("kept");
    return QStringLiteral("due ") + FormatDateTime(list.Item(i)->RemindTime, true);
}

QString RefreshText(const TBookmarkRec &rec)
{
    if (rec.Refreshed == 0)
        return QStringLiteral("not refreshed");
    const QString when = FormatDateTime(rec.Refreshed, true);
    if (rec.RefreshState < 0)
        return QStringLiteral("failed ") + when + QStringLiteral(": ") + rec.RefreshMsg;
    return QStringLiteral("ok ") + when;
}

} // namespace

void PrintBookmarkList(const TBookmarks &list, QTextStream &out)
{
    int failed = 0;
    int dueNow = 0;
    for (int i = 0; i < list.Count(); ++i) {
        const TBookmarkRec &rec = *list.Item(i);
        failed += rec.RefreshState < 0 ? 1 : 0;
        dueNow += list.IsRemindDue(i) ? 1 : 0;
        const QStringList columns = {RelativeName(list, i),
                                     rec.URL,
                                     QStringLiteral("ref ") +
                                         FormatDateTime(rec.ReferenceTime, false),
                                     DueText(list, i),
                                     RefreshText(rec),
                                     rec.Title};
        out << OneLineFields(columns) << '\n';
    }
    out << list.Count() << " bookmarks in " << list.FolderCount() << " folders: " << dueNow
        << " due now, " << list.KeptCount() << " kept, " << failed << " failed\n";
}
