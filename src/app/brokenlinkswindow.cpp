#include "brokenlinkswindow.h"

#include "brokenlinks.h"
#include "entrytext.h"
#include "lang/phrases.h"
#include "review.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <set>

namespace {
QPushButton *addButton(QHBoxLayout *row, const char *name)
{
    auto *button = new QPushButton(row->parentWidget());
    button->setObjectName(QString::fromLatin1(name));
    row->addWidget(button);
    return button;
}
constexpr int fileRole = Qt::UserRole + 1;
} // namespace

BrokenLinksWindow::BrokenLinksWindow(Review &review)
    : QWidget(nullptr, Qt::Window), m_review(review),
      m_model(new BrokenLinksModel(review.bookmarks(), this))
{
    setObjectName(QStringLiteral("BrokenLinksWindow"));
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(createLinksTab(), QString());
    m_tabs->addTab(createCopiesTab(), QString());
    (new QVBoxLayout(this))->addWidget(m_tabs);
    resize(1060, 460);
    translate();
    fillCopies();
    updateButtons();
}

QWidget *BrokenLinksWindow::createLinksTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_filter = new QComboBox(page);
    m_filter->setObjectName(QStringLiteral("BrokenFilter"));
    layout->addWidget(m_filter);
    m_table = new QTableView(page);
    m_table->setObjectName(QStringLiteral("BrokenTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab goes on to the buttons
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);
    m_empty = new QLabel(page);
    m_empty->setObjectName(QStringLiteral("BrokenEmpty"));
    m_empty->setWordWrap(true);
    m_empty->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_empty);
    auto *buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    m_delete = addButton(buttons, "BrokenDelete");
    m_useNew = addButton(buttons, "BrokenUseNew");
    m_keep = addButton(buttons, "BrokenKeep");
    m_open = addButton(buttons, "BrokenOpen");
    m_check = addButton(buttons, "BrokenCheck");
    buttons->addStretch();
    connectActions();
    connect(m_filter, &QComboBox::activated, this, [this] {
        m_model->setFilter(LinkVerdict(m_filter->currentData().toInt()));
        updateButtons();
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &BrokenLinksWindow::updateButtons);
    return page;
}

void BrokenLinksWindow::connectActions()
{
    BookmarkActions &actions = m_review.actions();
    connect(m_delete, &QPushButton::clicked, this, [this, &actions] {
        actOnSelected([&](const auto &all) { actions.deleteSeveral(all); });
    });
    connect(m_keep, &QPushButton::clicked, this, [this, &actions] {
        actOnSelected([&](const auto &all) { actions.keepSeveral(all); });
    });
    connect(m_useNew, &QPushButton::clicked, this, [this, &actions] {
        actOnSelected([&](const auto &all) {
            for (const int index : all)
                actions.useNewAddressAction(index);
        });
    });
    connect(m_open, &QPushButton::clicked, this, [this, &actions] {
        actOnSelected([&](const auto &all) {
            for (const int index : all)
                actions.openAction(index);
        });
    });
    connect(m_check, &QPushButton::clicked, this, [this] {
        actOnSelected([this](const auto &all) {
            for (const int index : all)
                m_review.refresh().checkAgain(index);
        });
    });
    auto *deleteKey = new QShortcut(QKeySequence::Delete, m_table);
    connect(deleteKey, &QShortcut::activated, m_delete, &QPushButton::click);
}

QWidget *BrokenLinksWindow::createCopiesTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_copies = new QTreeWidget(page);
    m_copies->setObjectName(QStringLiteral("CopiesTree"));
    m_copies->setColumnCount(4);
    m_copies->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_copies);
    m_noCopies = new QLabel(page);
    m_noCopies->setObjectName(QStringLiteral("CopiesEmpty"));
    m_noCopies->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_noCopies);
    auto *buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    m_deleteCopies = addButton(buttons, "CopiesDelete");
    buttons->addStretch();
    connect(m_deleteCopies, &QPushButton::clicked, this, &BrokenLinksWindow::deleteOtherCopies);
    connect(m_copies, &QTreeWidget::itemSelectionChanged, this, &BrokenLinksWindow::updateButtons);
    return page;
}

void BrokenLinksWindow::translate()
{
    setWindowTitle(phrase("BrokenCaption"));
    m_tabs->setTabText(0, phrase("BrokenCaption"));
    m_tabs->setTabText(1, phrase("CopiesCaption"));
    m_delete->setText(phrase("BrokenDelete"));
    m_useNew->setText(phrase("BrokenUseNew"));
    m_keep->setText(phrase("BrokenKeep"));
    m_open->setText(phrase("BrokenOpen"));
    m_check->setText(phrase("BrokenCheck"));
    m_deleteCopies->setText(phrase("CopiesDelete"));
    m_noCopies->setText(phrase("CopiesNone"));
    m_copies->setHeaderLabels({phrase("BrokenColName"), phrase("BrokenColFolder"),
                               phrase("BrokenColAddress"), phrase("CopiesColKeep")});
    fillFilter();
}

void BrokenLinksWindow::fillFilter()
{
    m_filter->clear();
    m_filter->addItem(phrase("BrokenAll"), int(LinkVerdict::None));
    for (const LinkVerdict verdict : BrokenLinksModel::listedVerdicts)
        m_filter->addItem(BrokenLinksModel::verdictWord(verdict), int(verdict));
    m_filter->setCurrentIndex(m_filter->findData(int(m_model->filter())));
}

void BrokenLinksWindow::showRaised()
{
    translate();
    reload();
    show();
    raise();
    activateWindow();
    m_table->setFocus();
}

void BrokenLinksWindow::reload()
{
    const Bookmarks &list = m_review.bookmarks();
    std::set<QString> selected;
    for (const int index : selectedBookmarks())
        selected.insert(list.item(index)->fileName);
    m_model->reload();
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (selected.contains(list.item(m_model->bookmarkAt(row))->fileName))
            m_table->selectionModel()->select(
                m_model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_table->resizeColumnsToContents();
    for (int column = 0; column < BrokenLinksModel::columns; ++column)
        m_table->setColumnWidth(column, std::min(m_table->columnWidth(column), 260));
    fillCopies();
    updateButtons();
}

std::vector<int> BrokenLinksWindow::selectedBookmarks() const
{
    std::vector<int> indexes;
    for (const QModelIndex &row : m_table->selectionModel()->selectedRows())
        if (const int index = m_model->bookmarkAt(row.row()); index >= 0)
            indexes.push_back(index);
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

void BrokenLinksWindow::actOnSelected(const std::function<void(const std::vector<int> &)> &action)
{
    if (const std::vector<int> indexes = selectedBookmarks(); !indexes.empty())
        action(indexes);
    reload();
    m_table->setFocus(); // where the next choice is made
}

void BrokenLinksWindow::updateButtons()
{
    const std::vector<int> selected = selectedBookmarks();
    const bool any = !selected.empty();
    const bool moved = std::any_of(selected.begin(), selected.end(), [this](int index) {
        return m_review.bookmarks().item(index)->verdict == LinkVerdict::Moved;
    });
    for (QPushButton *button : {m_delete, m_keep, m_open})
        button->setEnabled(any);
    // Without network access nothing would check: the button says so instead.
    const bool checkOff = m_review.options().noNetAccess;
    m_check->setEnabled(any && !checkOff);
    m_check->setToolTip(checkOff ? phrase("HintCheckOff") : QString());
    m_useNew->setEnabled(moved);
    const QString empty = m_model->emptyText();
    m_empty->setText(empty);
    m_empty->setVisible(!empty.isEmpty());
    m_table->setVisible(empty.isEmpty());
    m_deleteCopies->setEnabled(!m_copies->selectedItems().isEmpty());
    m_noCopies->setVisible(m_copies->topLevelItemCount() == 0);
    m_copies->setVisible(m_copies->topLevelItemCount() > 0);
}

// The copy to keep heads its group, marked, with the others below it.
void BrokenLinksWindow::fillCopies()
{
    const Bookmarks &list = m_review.bookmarks();
    // The selection stays on the same files, where they still are.
    std::set<QString> selected;
    for (const QTreeWidgetItem *line : m_copies->selectedItems())
        selected.insert(line->data(0, fileRole).toString());
    m_groups = copyGroups(list);
    m_copies->clear();
    const auto item = [&](int index, int group, bool keep) {
        auto *line = new QTreeWidgetItem(
            {displayText(list.displayName(index)), displayText(list.folderName(index)),
             displayText(list.item(index)->url), keep ? phrase("CopiesKeep") : QString()});
        line->setData(0, Qt::UserRole, group);
        line->setData(0, fileRole, list.item(index)->fileName);
        return line;
    };
    for (int group = 0; group < int(m_groups.size()); ++group) {
        QTreeWidgetItem *top = item(m_groups[size_t(group)].keep, group, true);
        for (const int other : m_groups[size_t(group)].others)
            top->addChild(item(other, group, false));
        m_copies->addTopLevelItem(top);
    }
    for (QTreeWidgetItemIterator line(m_copies); *line; ++line)
        (*line)->setSelected(selected.contains((*line)->data(0, fileRole).toString()));
    m_copies->expandAll();
    for (int column = 0; column < 3; ++column)
        m_copies->resizeColumnToContents(column);
}

void BrokenLinksWindow::deleteOtherCopies()
{
    std::set<int> groups;
    for (const QTreeWidgetItem *line : m_copies->selectedItems())
        groups.insert(line->data(0, Qt::UserRole).toInt());
    std::vector<int> others;
    for (const int group : groups)
        others.insert(others.end(), m_groups[size_t(group)].others.begin(),
                      m_groups[size_t(group)].others.end());
    if (!others.empty())
        m_review.actions().deleteSeveral(others);
    reload();
}
