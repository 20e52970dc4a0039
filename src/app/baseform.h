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

inline constexpr QRgb FillRgb = qRgb(0xFF, 0xFB, 0xF0);    // cream
inline constexpr QRgb OutlineRgb = qRgb(0x80, 0x80, 0x00); // olive

// Floating windows stay on top, never take the focus and have no taskbar entry.
inline constexpr Qt::WindowFlags FloatingWindowFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

// Action codes carried as the Tag of buttons and menu items.
enum TEntryTag {
    TagUseNewAddress = -4,
    TagSuggest = -3,
    TagDelete = -2,
    TagKeep = -1,
    TagRemindDefault = 0
};

inline constexpr int HelpContextWindow = 120;
inline constexpr int HelpContextLinkMenu = 130;

// The font family at pixelSize, or a narrow sans serif where the family is missing.
QFont SansFont(const QString &family, int pixelSize);

// A label of plain text, named name, at geometry in parent.
QLabel *AddLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
void SetTextColour(QWidget *widget, QRgb colour);

// The shape of a floating window: a rounded rectangle filling size.
QRegion WindowShape(QSize size);

// The Tag of a button or menu item; 0 when it carries none.
int TagOf(const QObject *component);

// The common look and behaviour of the floating windows: a cream rounded shape with an
// olive outline, always on top, never taking the focus, faded in and out in 16 levels, and
// the link menu of the entries they show.
class TBaseForm : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int ClientWidth = 140;
    static constexpr int MaxFadeLevel = 15;

    // owner: the window this one belongs to and is destroyed with; none for the main window.
    explicit TBaseForm(QWidget *owner = nullptr);

    // Rebuilds the contents; false when the window has nothing valid to show.
    virtual bool UpdateView() = 0;
    // 0 is invisible, 15 fully opaque; only a fully opaque window takes input.
    virtual void SetFadeLevel(int level);
    int FadeLevel() const { return m_fadeLevel; }
    bool IsShowing() const { return isVisible() && !isMinimized(); }

    QMenu *PopupLink() const { return m_popupLink; }
    TUCLabel *HotLabel() const { return m_hotLabel; }
    TUCLabel *PopupLabel() const { return m_popupLabel; }

    // What a right click on an entry label does: the link menu for that entry.
    void ShowLinkMenu(TUCLabel *label, const QPoint &globalPos);

  signals:
    void helpRequested(int context);

  protected:
    // An entry label is clickable: hand cursor, hover highlight, click opens the entry and a
    // right click brings up the link menu.
    void AttachEntryLabel(TUCLabel *label);
    virtual void OpenEntry(TUCLabel *label);
    virtual void actOnEntry(TUCLabel *label, int tag);
    // Called before the link menu shows, with PopupLabel set.
    virtual void PrepareLinkMenu();

    QAction *MenuItem(const char *name) const;
    static QAction *AddMenuItem(QMenu *menu, const QByteArray &name, const QString &caption,
                                int tag = 0);
    // "Tomorrow" ... "This time next month", named namePrefix + "A" to "D", Tags 1, 3, 7, 30.
    static void AddRemindItems(QMenu *menu, const QByteArray &namePrefix);
    QMenu *AddPopupMenu(const char *name);
    // A right click on button brings up menu.
    void AttachButtonMenu(QAbstractButton *button, QMenu *menu);
    QMenu *AddButtonMenu(QAbstractButton *button, const char *menuName);
    QAction *AddHelpItem(QMenu *menu, const char *name, int context);
    QToolButton *AddSpeedButton(const char *name, const QRect &geometry, TGlyph glyph,
                                const QString &hint);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void BuildLinkMenu();
    void LinkItemChosen(QAction *item);
    void SetHotLabel(TUCLabel *label);
    bool EntryLabelEvent(TUCLabel *label, QEvent *event);

    QMenu *m_popupLink = nullptr;
    QAction *m_linkOpen = nullptr;
    QAction *m_linkHelp = nullptr;
    QPointer<TUCLabel> m_hotLabel;
    QPointer<TUCLabel> m_popupLabel;
    int m_fadeLevel = 0;
};
