#include "listcommand.h"

#include "collection.h"
#include "refresh/fetchaddress.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {
QString DueText(const TBookmarks &list, int i)
{
    if (list.IsKept(i))
        return QStringLiteral("kept");
    return QStringLiteral("due ") + FormatDateTime(list.Item(i)->RemindTime, true);
}

QString RefreshText(const TBookmarkRec &rec)
{
    if (const QByteArray scheme = unfetchedScheme(ToNarrow(rec.URL)); !scheme.isEmpty())
        return notCheckedText(scheme);
    if (rec.Refreshed == 0)
        return QStringLiteral("not refreshed");
    const QString when = FormatDateTime(rec.Refreshed, true);
    if (rec.RefreshState < 0)
        return QStringLiteral("failed ") + when + QStringLiteral(": ") + rec.RefreshMsg;
    return QStringLiteral("ok ") + when;
}

// Local time as stored, without a zone: "2004-01-15T12:00:00"; empty when none is set.
QString IsoDateTime(TDateTime value)
{
    if (value <= 0 || !IsStoredDateTime(value))
        return QString();
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    return base.addMSecs(DateTimeToMs(value)).toString(Qt::ISODate);
}

// The fields of the table and JSON forms, by name.
const QStringList FieldNames = {
    u"file"_s,      u"url"_s,       u"title"_s,        u"description"_s,    u"reference"_s,
    u"due"_s,       u"refreshed"_s, u"refreshState"_s, u"refreshMessage"_s, u"reachedUrl"_s,
    u"phrase"_s,    u"match"_s,     u"rating"_s,       u"checks"_s,         u"lastOk"_s,
    u"failSince"_s, u"verdict"_s,   u"evidence"_s};

QStringList FieldValues(const TBookmarks &list, int i)
{
    const TBookmarkRec &rec = *list.Item(i);
    return {RelativeName(list, i),
            rec.URL,
            rec.Title,
            rec.Descr,
            IsoDateTime(rec.ReferenceTime),
            list.IsKept(i) ? u"kept"_s : IsoDateTime(rec.RemindTime),
            IsoDateTime(rec.Refreshed),
            QString::number(rec.RefreshState),
            rec.RefreshMsg,
            rec.StoredURL,
            rec.SubjectPhrase,
            rec.Match,
            QString::number(rec.Rating),
            rec.History.Checks,
            IsoDateTime(rec.History.LastOK),
            IsoDateTime(rec.History.FailSince),
            VerdictName(rec.Verdict),
            rec.Evidence};
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
                                     QStringLiteral("ref ") +
                                         FormatDateTime(rec.ReferenceTime, false),
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
    for (const int i : shown)
        out << OneLineFields(FieldValues(list, i)) << '\n';
}

void PrintJson(const TBookmarks &list, const QList<int> &shown, QTextStream &out)
{
    QJsonArray bookmarks;
    for (const int i : shown) {
        const QStringList values = FieldValues(list, i);
        QJsonObject bookmark;
        for (qsizetype f = 0; f < FieldNames.size(); ++f)
            bookmark.insert(FieldNames[f], values[f]);
        bookmarks.append(bookmark);
    }
    out << QJsonDocument(bookmarks).toJson(QJsonDocument::Indented);
}
} // namespace

std::optional<TListOptions> ParseListArguments(const QStringList &arguments)
{
    TListOptions options;
    bool verdictGiven = false;
    bool formatGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--verdict" && !verdictGiven && i + 1 < arguments.size()) {
            verdictGiven = true;
            for (const QString &name : arguments[++i].split(u',')) {
                const LinkVerdict verdict = VerdictFromName(name.trimmed());
                if (verdict == LinkVerdict::None)
                    return std::nullopt;
                options.Verdicts << verdict;
            }
        } else if (argument == u"--format" && !formatGiven && i + 1 < arguments.size()) {
            formatGiven = true;
            const QString format = arguments[++i];
            if (format != u"tsv" && format != u"json")
                return std::nullopt;
            options.Form =
                format == u"tsv" ? TListOptions::Format::Tsv : TListOptions::Format::Json;
        } else if (!argument.startsWith(u"--") && options.Folder.isEmpty()) {
            options.Folder = argument;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

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
