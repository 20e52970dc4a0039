#include "qtform.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVariant>

namespace {
bool isProperty(const char *property, const char *wanted)
{
    return qstrcmp(property, wanted) == 0;
}

// How the caption of a captioned widget is read and replaced.
struct CaptionAccess
{
    std::function<QString()> get;
    std::function<void(const QString &)> set;
};

class QtComponent : public TranslatableComponent
{
  public:
    explicit QtComponent(QObject *object) : m_object(object) {}
    QString name() const override { return m_object->objectName(); }

  private:
    QObject *m_object;
};

class MenuItemComponent final : public QtComponent
{
  public:
    explicit MenuItemComponent(QAction *action) : QtComponent(action), m_action(action) {}
    ComponentKind kind() const override { return ComponentKind::MenuItem; }
    QString text(const char *property) const override
    {
        return isProperty(property, "Caption") ? m_action->text() : ownToolTip();
    }
    void setText(const char *property, const QString &value) override
    {
        if (isProperty(property, "Caption"))
            m_action->setText(value);
        else
            m_action->setToolTip(value);
    }

  private:
    // Qt makes a tool tip from the text when none was set; that one is no hint of ours.
    QString ownToolTip() const
    {
        const QAction plain(m_action->text());
        return m_action->toolTip() == plain.toolTip() ? QString() : m_action->toolTip();
    }
    QAction *m_action;
};

class FileDialogComponent final : public QtComponent
{
  public:
    explicit FileDialogComponent(QFileDialog *dialog) : QtComponent(dialog), m_dialog(dialog) {}
    ComponentKind kind() const override { return ComponentKind::FileDialog; }
    QString text(const char *property) const override
    {
        if (isProperty(property, "Title"))
            return m_dialog->windowTitle();
        return m_dialog->nameFilters().join(QStringLiteral(";;"));
    }
    void setText(const char *property, const QString &value) override
    {
        if (isProperty(property, "Title"))
            m_dialog->setWindowTitle(value);
        else
            m_dialog->setNameFilter(value);
    }

  private:
    QFileDialog *m_dialog;
};

class NonVisualComponent final : public QtComponent
{
  public:
    using QtComponent::QtComponent;
    ComponentKind kind() const override { return ComponentKind::OtherNonVisual; }
    QString text(const char *) const override { return QString(); }
    void setText(const char *, const QString &) override {}
};

// A visual control: its hint is the tool tip; a captioned one also has a caption.
class WidgetComponent : public QtComponent
{
  public:
    WidgetComponent(QWidget *widget, std::optional<CaptionAccess> caption)
        : QtComponent(widget), m_widget(widget), m_caption(std::move(caption))
    {
    }
    ComponentKind kind() const override
    {
        return m_caption ? ComponentKind::Captioned : ComponentKind::OtherVisual;
    }
    QString text(const char *property) const override
    {
        if (isProperty(property, "Hint"))
            return m_widget->toolTip();
        return m_caption ? m_caption->get() : QString();
    }
    void setText(const char *property, const QString &value) override
    {
        if (isProperty(property, "Hint"))
            m_widget->setToolTip(value);
        else if (m_caption)
            m_caption->set(value);
    }

  private:
    QWidget *m_widget;
    std::optional<CaptionAccess> m_caption;
};

class GridComponent final : public WidgetComponent
{
  public:
    explicit GridComponent(QTableWidget *table)
        : WidgetComponent(table, std::nullopt), m_table(table)
    {
    }
    ComponentKind kind() const override { return ComponentKind::Grid; }
    int gridColumns() const override { return m_table->columnCount(); }
    int gridRows() const override { return m_table->rowCount(); }
    QString cell(int column, int row) const override
    {
        const QTableWidgetItem *item = m_table->item(row, column);
        return item ? item->text() : QString();
    }
    void setCell(int column, int row, const QString &value) override
    {
        if (QTableWidgetItem *item = m_table->item(row, column))
            item->setText(value);
        else
            m_table->setItem(row, column, new QTableWidgetItem(value));
    }

  private:
    QTableWidget *m_table;
};

QTabWidget *tabsOfPage(QWidget *widget)
{
    const QWidget *stack = widget->parentWidget();
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

std::optional<CaptionAccess> tabCaption(QWidget *page)
{
    QPointer<QTabWidget> tabs = tabsOfPage(page);
    if (!tabs)
        return std::nullopt;
    return CaptionAccess{
        [tabs, page] { return tabs->tabText(tabs->indexOf(page)); },
        [tabs, page](const QString &value) { tabs->setTabText(tabs->indexOf(page), value); }};
}

std::optional<CaptionAccess> captionOf(QWidget *widget)
{
    if (std::optional<CaptionAccess> tab = tabCaption(widget))
        return tab;
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return CaptionAccess{[button] { return button->text(); },
                             [button](const QString &value) { button->setText(value); }};
    if (auto *label = qobject_cast<QLabel *>(widget))
        return CaptionAccess{[label] { return label->text(); },
                             [label](const QString &value) { label->setText(value); }};
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return CaptionAccess{[group] { return group->title(); },
                             [group](const QString &value) { group->setTitle(value); }};
    if (widget->property("caption").isValid())
        return CaptionAccess{
            [widget] { return widget->property("caption").toString(); },
            [widget](const QString &value) { widget->setProperty("caption", value); }};
    return std::nullopt;
}

std::unique_ptr<TranslatableComponent> makeComponent(QObject *object)
{
    if (auto *action = qobject_cast<QAction *>(object))
        return std::make_unique<MenuItemComponent>(action);
    if (auto *dialog = qobject_cast<QFileDialog *>(object))
        return std::make_unique<FileDialogComponent>(dialog);
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return std::make_unique<NonVisualComponent>(object);
    if (auto *table = qobject_cast<QTableWidget *>(widget))
        return std::make_unique<GridComponent>(table);
    return std::make_unique<WidgetComponent>(widget, captionOf(widget));
}

class QtForm final : public TranslatableForm
{
  public:
    explicit QtForm(QWidget *window) : m_window(window) {}
    QString caption() const override { return m_window->windowTitle(); }
    void setCaption(const QString &value) override { m_window->setWindowTitle(value); }
    QString hint() const override { return m_window->toolTip(); }
    void setHint(const QString &value) override { m_window->setToolTip(value); }
    std::vector<std::unique_ptr<TranslatableComponent>> components() const override
    {
        std::vector<std::unique_ptr<TranslatableComponent>> components;
        collect(m_window, components);
        return components;
    }
    const QWidget *window() const { return m_window; }

  private:
    static void collect(const QObject *parent,
                        std::vector<std::unique_ptr<TranslatableComponent>> &components);
    QWidget *m_window;
};

// A child window that registered itself is a form of its own, not part of its parent.
bool isRegisteredWindow(const QObject *object)
{
    const auto &entries = formRegistry().entries();
    return std::any_of(entries.begin(), entries.end(), [object](const FormEntry &entry) {
        const auto *form = dynamic_cast<const QtForm *>(entry.form);
        return form && form->window() == object;
    });
}

// Qt's own helper objects carry names of this form; they are no components of ours.
bool isQtInternal(const QString &name)
{
    return name.startsWith(QLatin1String("qt_"));
}

// Qt's composite controls are built of parts of their own, some of them named ("ScrollLeftButton"
// of a tab bar); those parts are no components of the program.
bool hasOwnParts(const QObject *object)
{
    return qobject_cast<const QFileDialog *>(object) || qobject_cast<const QTabBar *>(object) ||
           qobject_cast<const QAbstractSpinBox *>(object) ||
           qobject_cast<const QComboBox *>(object) ||
           qobject_cast<const QAbstractItemView *>(object) ||
           qobject_cast<const QCalendarWidget *>(object);
}

// Children in creation order; the pages of a stack in page order, since showing a page
// raises it to the end of the children.
QObjectList childrenInOrder(const QObject *parent)
{
    const auto *stack = qobject_cast<const QStackedWidget *>(parent);
    if (!stack)
        return parent->children();
    QObjectList children;
    for (int i = 0; i < stack->count(); ++i)
        children.append(stack->widget(i));
    for (QObject *child : parent->children()) {
        if (!children.contains(child))
            children.append(child);
    }
    return children;
}

void QtForm::collect(const QObject *parent,
                     std::vector<std::unique_ptr<TranslatableComponent>> &components)
{
    for (QObject *child : childrenInOrder(parent)) {
        if (isRegisteredWindow(child))
            continue;
        const QString name = child->objectName();
        if (!name.isEmpty() && !isQtInternal(name))
            components.push_back(makeComponent(child));
        if (!hasOwnParts(child))
            collect(child, components);
    }
}
} // namespace

FormRegistration::FormRegistration(QWidget *window, QByteArray formKey, FormOwner owner,
                                   bool inTemplate)
    : m_form(std::make_unique<QtForm>(window))
{
    formRegistry().add({m_form.get(), std::move(formKey), owner, inTemplate});
}

FormRegistration::~FormRegistration()
{
    formRegistry().remove(m_form.get());
}

TranslatableForm &FormRegistration::form()
{
    return *m_form;
}
