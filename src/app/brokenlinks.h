#pragma once

#include "store/linkhistory.h"

#include <QAbstractTableModel>
#include <array>
#include <vector>

class Bookmarks;
struct BookmarkRec;

// The links that wait for the user's decision: checked, not ok, and still in the rotation
// (a kept or deleted bookmark is decided). The most severe come first, within one severity
// the one that fails longest. Texts are in the language in use.
class BrokenLinksModel final : public QAbstractTableModel
{
  public:
    enum Column {
        NameColumn,
        FolderColumn,
        AddressColumn,
        VerdictColumn,
        SinceColumn,
        CauseColumn
    };
    static constexpr int columns = 6;
    // Every verdict the list can hold, most severe first.
    static const std::array<LinkVerdict, 8> listedVerdicts;

    explicit BrokenLinksModel(const Bookmarks &bookmarks, QObject *parent = nullptr);

    void reload(); // reads the list again: a result arrived, an action took place
    void setFilter(LinkVerdict verdict); // only links with this verdict; None lists them all
    LinkVerdict filter() const { return m_filter; }
    int bookmarkAt(int row) const; // the list index of a row, -1 when out of range
    // Why the list is empty, "" when it is not.
    QString emptyText() const;

    // 0 for the lost links, 1 for the failing, 2 for those that answer; -1 for none to list.
    static int severity(LinkVerdict verdict);
    // Since when the verdict holds: the failure's start, else the first check in a row that
    // found the same.
    static DateTime since(const BookmarkRec &rec);
    static QString verdictWord(LinkVerdict verdict);
    static QString cause(const BookmarkRec &rec);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QString text(int index, int column) const;

    const Bookmarks &m_bookmarks;
    LinkVerdict m_filter = LinkVerdict::None;
    std::vector<int> m_rows;
    int m_broken = 0;       // listed without the filter
    bool m_checked = false; // any bookmark was checked at all
};

// A group of copies of one bookmark whose files are all there: the one to keep and the others.
struct CopyGroup
{
    int keep = -1;
    std::vector<int> others;
};
// The groups "favrake-cli duplicates" finds, without the copies deleted meanwhile.
std::vector<CopyGroup> copyGroups(const Bookmarks &bookmarks);
