#include "baseform.h"

#include "uclabel.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {
constexpr int OutlineWidth = 2;
constexpr int InitialHeight = 40;

// The corners are rounded by an eighth of the shorter side.
qreal CornerRadius(QSizeF size)
{
    return qMin(size.width(), size.height()) / 8.0;
}

} // namespace

QFont SansFont(const QString &family, int pixelSize)
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

QLabel *AddLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

void SetTextColour(QWidget *widget, QRgb colour)
{
    QPalette colours = widget->palette();
    colours.setColor(QPalette::WindowText, QColor(colour));
    widget->setPalette(colours);
}

QRegion WindowShape(QSize size)
{
    QPainterPath path;
    const QRectF area(QPointF(0, 0), QSizeF(size));
    path.addRoundedRect(area, CornerRadius(area.size()), CornerRadius(area.size()));
    return QRegion(path.toFillPolygon().toPolygon());
}

int TagOf(const QObject *component)
{
    if (const auto *item = qobject_cast<const QAction *>(component))
        return item->data().toInt();
    return component ? component->property("Tag").toInt() : 0;
}

TBaseForm::TBaseForm(QWidget *owner) : QWidget(owner, FloatingWindowFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The window never becomes the active one, and Qt shows hints only in the active
    // window unless told otherwise.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setFont(SansFont(QStringLiteral("Tahoma"), 11));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(FillRgb));
    setPalette(colours);
    setWindowOpacity(0.0);
    resize(ClientWidth, InitialHeight);
    BuildLinkMenu();
}

void TBaseForm::BuildLinkMenu()
{
    m_popupLink = new QMenu(this);
    m_popupLink->setObjectName(QStringLiteral("PopupLink"));
    m_linkOpen = AddMenuItem(m_popupLink, "PopupLinkOpen", QStringLiteral("Open in browser"));
    m_popupLink->setDefaultAction(m_linkOpen);
    AddMenuItem(m_popupLink, "PopupLinkSuggest", QStringLiteral("Show good links on this subject"),
                TagSuggest);
    m_popupLink->addSeparator()->setObjectName(QStringLiteral("N5"));
    AddMenuItem(m_popupLink, "PopupLinkKeep",
                QStringLiteral("Keep for good (do not remind me again)"), TagKeep);
    QMenu *remind = m_popupLink->addMenu(QStringLiteral("Put back and remind me"));
    remind->menuAction()->setObjectName(QStringLiteral("PopupLinkRemind"));
    AddRemindItems(remind, "PopupLinkRemind");
    AddMenuItem(m_popupLink, "PopupLinkDelete", QStringLiteral("Delete this bookmark"), TagDelete);
    m_popupLink->addSeparator()->setObjectName(QStringLiteral("N3"));
    m_linkHelp = AddMenuItem(m_popupLink, "PopupLinkHelp", QStringLiteral("Help"));
    // Items of the submenu report through the top menu as well.
    connect(m_popupLink, &QMenu::triggered, this, &TBaseForm::LinkItemChosen);
}

void TBaseForm::LinkItemChosen(QAction *item)
{
    if (item == m_linkHelp)
        emit helpRequested(HelpContextLinkMenu);
    else if (item == m_linkOpen)
        OpenEntry(m_popupLabel);
    else
        actOnEntry(m_popupLabel, TagOf(item));
}

void TBaseForm::SetFadeLevel(int level)
{
    m_fadeLevel = qBound(0, level, MaxFadeLevel);
    setWindowOpacity(m_fadeLevel * 17 / 255.0);
    setVisible(m_fadeLevel > 0);
    setEnabled(m_fadeLevel == MaxFadeLevel);
    // Its menus are windows of their own and stay usable while it fades or is gone: the
    // program's menu opens from the tray icon while the column is hidden.
    for (QMenu *menu : findChildren<QMenu *>(Qt::FindDirectChildrenOnly))
        menu->setEnabled(true);
    if (m_fadeLevel > 0)
        raise();
}

void TBaseForm::ShowLinkMenu(TUCLabel *label, const QPoint &globalPos)
{
    m_popupLabel = label;
    if (m_hotLabel) {
        SetHotLabel(nullptr);
        repaint();
    }
    PrepareLinkMenu();
    m_popupLink->popup(globalPos);
}

void TBaseForm::AttachEntryLabel(TUCLabel *label)
{
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
}

void TBaseForm::OpenEntry(TUCLabel *) {}

void TBaseForm::actOnEntry(TUCLabel *, int) {}

void TBaseForm::PrepareLinkMenu() {}

QAction *TBaseForm::MenuItem(const char *name) const
{
    return findChild<QAction *>(QString::fromLatin1(name));
}

QAction *TBaseForm::AddMenuItem(QMenu *menu, const QByteArray &name, const QString &caption,
                                int tag)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setData(tag);
    return item;
}

void TBaseForm::AddRemindItems(QMenu *menu, const QByteArray &namePrefix)
{
    AddMenuItem(menu, namePrefix + 'A', QStringLiteral("Tomorrow"), 1);
    AddMenuItem(menu, namePrefix + 'B', QStringLiteral("3 days from now"), 3);
    AddMenuItem(menu, namePrefix + 'C', QStringLiteral("A week from now"), 7);
    AddMenuItem(menu, namePrefix + 'D', QStringLiteral("This time next month"), 30);
}

QMenu *TBaseForm::AddPopupMenu(const char *name)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

void TBaseForm::AttachButtonMenu(QAbstractButton *button, QMenu *menu)
{
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, menu,
            [button, menu](const QPoint &pos) { menu->popup(button->mapToGlobal(pos)); });
}

QMenu *TBaseForm::AddButtonMenu(QAbstractButton *button, const char *menuName)
{
    QMenu *menu = AddPopupMenu(menuName);
    AttachButtonMenu(button, menu);
    return menu;
}

QAction *TBaseForm::AddHelpItem(QMenu *menu, const char *name, int context)
{
    QAction *item = AddMenuItem(menu, name, QStringLiteral("Help"));
    connect(item, &QAction::triggered, this, [this, context] { emit helpRequested(context); });
    return item;
}

QToolButton *TBaseForm::AddSpeedButton(const char *name, const QRect &geometry, TGlyph glyph,
                                       const QString &hint)
{
    auto *button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(GlyphIcon(glyph));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    return button;
}

void TBaseForm::SetHotLabel(TUCLabel *label)
{
    if (m_hotLabel)
        m_hotLabel->SetHighlighted(false);
    m_hotLabel = label;
    if (label)
        label->SetHighlighted(true);
}

bool TBaseForm::EntryLabelEvent(TUCLabel *label, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        SetHotLabel(label);
        return false;
    case QEvent::Leave:
        if (m_hotLabel == label)
            SetHotLabel(nullptr);
        return false;
    case QEvent::MouseButtonPress:
        return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (label->rect().contains(mouse->position().toPoint()))
            OpenEntry(label);
        return true;
    }
    case QEvent::ContextMenu:
        ShowLinkMenu(label, static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    default:
        return false;
    }
}

bool TBaseForm::eventFilter(QObject *watched, QEvent *event)
{
    if (auto *label = qobject_cast<TUCLabel *>(watched))
        return EntryLabelEvent(label, event);
    return QWidget::eventFilter(watched, event);
}

void TBaseForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(OutlineRgb), OutlineWidth));
    painter.setBrush(QColor(FillRgb));
    const QRectF outline = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = CornerRadius(QSizeF(size())) - 1;
    painter.drawRoundedRect(outline, radius, radius);
}

void TBaseForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    setMask(WindowShape(size()));
}

void TBaseForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1)
        emit helpRequested(HelpContextWindow);
    else
        QWidget::keyPressEvent(event);
}

// A window that goes away under the mouse gets no leave event for its labels.
void TBaseForm::hideEvent(QHideEvent *event)
{
    SetHotLabel(nullptr);
    QWidget::hideEvent(event);
}
