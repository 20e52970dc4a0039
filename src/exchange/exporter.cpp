#include "exporter.h"

#include "htmltext.h"
#include "store/bookmarks.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace exchange {
namespace {
constexpr double unixEpochDay = 25569.0; // 1 January 1970 as a date-time

struct ExportEntry
{
    QStringList folders;
    QString title;
    QString url;
    qint64 added = 0;
    qint64 modified = 0;
};

// Date-times and file times are both kept without time-zone adjustment, so the day
// count turns into seconds since 1970 as it is; whole seconds as the file times count them.
qint64 unixSeconds(DateTime value)
{
    return isStoredDateTime(value) && value > unixEpochDay
               ? qint64(std::llround((value - unixEpochDay) * 86400000.0) / 1000)
               : 0;
}

int compareNames(const QString &a, const QString &b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded : a.compare(b);
}

// Folder by folder, a folder's bookmarks before its subfolders.
bool comesBefore(const ExportEntry &a, const ExportEntry &b)
{
    const qsizetype common = qMin(a.folders.size(), b.folders.size());
    for (qsizetype i = 0; i < common; ++i)
        if (const int order = compareNames(a.folders[i], b.folders[i]); order != 0)
            return order < 0;
    if (a.folders.size() != b.folders.size())
        return a.folders.size() < b.folders.size();
    return compareNames(a.title, b.title) < 0;
}

std::vector<ExportEntry> entries(const Bookmarks &list)
{
    std::vector<ExportEntry> entries;
    for (int i = 0; i < list.count(); ++i) {
        const BookmarkRec &rec = *list.item(i);
        if (rec.url.trimmed().isEmpty())
            continue;
        const std::optional<platform::FileStamp> stamp = platform::stampOf(rec.fileName);
        entries.push_back({list.folderName(i).split(u'/', Qt::SkipEmptyParts), list.displayName(i),
                           rec.url, unixSeconds(rec.referenceTime),
                           stamp ? stamp->modification.seconds : 0});
    }
    std::sort(entries.begin(), entries.end(), comesBefore);
    return entries;
}

// In HREF only what would end the value or the tag is encoded.
QString hrefText(QString url)
{
    return url.replace(u'"', QStringLiteral("%22"))
        .replace(u'<', QStringLiteral("%3C"))
        .replace(u'>', QStringLiteral("%3E"));
}

QString dateAttributes(qint64 added, qint64 modified)
{
    QString text;
    if (added > 0)
        text += QStringLiteral(" ADD_DATE=\"%1\"").arg(added);
    if (modified > 0)
        text += QStringLiteral(" LAST_MODIFIED=\"%1\"").arg(modified);
    return text;
}
} // namespace

QByteArray exportCollection(const Bookmarks &list)
{
    QString out =
        QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                       "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                       "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n");
    QStringList open; // the folders whose lists are open
    const auto indent = [&] { return QString(4 * (open.size() + 1), u' '); };
    const auto closeFolder = [&] {
        open.removeLast();
        out += indent() + QStringLiteral("</DL><p>\n");
    };
    for (const ExportEntry &entry : entries(list)) {
        qsizetype common = 0;
        while (common < open.size() && common < entry.folders.size() &&
               open[common] == entry.folders[common])
            ++common;
        while (open.size() > common)
            closeFolder();
        while (open.size() < entry.folders.size()) {
            const QString &name = entry.folders[open.size()];
            out += indent() + QStringLiteral("<DT><H3>") + escapeHtml(name) +
                   QStringLiteral("</H3>\n") + indent() + QStringLiteral("<DL><p>\n");
            open << name;
        }
        out += indent() + QStringLiteral("<DT><A HREF=\"") + hrefText(entry.url) + u'"' +
               dateAttributes(entry.added, entry.modified) + u'>' + escapeHtml(entry.title) +
               QStringLiteral("</A>\n");
    }
    while (!open.isEmpty())
        closeFolder();
    out += QStringLiteral("</DL><p>\n");
    return out.toUtf8();
}
} // namespace exchange
