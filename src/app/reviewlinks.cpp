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
QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString encoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

bool onSubject(const Bookmarks &list, int i, const QString &phrase)
{
    const BookmarkRec *rec = list.item(i);
    return rec->subjectPhrase.contains(phrase, Qt::CaseInsensitive) ||
           rec->title.contains(phrase, Qt::CaseInsensitive);
}

QString refreshNote(const BookmarkRec &rec, const Languages &language)
{
    if (rec.refreshed <= 1.0)
        return phrase(language, "SubjPage-NotYet");
    const QString when = dateText(language, rec.refreshed, true);
    return fillPhrase(
        phrase(language, refreshFailed(rec) ? "SubjPage-Failed" : "SubjPage-Refreshed"), {when});
}

QString bookmarkItem(const Bookmarks &list, int i, const Languages &language)
{
    const BookmarkRec &rec = *list.item(i);
    const QString address = rec.storedUrl.isEmpty() ? rec.url : rec.storedUrl;
    const QString name = escaped(list.displayName(i));
    const QString link = platform::isWebAddress(address)
                             ? QStringLiteral("<a href=\"%1\">%2</a>")
                                   .arg(escaped(QUrl(address).toString(QUrl::FullyEncoded)), name)
                             : name;
    return QStringLiteral("<li>%1<br><small>%2 – %3</small></li>\n")
        .arg(link, escaped(address), escaped(refreshNote(rec, language)));
}

QString pageText(const Bookmarks &list, int index, const Languages &language)
{
    const QString subject = list.item(index)->subjectPhrase;
    const auto text = [&language](QByteArrayView key) { return phrase(language, key); };
    const QString title = fillPhrase(text("SubjPage-Title"), {list.matchText(index)});
    QString items;
    for (int i = 0; i < list.count(); ++i)
        if (onSubject(list, i, subject))
            items += bookmarkItem(list, i, language);
    return QStringLiteral(
               "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>"
               "</head>\n<body style=\"background:#FFFBF0;font-family:sans-serif\">\n"
               "<h1 style=\"color:#000080\">%1</h1>\n<h2>%2</h2>\n<ul>\n%3</ul>\n"
               "<h2>%4</h2>\n<ul>\n"
               "<li><a href=\"https://en.wikipedia.org/w/index.php?search=%5\">%6</a></li>\n"
               "<li><a href=\"https://duckduckgo.com/?q=%5\">%7</a></li>\n</ul>\n"
               "</body></html>\n")
        .arg(escaped(title), escaped(text("SubjPage-Yours")), items,
             escaped(text("SubjPage-Search")), encoded(subject),
             escaped(text("SubjPage-Encyclopedia")), escaped(text("SubjPage-WebSearch")));
}
} // namespace

QString linkCollectionAddress(const QString &base, const QByteArray &query, const QString &origin)
{
    const QString folder = base.endsWith(u'/') ? base : base + u'/';
    return folder + QStringLiteral("route.php?q=") +
           QString::fromLatin1(QUrl::toPercentEncoding(query)) + QStringLiteral("&btn=") +
           QString::fromLatin1(QUrl::toPercentEncoding(origin));
}

QString writeSubjectPage(const Bookmarks &list, int index, const Languages &language)
{
    if (!list.isValidIndex(index))
        return QString();
    const QString cache = platform::xdgFolder(platform::XdgFolder::Cache);
    if (cache.isEmpty())
        return QString();
    const QString folder = cache + QStringLiteral("favrake");
    const QString page = folder + QStringLiteral("/subject.html");
    if (!platform::makeFolderPath(folder) ||
        !platform::writeWholeFile(page, pageText(list, index, language).toUtf8()).ok())
        return QString();
    return page;
}
