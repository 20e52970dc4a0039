#pragma once

#include "reviewrows.h"

#include <cstdint>

// Which bookmarks the five rows show: those due for a reminder, in the order of the selection
// mode, and only those not awaiting a refresh unless these are asked for. While the chosen
// ones await their refresh, the main window shows the download page.
class BookmarkChooser final
{
  public:
    BookmarkChooser(const ReviewCommon &common, ReviewHost &host, uint32_t randomSeed);

    bool isSelectable(int index, bool includeAwaiting) const;
    int selectEntries(bool includeAwaiting); // the number of filled rows
    // Selects with the awaiting ones included; the download page shows when any is chosen.
    void chooseAnew();
    bool anyShownAwaitsRefresh() const;
    bool awaitingRefresh() const { return m_awaitingRefresh; }
    void stopAwaiting() { m_awaitingRefresh = false; }
    bool isRowDisplayable(int row) const; // holds a bookmark not awaiting a refresh
    RefreshProgress refreshProgress() const;
    // Renders the rows; with nothing displayable every bookmark window loses its mark.
    void updateView();
    void changeSelectionMode(int mode); // chosen in the tray menu

  private:
    bool awaitsRefresh(int index) const;
    int findNext(int mode, bool includeAwaiting);
    int findRandom(bool includeAwaiting);
    // brokenOnly: only links judged gone, parked, without domain or unreachable.
    int findSorted(bool newest, bool includeAwaiting, bool brokenOnly = false) const;
    int findFirst(bool includeAwaiting) const;
    int random(int count);

    ReviewCommon m_common;
    Bookmarks &m_bookmarks;
    ReviewRows &m_rows;
    ReviewHost &m_host;
    uint32_t m_randomSeed;
    bool m_awaitingRefresh = false;
};
