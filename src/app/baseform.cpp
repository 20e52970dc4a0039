#include "baseform.h"

#include "lang/phrases.h"
#include "uclabel.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QTextDocument>
#include <QToolButton>
#include <QWindow>

namespace {
constexpr int outlineWidth = 2;
constexpr int initialHeight = 40;

// The corners are rounded by an eighth of the shorter side.
qreal cornerRadius(QSizeF size)
{
    return qMin(size.width(), size.height()) / 8.0;
}

} // namespace

QFont sansFont(const QString &family, int pixelSize)
{
    QFont font;
    // The texts are laid out for narrow faces; without the named one a narrow sans serif
    // keeps the lines within the windows' width.
    font.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

void setTextColour(QWidget *widget, QRgb colour)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::WindowText, QColor(colour));
    widget->setPalette(colours);
}

QRegion windowShape(QSize size)
{
    QPainterPath path;
    const QRectF area(QPointF(0, 0), QSizeF(size));
    path.addRoundedRect(area, cornerRadius(area.size()), cornerRadius(area.size()));
    return QRegion(path.toFillPolygon().toPolygon());
}

int tagOf(const QObject *component)
{
    if (const auto *item = qobject_cast<const QAction *>(component))
        return item->data().toInt();
    return component ? component->property("Tag").toInt() : 0;
}

BaseForm::BaseForm(QWidget *owner) : QWidget(owner, floatingWindowFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The window never becomes the active one, and Qt shows hints only in the active
    // window unless told otherwise.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setFont(sansFont(QStringLiteral("Tahoma"), 11));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(fillRgb));
    setPalette(colours);
    setWindowOpacity(0.0);
    resize(clientWidth, initialHeight);
    buildLinkMenu();
}

void BaseForm::buildLinkMenu()
{
    m_popupLink = new QMenu(this);
    m_popupLink->setObjectName(QStringLiteral("PopupLink"));
    m_linkOpen = addMenuItem(m_popupLink, "PopupLinkOpen", QStringLiteral("Open in browser"));
    m_popupLink->setDefaultAction(m_linkOpen);
    addMenuItem(m_popupLink, "PopupLinkSuggest", QStringLiteral("Show good links on this subject"),
                TagSuggest);
    m_popupLink->addSeparator()->setObjectName(QStringLiteral("N5"));
    addMenuItem(m_popupLink, "PopupLinkKeep",
                QStringLiteral("Keep for good (do not remind me again)"), TagKeep);
    QMenu *remind = m_popupLink->addMenu(QStringLiteral("Put back and remind me"));
    remind->menuAction()->setObjectName(QStringLiteral("PopupLinkRemind"));
    addRemindItems(remind, "PopupLinkRemind");
    addMenuItem(m_popupLink, "PopupLinkDelete", QStringLiteral("Delete this bookmark"), TagDelete);
    m_popupLink->addSeparator()->setObjectName(QStringLiteral("N3"));
    m_linkHelp = addMenuItem(m_popupLink, "PopupLinkHelp", QStringLiteral("Help"));
    // Items of the submenu report through the top menu as well.
    connect(m_popupLink, &QMenu::triggered, this, &BaseForm::linkItemChosen);
}

void BaseForm::linkItemChosen(QAction *item)
{
    if (item == m_linkHelp)
        emit helpRequested(helpContextLinkMenu);
    else if (item == m_linkOpen)
        openEntry(m_popupLabel);
    else
        actOnEntry(m_popupLabel, tagOf(item));
}

void BaseForm::setFadeLevel(int level)
{
    m_fadeLevel = qBound(0, level, maxFadeLevel);
    setWindowOpacity(m_fadeLevel * 17 / 255.0);
    setVisible(m_fadeLevel > 0);
    setEnabled(m_fadeLevel == maxFadeLevel);
    // Its menus are windows of their own and stay usable while it fades or is gone: the
    // program's menu opens from the tray icon while the column is hidden.
    for (QMenu *menu : findChildren<QMenu *>(Qt::FindDirectChildrenOnly))
        menu->setEnabled(true);
    if (m_fadeLevel > 0)
        raise();
}

void BaseForm::showLinkMenu(TextLabel *label, const QPoint &globalPos)
{
    m_popupLabel = label;
    if (m_hotLabel) {
        setHotLabel(nullptr);
        repaint();
    }
    prepareLinkMenu();
    m_popupLink->popup(globalPos);
}

void BaseForm::attachEntryLabel(TextLabel *label)
{
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
}

void BaseForm::openEntry(TextLabel *) {}

void BaseForm::actOnEntry(TextLabel *, int) {}

void BaseForm::prepareLinkMenu() {}

QAction *BaseForm::menuItem(const char *name) const
{
    return findChild<QAction *>(QString::fromLatin1(name));
}

QAction *BaseForm::addMenuItem(QMenu *menu, const QByteArray &name, const QString &caption, int tag)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setData(tag);
    return item;
}

void BaseForm::addRemindItems(QMenu *menu, const QByteArray &namePrefix)
{
    addMenuItem(menu, namePrefix + 'A', QStringLiteral("Tomorrow"), 1);
    addMenuItem(menu, namePrefix + 'B', QStringLiteral("3 days from now"), 3);
    addMenuItem(menu, namePrefix + 'C', QStringLiteral("A week from now"), 7);
    addMenuItem(menu, namePrefix + 'D', QStringLiteral("This time next month"), 30);
}

QMenu *BaseForm::addPopupMenu(const char *name)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

void BaseForm::attachButtonMenu(QAbstractButton *button, QMenu *menu)
{
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, menu,
            [button, menu](const QPoint &pos) { menu->popup(button->mapToGlobal(pos)); });
}

QMenu *BaseForm::addButtonMenu(QAbstractButton *button, const char *menuName)
{
    QMenu *menu = addPopupMenu(menuName);
    attachButtonMenu(button, menu);
    return menu;
}

QAction *BaseForm::addHelpItem(QMenu *menu, const char *name, int context)
{
    QAction *item = addMenuItem(menu, name, QStringLiteral("Help"));
    connect(item, &QAction::triggered, this, [this, context] { emit helpRequested(context); });
    return item;
}

QToolButton *BaseForm::addSpeedButton(const char *name, const QRect &geometry, Glyph glyph,
                                      const QString &hint)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(glyphIcon(glyph));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    return button;
}

void BaseForm::setHotLabel(TextLabel *label)
{
    if (m_hotLabel)
        m_hotLabel->setHighlighted(false);
    m_hotLabel = label;
    if (label)
        label->setHighlighted(true);
}

bool BaseForm::entryLabelEvent(TextLabel *label, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        setHotLabel(label);
        return false;
    case QEvent::Leave:
        if (m_hotLabel == label)
            setHotLabel(nullptr);
        return false;
    case QEvent::MouseButtonPress:
        return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (label->rect().contains(mouse->position().toPoint()))
            openEntry(label);
        return true;
    }
    case QEvent::ContextMenu:
        showLinkMenu(label, static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    default:
        return false;
    }
}

bool BaseForm::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *label = qobject_cast<TextLabel *>(watched))
        return entryLabelEvent(label, event);
    if (auto *button = qobject_cast<QAbstractButton *>(watched);
        button && event->type() == QEvent::ToolTipChange)
        nameButton(button);
    return QWidget::eventFilter(watched, event);
}

void BaseForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(hasFocus() ? focusRgb : outlineRgb), outlineWidth));
    painter.setBrush(QColor(fillRgb));
    const QRectF outline = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = cornerRadius(QSizeF(size())) - 1;
    painter.drawRoundedRect(outline, radius, radius);
}

void BaseForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    setMask(windowShape(size()));
}

void BaseForm::keyPressEvent(QKeyEvent *event)
{
    const bool plain =
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (TextLabel *entry = keyboardEntry(); entry && plain && actOnEntryKey(entry, event->key()))
        return;
    if (event->key() == Qt::Key_F1)
        emit helpRequested(helpContextWindow);
    else
        QWidget::keyPressEvent(event);
}

bool BaseForm::actOnEntryKey(TextLabel *entry, int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openEntry(entry);
        return true;
    case Qt::Key_K:
        actOnEntry(entry, TagKeep);
        return true;
    case Qt::Key_Delete:
        actOnEntry(entry, TagDelete);
        return true;
    case Qt::Key_R:
        showEntryMenu(entry);
        return true;
    case Qt::Key_Escape:
        emit hideRequested();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        stepKeyboard(key == Qt::Key_Down ? 1 : -1);
        return true;
    default:
        return false;
    }
}

// With an entry that has the keyboard, Tab goes on to the next entry, not to a button.
bool BaseForm::focusNextPrevChild(bool next)
{
    if (!keyboardEntry())
        return QWidget::focusNextPrevChild(next);
    stepKeyboard(next ? 1 : -1);
    return true;
}

void BaseForm::showEntryMenu(TextLabel *entry)
{
    showLinkMenu(entry, entry->mapToGlobal(QPoint(0, entry->height())));
}

// A window that goes away under the mouse gets no leave event for its labels. Shown again
// on its own, it must not take the focus.
void BaseForm::hideEvent(QHideEvent *event)
{
    setHotLabel(nullptr);
    if (m_focusAllowed)
        setFocusTaken(false);
    QWidget::hideEvent(event);
}

void BaseForm::showEvent(QShowEvent *event)
{
    nameButtons();
    QWidget::showEvent(event);
}

void BaseForm::allowFocus()
{
    setFocusTaken(true);
}

// Changed on the native window alone: changing the widget's flags would hide it.
void BaseForm::setFocusTaken(bool allowed)
{
    m_focusAllowed = allowed;
    overrideWindowFlags(windowFlags().setFlag(Qt::WindowDoesNotAcceptFocus, !allowed));
    if (QWindow *window = windowHandle())
        window->setFlag(Qt::WindowDoesNotAcceptFocus, !allowed);
}

// The hints are translated by then: a button is named as its text or hint says, without the
// key in brackets at the end ("Keep this bookmark for good (K)").
// A hint translated while the window shows renames its button at once.
void BaseForm::nameButtons()
{
    for (QAbstractButton *button : findChildren<QAbstractButton *>()) {
        nameButton(button);
        button->installEventFilter(this);
    }
}

void BaseForm::nameButton(QAbstractButton *button)
{
    static const QRegularExpression key(QStringLiteral("\\s*\\([^()]*\\)$"));
    QTextDocument hint;
    hint.setHtml(button->toolTip());
    const QString text = stripHotkeys(button->text());
    button->setAccessibleName(text.isEmpty() ? hint.toPlainText().remove(key) : text);
    button->setAccessibleDescription(hint.toPlainText());
}
