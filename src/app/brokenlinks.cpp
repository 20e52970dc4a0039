#include "brokenlinks.h"

#include "entrytext.h"
#include "exchange/duplicates.h"
#include "lang/phrases.h"
#include "store/bookmarks.h"

#include <QFileInfo>
#include <algorithm>

const std::array<LinkVerdict, 8> BrokenLinksModel::listedVerdicts = {
    LinkVerdict::Gone,        LinkVerdict::NoDomain, LinkVerdict::Parked, LinkVerdict::Failing,
    LinkVerdict::Unreachable, LinkVerdict::Moved,    LinkVerdict::Login,  LinkVerdict::Blocked};

BrokenLinksModel::BrokenLinksModel(const Bookmarks &bookmarks, QObject *parent)
    : QAbstractTableModel(parent), m_bookmarks(bookmarks)
{
    reload();
}

// Gone, no domain and parked first: the site itself is lost, and only the user can decide.
// Then failing and unreachable: wrong now, perhaps not for good. Last moved, login and
// blocked: the site still answers, the bookmark only wants a look.
int BrokenLinksModel::severity(LinkVerdict verdict)
{
    switch (verdict) {
    case LinkVerdict::Gone:
    case LinkVerdict::NoDomain:
    case LinkVerdict::Parked:
        return 0;
    case LinkVerdict::Failing:
    case LinkVerdict::Unreachable:
        return 1;
    case LinkVerdict::Moved:
    case LinkVerdict::Login:
    case LinkVerdict::Blocked:
        return 2;
    default:
        return -1;
    }
}

DateTime BrokenLinksModel::since(const BookmarkRec &rec)
{
    if (rec.history.failSince > 0)
        return rec.history.failSince;
    const QString &checks = rec.history.checks;
    const QList<DateTime> &times = rec.history.checkTimes;
    DateTime first = rec.refreshed;
    for (qsizetype i = 0; i < checks.size() && i < times.size() && checks[i] == checks[0]; ++i)
        if (times[i] > 0)
            first = times[i];
    return first;
}

void BrokenLinksModel::reload()
{
    beginResetModel();
    m_rows.clear();
    m_broken = 0;
    m_checked = false;
    for (int i = 0; i < m_bookmarks.count(); ++i) {
        const LinkVerdict verdict = m_bookmarks.item(i)->verdict;
        m_checked = m_checked || verdict != LinkVerdict::None;
        if (severity(verdict) < 0 || !m_bookmarks.isActive(i))
            continue;
        ++m_broken;
        if (m_filter == LinkVerdict::None || m_filter == verdict)
            m_rows.push_back(i);
    }
    const auto order = [this](int i) {
        const BookmarkRec &rec = *m_bookmarks.item(i);
        return std::tuple(severity(rec.verdict), since(rec), i);
    };
    std::sort(m_rows.begin(), m_rows.end(), [&](int a, int b) { return order(a) < order(b); });
    endResetModel();
}

void BrokenLinksModel::setFilter(LinkVerdict verdict)
{
    m_filter = verdict;
    reload();
}

int BrokenLinksModel::bookmarkAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)] : -1;
}

QString BrokenLinksModel::emptyText() const
{
    if (!m_rows.empty())
        return QString();
    if (m_broken > 0)
        return phrase("BrokenNoneOfVerdict");
    return phrase(m_checked ? "BrokenNone" : "BrokenNoneChecked");
}

QString BrokenLinksModel::verdictWord(LinkVerdict verdict)
{
    QByteArray key = "VerdictWord"; // "no-domain" gives "VerdictWordNoDomain"
    for (const QString &part : verdictName(verdict).split(u'-'))
        key += part.left(1).toUpper().toLatin1() + part.mid(1).toLatin1();
    return phrase(key);
}

// The last check's finding in the user's words, never the HTTP client's.
QString BrokenLinksModel::cause(const BookmarkRec &rec)
{
    switch (rec.history.checks.isEmpty() ? u'?' : rec.history.checks[0].unicode()) {
    case u'B':
        return phrase("VerdictBlocked");
    case u'L':
        return phrase("VerdictLogin");
    case u'N':
        return phrase("VerdictNoDomain");
    case u'P':
        return phrase("VerdictParked");
    case u'S':
        return phrase("CauseErrorPage");
    case u'M':
        return fillPhrase(phrase("VerdictMoved"), {displayText(rec.storedUrl)});
    default:
        return rec.evidence.isEmpty() ? QString() : failureCause(rec.evidence);
    }
}

int BrokenLinksModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BrokenLinksModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

QString BrokenLinksModel::text(int index, int column) const
{
    const BookmarkRec &rec = *m_bookmarks.item(index);
    switch (column) {
    case NameColumn:
        return displayText(m_bookmarks.displayName(index));
    case FolderColumn:
        return displayText(m_bookmarks.folderName(index));
    case AddressColumn:
        return displayText(rec.url);
    case VerdictColumn:
        return verdictWord(rec.verdict);
    case SinceColumn:
        return dateText(since(rec), false);
    default:
        return cause(rec);
    }
}

QVariant BrokenLinksModel::data(const QModelIndex &index, int role) const
{
    const int bookmark = bookmarkAt(index.row());
    if (!m_bookmarks.isValidIndex(bookmark) || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return text(bookmark, index.column());
}

QVariant BrokenLinksModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char *const keys[columns] = {"BrokenColName",    "BrokenColFolder",
                                              "BrokenColAddress", "BrokenColVerdict",
                                              "BrokenColSince",   "BrokenColCause"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columns)
        return {};
    return phrase(keys[section]);
}

std::vector<CopyGroup> copyGroups(const Bookmarks &bookmarks)
{
    const auto there = [&](int i) {
        return bookmarks.isValidIndex(i) && QFileInfo::exists(bookmarks.item(i)->fileName);
    };
    std::vector<CopyGroup> groups;
    const exchange::DuplicateFinder finder(bookmarks);
    for (const exchange::DuplicateGroup &found : finder.groups()) {
        CopyGroup group{.keep = found.keep, .others = {}};
        for (const int member : found.members)
            if (member != found.keep && there(member))
                group.others.push_back(member);
        if (there(group.keep) && !group.others.empty())
            groups.push_back(std::move(group));
    }
    return groups;
}
