#include "traymenu.h"

#include "config/settings.h"
#include "lang/languages.h"
#include "lang/phrases.h"
#include "store/textutil.h"

#include <QActionGroup>
#include <QMenu>
#include <QWidget>

TrayMenu::TrayMenu(QWidget *owner, Handlers handlers)
    : QObject(owner), m_handlers(std::move(handlers)), m_menu(new QMenu(owner))
{
    m_menu->setObjectName(QStringLiteral("PopupTray"));
    addSortItems();
    m_refresh = addItem(m_menu, "PopupTrayRefresh", QStringLiteral("Refresh all site information"),
                        m_handlers.refresh);
    m_menu->setToolTipsVisible(true);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N8"));
    m_pocketMode = addItem(m_menu, "PopupTrayPocketMode", QStringLiteral("Full or pocket mode"),
                           m_handlers.pocketMode);
    m_language = new QMenu(QStringLiteral("Language"), m_menu);
    m_language->setObjectName(QStringLiteral("PopupTrayLanguageMenu"));
    m_language->menuAction()->setObjectName(QStringLiteral("PopupTrayLanguage"));
    m_menu->addMenu(m_language);
    connect(m_language, &QMenu::aboutToShow, this, &TrayMenu::markCurrentLanguage);
    addItem(m_menu, "PopupTraySetup", QStringLiteral("Settings..."), m_handlers.setup);
    addItem(m_menu, "PopupTrayImport", QStringLiteral("Import bookmarks..."), m_handlers.import);
    addItem(m_menu, "PopupTrayExport", QStringLiteral("Export bookmarks..."),
            m_handlers.exportFile);
    addItem(m_menu, "PopupTrayBroken", QStringLiteral("Broken links..."), m_handlers.brokenLinks);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N6"));
    addItem(m_menu, "PopupTrayHelp", QStringLiteral("Help..."), m_handlers.help);
    addItem(m_menu, "PopupTrayHome", QStringLiteral("Homepage"), m_handlers.homepage);
    addItem(m_menu, "PopupTrayAbout", QStringLiteral("About Favrake..."), m_handlers.about);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N2"));
    m_showHide =
        addItem(m_menu, "PopupTrayShowHide", QStringLiteral("Show or hide"), m_handlers.showHide);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N1"));
    addItem(m_menu, "PopupTrayExit", QStringLiteral("&Quit"), m_handlers.quit);
    m_language->menuAction()->setVisible(false);
    connect(m_menu, &QMenu::aboutToShow, this, &TrayMenu::prepareTrayMenu);
}

QAction *TrayMenu::addItem(QMenu *menu, const char *name, const QString &caption,
                           const std::function<void()> &handler)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this, [handler] { handler(); });
    return item;
}

void TrayMenu::addSortItems()
{
    m_sort = new QMenu(QStringLiteral("Sort bookmarks"), m_menu);
    m_sort->setObjectName(QStringLiteral("PopupTraySortMenu"));
    m_sort->menuAction()->setObjectName(QStringLiteral("PopupTraySort"));
    m_menu->addMenu(m_sort);
    auto *group = new QActionGroup(m_sort);
    const struct
    {
        const char *name;
        const char *caption;
        int mode;
    } items[] = {{"PopupSortOldest", "Oldest first", 1},
                 {"PopupSortNewest", "Newest first", 2},
                 {"PopupSortRandom", "Random selection", -1},
                 {"PopupSortNoSort", "Unsorted", 0},
                 {"PopupSortBroken", "Broken links first", 3}};
    for (const auto &item : items) {
        QAction *action = addItem(m_sort, item.name, QString::fromLatin1(item.caption),
                                  [this, mode = item.mode] { m_handlers.sortMode(mode); });
        action->setCheckable(true);
        action->setData(item.mode);
        group->addAction(action);
    }
}

void TrayMenu::buildLanguages()
{
    auto *group = new QActionGroup(m_language);
    for (int i = 0; i < languages().languageCount(); ++i) {
        QAction *item = m_language->addAction(languages().languageNameAt(i));
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { selectLanguage(item); });
    }
    m_language->menuAction()->setVisible(languages().languageCount() > 0);
}

void TrayMenu::prepareTrayMenu()
{
    m_showHide->setText(m_handlers.mainVisible() ? phrase("WrdHide") : phrase("WrdShow"));
    m_pocketMode->setText(settings.pocketView ? phrase("CapToFull") : phrase("CapToPocket"));
    // Without network access there is nothing to refresh with; the hint says why.
    m_refresh->setEnabled(!settings.noNetAccess);
    const QString offHint = settings.noNetAccess ? phrase("HintRefreshOff") : QString();
    m_refresh->setToolTip(offHint);
    m_refresh->setStatusTip(offHint);
    for (QAction *item : m_sort->actions())
        item->setChecked(item->data().toInt() == settings.selectionMode);
}

void TrayMenu::markCurrentLanguage()
{
    for (QAction *item : m_language->actions())
        item->setChecked(stripHotkeys(item->text()) == fromNarrow(settings.language));
}

void TrayMenu::selectLanguage(const QAction *item)
{
    if (stripHotkeys(item->text()) != fromNarrow(settings.language))
        m_handlers.language(item->text());
}
