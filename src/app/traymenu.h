#pragma once

#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QWidget;

// The program's one command menu: the tray icon's menu and the main window's right-click
// menu. It shows the current sort mode, display mode and language, and hands every choice
// to the handler given for it.
class TrayMenu final : public QObject
{
    Q_OBJECT
  public:
    struct Handlers
    {
        std::function<bool()> mainVisible;
        std::function<void(int mode)> sortMode;
        std::function<void()> refresh, pocketMode, setup, import, exportFile, help, homepage, about,
            showHide, quit, brokenLinks;
        std::function<void(const QString &caption)> language;
    };

    // The menu belongs to owner, so that it is translated with that window.
    TrayMenu(QWidget *owner, Handlers handlers);

    QMenu *menu() const { return m_menu; }
    // One item per language of the language list; the submenu is hidden without languages.
    void buildLanguages();

  private:
    QAction *addItem(QMenu *menu, const char *name, const QString &caption,
                     const std::function<void()> &handler);
    void addSortItems();
    void prepareTrayMenu();
    void markCurrentLanguage();
    void selectLanguage(const QAction *item);

    Handlers m_handlers;
    QMenu *m_menu = nullptr;
    QMenu *m_sort = nullptr;
    QMenu *m_language = nullptr;
    QAction *m_pocketMode = nullptr;
    QAction *m_showHide = nullptr;
    QAction *m_refresh = nullptr;
};
