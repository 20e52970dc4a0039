#include "traymenu.h"

#include "config/settings.h"
#include "lang/languages.h"
#include "lang/phrases.h"
#include "store/textutil.h"

#include <QActionGroup>
#include <QMenu>
#include <QWidget>

TTrayMenu::TTrayMenu(QWidget *owner, THandlers handlers)
    : QObject(owner), m_handlers(std::move(handlers)), m_menu(new QMenu(owner))
{
    m_menu->setObjectName(QStringLiteral("PopupTray"));
    AddSortItems();
    AddItem(m_menu, "PopupTrayRefresh", QStringLiteral("Refresh all site information"),
            m_handlers.Refresh);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N8"));
    m_pocketMode = AddItem(m_menu, "PopupTrayPocketMode", QStringLiteral("Full or pocket mode"),
                           m_handlers.PocketMode);
    m_language = new QMenu(QStringLiteral("Language"), m_menu);
    m_language->setObjectName(QStringLiteral("PopupTrayLanguageMenu"));
    m_language->menuAction()->setObjectName(QStringLiteral("PopupTrayLanguage"));
    m_menu->addMenu(m_language);
    connect(m_language, &QMenu::aboutToShow, this, &TTrayMenu::markCurrentLanguage);
    AddItem(m_menu, "PopupTraySetup", QStringLiteral("Settings..."), m_handlers.Setup);
    AddItem(m_menu, "PopupTrayImport", QStringLiteral("Import bookmarks..."), m_handlers.Import);
    AddItem(m_menu, "PopupTrayExport", QStringLiteral("Export bookmarks..."), m_handlers.Export);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N6"));
    AddItem(m_menu, "PopupTrayHelp", QStringLiteral("Help..."), m_handlers.Help);
    AddItem(m_menu, "PopupTrayHome", QStringLiteral("Homepage"), m_handlers.Homepage);
    AddItem(m_menu, "PopupTrayAbout", QStringLiteral("About Favrake..."), m_handlers.About);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N2"));
    m_showHide =
        AddItem(m_menu, "PopupTrayShowHide", QStringLiteral("Show or hide"), m_handlers.ShowHide);
    m_menu->addSeparator()->setObjectName(QStringLiteral("N1"));
    AddItem(m_menu, "PopupTrayExit", QStringLiteral("&Quit"), m_handlers.Quit);
    m_language->menuAction()->setVisible(false);
    connect(m_menu, &QMenu::aboutToShow, this, &TTrayMenu::prepareTrayMenu);
}

QAction *TTrayMenu::AddItem(QMenu *menu, const char *name, const QString &caption,
                            const std::function<void()> &handler)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    connect(item, &QAction::triggered, this, [handler] { handler(); });
    return item;
}

void TTrayMenu::AddSortItems()
{
    m_sort = new QMenu(QStringLiteral("Sort bookmarks"), m_menu);
    m_sort->setObjectName(QStringLiteral("PopupTraySortMenu"));
    m_sort->menuAction()->setObjectName(QStringLiteral("PopupTraySort"));
    m_menu->addMenu(m_sort);
    auto *group = new QActionGroup(m_sort);
    const struct
    {
        const char *Name;
        const char *Caption;
        int Mode;
    } items[] = {{"PopupSortOldest", "Oldest first", 1},
                 {"PopupSortNewest", "Newest first", 2},
                 {"PopupSortRandom", "Random selection", -1},
                 {"PopupSortNoSort", "Unsorted", 0},
                 {"PopupSortBroken", "Broken links first", 3}};
    for (const auto &item : items) {
        QAction *action = AddItem(m_sort, item.Name, QString::fromLatin1(item.Caption),
                                  [this, mode = item.Mode] { m_handlers.SortMode(mode); });
        action->setCheckable(true);
        action->setData(item.Mode);
        group->addAction(action);
    }
}

void TTrayMenu::BuildLanguages()
{
    auto *group = new QActionGroup(m_language);
    for (int i = 0; i < Languages().LanguageCount(); ++i) {
        QAction *item = m_language->addAction(Languages().LanguageNameAt(i));
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { SelectLanguage(item); });
    }
    m_language->menuAction()->setVisible(Languages().LanguageCount() > 0);
}

void TTrayMenu::prepareTrayMenu()
{
    m_showHide->setText(m_handlers.MainVisible() ? Phrase("WrdHide") : Phrase("WrdShow"));
    m_pocketMode->setText(Settings.PocketView ? Phrase("CapToFull") : Phrase("CapToPocket"));
    for (QAction *item : m_sort->actions())
        item->setChecked(item->data().toInt() == Settings.SelectionMode);
}

void TTrayMenu::markCurrentLanguage()
{
    for (QAction *item : m_language->actions())
        item->setChecked(StripHotkeys(item->text()) == FromNarrow(Settings.Language));
}

void TTrayMenu::SelectLanguage(const QAction *item)
{
    if (StripHotkeys(item->text()) != FromNarrow(Settings.Language))
        m_handlers.Language(item->text());
}
