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
QString dateText(TDateTime value)
{
    return value > 0 ? isoDateTimeText(value) : QString();
}

QString DueText(const TBookmarks &list, int i)
{
    if (list.IsKept(i))
        return QStringLiteral("kept");
    return QStringLiteral("due ") + dateText(list.Item(i)->RemindTime);
}

QString RefreshText(const TBookmarkRec &rec)
{
    if (const QByteArray scheme = unfetchedScheme(ToNarrow(rec.URL)); !scheme.isEmpty())
        return notCheckedText(scheme);
    if (rec.Refreshed == 0)
        return QStringLiteral("not refreshed");
    const QString when = dateText(rec.Refreshed);
    if (rec.RefreshState < 0)
        return QStringLiteral("failed ") + when + QStringLiteral(": ") + rec.RefreshMsg;
    return QStringLiteral("ok ") + when;
}

// Null for what is not set.
QJsonValue textValue(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue dateValue(TDateTime value)
{
    return textValue(dateText(value));
}

// When each kept check was made, newest first; null where a check's time is not known.
QJsonArray checkTimes(const LinkHistory &history)
{
    QJsonArray times;
    for (const TDateTime time : history.CheckTimes)
        times.append(dateValue(time));
    return times;
}

// The fields of the table and JSON forms, by name.
const QStringList FieldNames = {
    u"file"_s,       u"url"_s,    u"title"_s,     u"description"_s,  u"reference"_s,
    u"due"_s,        u"kept"_s,   u"refreshed"_s, u"refreshState"_s, u"refreshMessage"_s,
    u"reachedUrl"_s, u"phrase"_s, u"match"_s,     u"rating"_s,       u"checks"_s,
    u"checkTimes"_s, u"lastOk"_s, u"failSince"_s, u"verdict"_s,      u"evidence"_s};

// Their values as JSON has them: numbers, booleans, and null for what is not set.
QList<QJsonValue> FieldValues(const TBookmarks &list, int i)
{
    const TBookmarkRec &rec = *list.Item(i);
    const bool kept = list.IsKept(i);
    return {RelativeName(list, i),
            rec.URL,
            rec.Title,
            rec.Descr,
            dateValue(rec.ReferenceTime),
            kept ? QJsonValue(QJsonValue::Null) : dateValue(rec.RemindTime),
            kept,
            dateValue(rec.Refreshed),
            rec.RefreshState,
            rec.RefreshMsg,
            textValue(rec.StoredURL),
            rec.SubjectPhrase,
            rec.Match,
            rec.Rating,
            rec.History.Checks,
            checkTimes(rec.History),
            dateValue(rec.History.LastOK),
            dateValue(rec.History.FailSince),
            textValue(VerdictName(rec.Verdict)),
            rec.Evidence};
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

void PrintText(const TBookmarks &list, const QList<int> &shown, QTextStream &out)
{
    int failed = 0;
    int dueNow = 0;
    int kept = 0;
    for (const int i : shown) {
        const TBookmarkRec &rec = *list.Item(i);
        failed += refreshFailed(rec) ? 1 : 0;
        dueNow += list.IsRemindDue(i) ? 1 : 0;
        kept += list.IsKept(i) ? 1 : 0;
        const QStringList columns = {RelativeName(list, i),
                                     rec.URL,
                                     QStringLiteral("ref ") + dateText(rec.ReferenceTime),
                                     DueText(list, i),
                                     RefreshText(rec),
                                     rec.Title};
        out << OneLineFields(columns) << '\n';
    }
    out << Counted(shown.size(), "bookmark", "bookmarks") << " in "
        << Counted(list.FolderCount(), "folder", "folders") << ": " << dueNow << " due now, "
        << kept << " kept, " << failed << " failed\n";
}

void PrintTable(const TBookmarks &list, const QList<int> &shown, QTextStream &out)
{
    out << FieldNames.join(u'\t') << '\n';
    for (const int i : shown) {
        QStringList values;
        for (const QJsonValue &value : FieldValues(list, i))
            values << tableText(value);
        out << OneLineFields(values) << '\n';
    }
}

void PrintJson(const TBookmarks &list, const QList<int> &shown, QTextStream &out)
{
    QJsonArray bookmarks;
    for (const int i : shown) {
        const QList<QJsonValue> values = FieldValues(list, i);
        QJsonObject bookmark;
        for (qsizetype f = 0; f < FieldNames.size(); ++f)
            bookmark.insert(FieldNames[f], values[f]);
        bookmarks.append(bookmark);
    }
    out << QJsonDocument(bookmarks).toJson(QJsonDocument::Indented);
}
} // namespace

void PrintBookmarkList(const TBookmarks &list, const TListOptions &options, QTextStream &out)
{
    QList<int> shown;
    for (int i = 0; i < list.Count(); ++i)
        if (options.Verdicts.isEmpty() || options.Verdicts.contains(list.Item(i)->Verdict))
            shown << i;
    switch (options.Form) {
    case TListOptions::Format::Text:
        return PrintText(list, shown, out);
    case TListOptions::Format::Tsv:
        return PrintTable(list, shown, out);
    case TListOptions::Format::Json:
        return PrintJson(list, shown, out);
    }
}
