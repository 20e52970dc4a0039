#pragma once

#include "brokenlinks.h"

#include <QWidget>
#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class QTreeWidget;
class Review;

// The window of the links that wait for a decision, and of the bookmarks kept more than once.
// It acts through the review's actions, so every check of the single actions holds.
class BrokenLinksWindow final : public QWidget
{
  public:
    explicit BrokenLinksWindow(Review &review);

    void showRaised();
    // Reads the list again, keeping the selection: a result arrived, the folder was read.
    void reload();
    void translate(); // the captions in the language in use

  private:
    QWidget *createLinksTab();
    void connectActions();
    QWidget *createCopiesTab();
    void fillFilter();
    void fillCopies();
    void updateButtons();
    std::vector<int> selectedBookmarks() const;
    void actOnSelected(const std::function<void(const std::vector<int> &)> &action);
    void deleteOtherCopies();

    Review &m_review;
    BrokenLinksModel *m_model = nullptr;
    QTabWidget *m_tabs = nullptr;
    QComboBox *m_filter = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_empty = nullptr;
    QPushButton *m_delete = nullptr, *m_useNew = nullptr, *m_keep = nullptr, *m_open = nullptr,
                *m_check = nullptr;
    QTreeWidget *m_copies = nullptr;
    QLabel *m_noCopies = nullptr;
    QPushButton *m_deleteCopies = nullptr;
    std::vector<CopyGroup> m_groups; // as the copies tab shows them
};
