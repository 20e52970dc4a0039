#pragma once

#include "glyphs.h"
#include "uclabel.h"

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QToolButton;

inline constexpr QRgb fillRgb = qRgb(0xFF, 0xFB, 0xF0);    // cream
inline constexpr QRgb outlineRgb = qRgb(0x80, 0x80, 0x00); // olive
inline constexpr QRgb focusRgb = qRgb(0x00, 0x40, 0xA0);   // the window with the keyboard

// Floating windows stay on top, take the focus only when the user asks for them (never when
// they come up on their own) and have no taskbar entry.
inline constexpr Qt::WindowFlags floatingWindowFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

// Action codes carried as the Tag of buttons and menu items.
enum EntryTag {
    TagDeleteCopy = -5, // one file of a bookmark that has copies
    TagUseNewAddress = -4,
    TagSuggest = -3,
    TagDelete = -2,
    TagKeep = -1,
    TagRemindDefault = 0
};

inline constexpr int helpContextWindow = 120;
inline constexpr int helpContextLinkMenu = 130;

// The font family at pixelSize, or a narrow sans serif where the family is missing.
QFont sansFont(const QString &family, int pixelSize);

// A label of plain text, named name, at geometry in parent.
QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
void setTextColour(QWidget *widget, QRgb colour);

// The shape of a floating window: a rounded rectangle filling size.
QRegion windowShape(QSize size);

// The Tag of a button or menu item; 0 when it carries none.
int tagOf(const QObject *component);

// The common look and behaviour of the floating windows: a cream rounded shape with an
// olive outline (blue while it has the keyboard), always on top, faded in and out in 16
// levels, and the link menu of the entries they show. Each button is named for screen
// readers by its hint, without the key the hint names in brackets.
class BaseForm : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int clientWidth = 140;
    static constexpr int maxFadeLevel = 15;

    // owner: the window this one belongs to and is destroyed with; none for the main window.
    explicit BaseForm(QWidget *owner = nullptr);

    // Rebuilds the contents; false when the window has nothing valid to show.
    virtual bool updateView() = 0;
    // 0 is invisible, 15 fully opaque; only a fully opaque window takes input.
    virtual void setFadeLevel(int level);
    int fadeLevel() const { return m_fadeLevel; }
    bool isShowing() const { return isVisible() && !isMinimized(); }
    // The user asked for the window: it may take the keyboard focus until it hides.
    void allowFocus();

    QMenu *popupLink() const { return m_popupLink; }
    TextLabel *hotLabel() const { return m_hotLabel; }
    TextLabel *popupLabel() const { return m_popupLabel; }

    // What a right click on an entry label does: the link menu for that entry.
    void showLinkMenu(TextLabel *label, const QPoint &globalPos);

  signals:
    void helpRequested(int context);
    // Esc on an entry, or the window's hide button: the windows go away.
    void hideRequested();

  protected:
    // An entry label is clickable: hand cursor, hover highlight, click opens the entry and a
    // right click brings up the link menu.
    void attachEntryLabel(TextLabel *label);
    void setHotLabel(TextLabel *label); // highlighted as under the mouse; none: nullptr
    virtual void openEntry(TextLabel *label);
    virtual void actOnEntry(TextLabel *label, int tag);
    // Called before the link menu shows, with PopupLabel set.
    virtual void prepareLinkMenu();
    // The entry that has the keyboard; none when the window takes no entry keys. Plain keys
    // work on it: Enter opens, K keeps, Delete deletes, R brings its menu, Esc hides, and
    // Up, Down and Tab go on to another entry.
    virtual TextLabel *keyboardEntry() const { return nullptr; }
    virtual void showEntryMenu(TextLabel *entry); // the link menu below the entry
    virtual void stepKeyboard(int /*step*/) {}    // 1: the next entry, -1: the one before

    QAction *menuItem(const char *name) const;
    static QAction *addMenuItem(QMenu *menu, const QByteArray &name, const QString &caption,
                                int tag = 0);
    // "Tomorrow" ... "This time next month", named namePrefix + "A" to "D", Tags 1, 3, 7, 30.
    static void addRemindItems(QMenu *menu, const QByteArray &namePrefix);
    QMenu *addPopupMenu(const char *name);
    // A right click on button brings up menu.
    void attachButtonMenu(QAbstractButton *button, QMenu *menu);
    QMenu *addButtonMenu(QAbstractButton *button, const char *menuName);
    QAction *addHelpItem(QMenu *menu, const char *name, int context);
    QToolButton *addSpeedButton(const char *name, const QRect &geometry, Glyph glyph,
                                const QString &hint);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void buildLinkMenu();
    void linkItemChosen(QAction *item);
    void setFocusTaken(bool allowed);
    void nameButtons();
    static void nameButton(QAbstractButton *button);
    bool entryLabelEvent(TextLabel *label, QEvent *event);
    bool actOnEntryKey(TextLabel *entry, int key);

    QMenu *m_popupLink = nullptr;
    QAction *m_linkOpen = nullptr;
    QAction *m_linkHelp = nullptr;
    QPointer<TextLabel> m_hotLabel;
    QPointer<TextLabel> m_popupLabel;
    int m_fadeLevel = 0;
    bool m_focusAllowed = false;
};
