#pragma once

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QWidget;

// The program's one command menu: the tray icon's menu and the main window's right-click
// menu. It shows the current sort mode, display mode and language, and hands every choice
// to the handler given for it.
class TTrayMenu final : public QObject
{
    Q_OBJECT
  public:
    struct THandlers
    {
        std::function<bool()> MainVisible;
        std::function<void(int mode)> SortMode;
        std::function<void()> Refresh, PocketMode, Setup, Import, Export, Help, Homepage, About,
            ShowHide, Quit;
        std::function<void(const QString &caption)> Language;
    };

    // The menu belongs to owner, so that it is translated with that window.
    TTrayMenu(QWidget *owner, THandlers handlers);

    QMenu *Menu() const { return m_menu; }
    // One item per language of the language list; the submenu is hidden without languages.
    void BuildLanguages();

  private:
    QAction *AddItem(QMenu *menu, const char *name, const QString &caption,
                     const std::function<void()> &handler);
    void AddSortItems();
    void prepareTrayMenu();
    void markCurrentLanguage();
    void SelectLanguage(const QAction *item);

    THandlers m_handlers;
    QMenu *m_menu = nullptr;
    QMenu *m_sort = nullptr;
    QMenu *m_language = nullptr;
    QAction *m_pocketMode = nullptr;
    QAction *m_showHide = nullptr;
};
