#include "listcommand.h"

#include "collection.h"
#include "refresh/fetchaddress.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {
// A date-time with the local offset at that moment; empty when none is set.
QString dateText(DateTime value)
{
    return value > 0 ? isoDateTimeText(value) : QString();
}

QString dueText(const Bookmarks &list, int i)
{
    if (list.isKept(i))
        return QStringLiteral("kept");
    return QStringLiteral("due ") + dateText(list.item(i)->remindTime);
}

QString refreshText(const BookmarkRec &rec)
{
    if (const QByteArray scheme = unfetchedScheme(toNarrow(rec.url)); !scheme.isEmpty())
        return notCheckedText(scheme);
    if (rec.refreshed == 0)
        return QStringLiteral("not refreshed");
    const QString when = dateText(rec.refreshed);
    if (rec.refreshState < 0)
        return QStringLiteral("failed ") + when + QStringLiteral(": ") + rec.refreshMsg;
    return QStringLiteral("ok ") + when;
}

// Null for what is not set.
QJsonValue textValue(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue dateValue(DateTime value)
{
    return textValue(dateText(value));
}

// When each kept check was made, newest first; null where a check's time is not known.
QJsonArray checkTimes(const LinkHistory &history)
{
    QJsonArray times;
    for (const DateTime time : history.checkTimes)
        times.append(dateValue(time));
    return times;
}

// The fields of the table and JSON forms, by name.
const QStringList fieldNames = {
    u"file"_s,       u"url"_s,    u"title"_s,     u"description"_s,  u"reference"_s,
    u"due"_s,        u"kept"_s,   u"refreshed"_s, u"refreshState"_s, u"refreshMessage"_s,
    u"reachedUrl"_s, u"phrase"_s, u"match"_s,     u"rating"_s,       u"checks"_s,
    u"checkTimes"_s, u"lastOk"_s, u"failSince"_s, u"verdict"_s,      u"evidence"_s};

// Their values as JSON has them: numbers, booleans, and null for what is not set.
QList<QJsonValue> fieldValues(const Bookmarks &list, int i)
{
    const BookmarkRec &rec = *list.item(i);
    const bool kept = list.isKept(i);
    return {relativeName(list, i),
            rec.url,
            rec.title,
            rec.descr,
            dateValue(rec.referenceTime),
            kept ? QJsonValue(QJsonValue::Null) : dateValue(rec.remindTime),
            kept,
            dateValue(rec.refreshed),
            rec.refreshState,
            rec.refreshMsg,
            textValue(rec.storedUrl),
            rec.subjectPhrase,
            rec.match,
            rec.rating,
            rec.history.checks,
            checkTimes(rec.history),
            dateValue(rec.history.lastOk),
            dateValue(rec.history.failSince),
            textValue(verdictName(rec.verdict)),
            rec.evidence};
}

// A value as the table shows it: null as an empty field, numbers and booleans as JSON
// writes them.
QString tableText(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? u"true"_s : u"false"_s;
    if (value.isDouble())
        return QString::number(value.toInteger());
    if (value.isArray()) {
        QStringList items;
        for (const QJsonValue &item : value.toArray())
            items << tableText(item);
        return items.join(u',');
    }
    return value.toString();
}

void printText(const Bookmarks &list, const QList<int> &shown, QTextStream &out)
{
    int failed = 0;
    int dueNow = 0;
    int kept = 0;
    for (const int i : shown) {
        const BookmarkRec &rec = *list.item(i);
        failed += refreshFailed(rec) ? 1 : 0;
        dueNow += list.isRemindDue(i) ? 1 : 0;
        kept += list.isKept(i) ? 1 : 0;
        const QStringList columns = {relativeName(list, i),
                                     rec.url,
                                     QStringLiteral("ref ") + dateText(rec.referenceTime),
                                     dueText(list, i),
                                     refreshText(rec),
                                     rec.title};
        out << oneLineFields(columns) << '\n';
    }
    out << counted(shown.size(), "bookmark", "bookmarks") << " in "
        << counted(list.folderCount(), "folder", "folders") << ": " << dueNow << " due now, "
        << kept << " kept, " << failed << " failed\n";
}

void printTable(const Bookmarks &list, const QList<int> &shown, QTextStream &out)
{
    out << fieldNames.join(u'\t') << '\n';
    for (const int i : shown) {
        QStringList values;
        for (const QJsonValue &value : fieldValues(list, i))
            values << tableText(value);
        out << oneLineFields(values) << '\n';
    }
}

void printJson(const Bookmarks &list, const QList<int> &shown, QTextStream &out)
{
    QJsonArray bookmarks;
    for (const int i : shown) {
        const QList<QJsonValue> values = fieldValues(list, i);
        QJsonObject bookmark;
        for (qsizetype f = 0; f < fieldNames.size(); ++f)
            bookmark.insert(fieldNames[f], values[f]);
        bookmarks.append(bookmark);
    }
    out << QJsonDocument(bookmarks).toJson(QJsonDocument::Indented);
}
} // namespace

void printBookmarkList(const Bookmarks &list, const ListOptions &options, QTextStream &out)
{
    QList<int> shown;
    for (int i = 0; i < list.count(); ++i)
        if (options.verdicts.isEmpty() || options.verdicts.contains(list.item(i)->verdict))
            shown << i;
    switch (options.form) {
    case ListOptions::Format::Text:
        return printText(list, shown, out);
    case ListOptions::Format::Tsv:
        return printTable(list, shown, out);
    case ListOptions::Format::Json:
        return printJson(list, shown, out);
    }
}
