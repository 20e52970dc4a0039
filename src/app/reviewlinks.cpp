#include "reviewlinks.h"

#include "lang/phrases.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/webaddress.h"
#include "refresh/fetchaddress.h"
#include "store/bookmarks.h"
#include "store/datetime.h"

#include <QUrl>

namespace {
QString Escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString Encoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

bool OnSubject(const TBookmarks &list, int i, const QString &phrase)
{
    const TBookmarkRec *rec = list.Item(i);
    return rec->SubjectPhrase.contains(phrase, Qt::CaseInsensitive) ||
           rec->Title.contains(phrase, Qt::CaseInsensitive);
}

QString RefreshNote(const TBookmarkRec &rec)
{
    if (rec.Refreshed <= 1.0)
        return Phrase("SubjPage-NotYet");
    const QString when = DateText(rec.Refreshed, true);
    return FillPhrase(Phrase(refreshFailed(rec) ? "SubjPage-Failed" : "SubjPage-Refreshed"),
                      {when});
}

QString BookmarkItem(const TBookmarks &list, int i)
{
    const TBookmarkRec &rec = *list.Item(i);
    const QString address = rec.StoredURL.isEmpty() ? rec.URL : rec.StoredURL;
    const QString name = Escaped(list.DisplayName(i));
    const QString link = platform::IsWebAddress(address)
                             ? QStringLiteral("<a href=\"%1\">%2</a>")
                                   .arg(Escaped(QUrl(address).toString(QUrl::FullyEncoded)), name)
                             : name;
    return QStringLiteral("<li>%1<br><small>%2 – %3</small></li>\n")
        .arg(link, Escaped(address), Escaped(RefreshNote(rec)));
}

QString PageText(const TBookmarks &list, int index)
{
    const QString phrase = list.Item(index)->SubjectPhrase;
    const QString title = FillPhrase(Phrase("SubjPage-Title"), {list.MatchText(index)});
    QString items;
    for (int i = 0; i < list.Count(); ++i)
        if (OnSubject(list, i, phrase))
            items += BookmarkItem(list, i);
    return QStringLiteral(
               "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
               "</head>\n<body style=\"background:#FFFBF0;font-family:sans-serif\">\n"
               "<h1 style=\"color:#000080\">%1</h1>\n<h2>%2</h2>\n<ul>\n%3</ul>\n"
               "<h2>%4</h2>\n<ul>\n"
               "<li><a href=\"https://en.wikipedia.org/w/index.php?search=%5\">%6</a></li>\n"
               "<li><a href=\"https://duckduckgo.com/?q=%5\">%7</a></li>\n</ul>\n"
               "</body></html>\n")
        .arg(Escaped(title), Escaped(Phrase("SubjPage-Yours")), items,
             Escaped(Phrase("SubjPage-Search")), Encoded(phrase),
             Escaped(Phrase("SubjPage-Encyclopedia")), Escaped(Phrase("SubjPage-WebSearch")));
}
} // namespace

QString LinkCollectionAddress(const QString &base, const QByteArray &query, const QString &origin)
{
    const QString folder = base.endsWith(u'/') ? base : base + u'/';
    return folder + QStringLiteral("route.php?q=") +
           QString::fromLatin1(QUrl::toPercentEncoding(query)) + QStringLiteral("&btn=") +
           QString::fromLatin1(QUrl::toPercentEncoding(origin));
}

QString WriteSubjectPage(const TBookmarks &list, int index)
{
    if (!list.IsValidIndex(index))
        return QString();
    const QString cache = platform::xdgFolder(platform::XdgFolder::Cache);
    if (cache.isEmpty())
        return QString();
    const QString folder = cache + QStringLiteral("favrake");
    const QString page = folder + QStringLiteral("/subject.html");
    if (!platform::makeFolderPath(folder) ||
        !platform::writeWholeFile(page, PageText(list, index).toUtf8()).ok())
        return QString();
    return page;
}
