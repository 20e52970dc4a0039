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
bool IsProperty(const char *property, const char *wanted)
{
    return qstrcmp(property, wanted) == 0;
}

// How the caption of a captioned widget is read and replaced.
struct TCaptionAccess
{
    std::function<QString()> Get;
    std::function<void(const QString &)> Set;
};

class TQtComponent : public TTranslatableComponent
{
  public:
    explicit TQtComponent(QObject *object) : m_object(object) {}
    QString Name() const override { return m_object->objectName(); }

  private:
    QObject *m_object;
};

class TMenuItemComponent final : public TQtComponent
{
  public:
    explicit TMenuItemComponent(QAction *action) : TQtComponent(action), m_action(action) {}
    TComponentKind Kind() const override { return TComponentKind::MenuItem; }
    QString Text(const char *property) const override
    {
        return IsProperty(property, "Caption") ? m_action->text() : OwnToolTip();
    }
    void SetText(const char *property, const QString &value) override
    {
        if (IsProperty(property, "Caption"))
            m_action->setText(value);
        else
            m_action->setToolTip(value);
    }

  private:
    // Qt makes a tool tip from the text when none was set; that one is no hint of ours.
    QString OwnToolTip() const
    {
        const QAction plain(m_action->text());
        return m_action->toolTip() == plain.toolTip() ? QString() : m_action->toolTip();
    }
    QAction *m_action;
};

class TFileDialogComponent final : public TQtComponent
{
  public:
    explicit TFileDialogComponent(QFileDialog *dialog) : TQtComponent(dialog), m_dialog(dialog) {}
    TComponentKind Kind() const override { return TComponentKind::FileDialog; }
    QString Text(const char *property) const override
    {
        if (IsProperty(property, "Title"))
            return m_dialog->windowTitle();
        return m_dialog->nameFilters().join(QStringLiteral(";;"));
    }
    void SetText(const char *property, const QString &value) override
    {
        if (IsProperty(property, "Title"))
            m_dialog->setWindowTitle(value);
        else
            m_dialog->setNameFilter(value);
    }

  private:
    QFileDialog *m_dialog;
};

class TNonVisualComponent final : public TQtComponent
{
  public:
    using TQtComponent::TQtComponent;
    TComponentKind Kind() const override { return TComponentKind::OtherNonVisual; }
    QString Text(const char *) const override { return QString(); }
    void SetText(const char *, const QString &) override {}
};

// A visual control: its hint is the tool tip; a captioned one also has a caption.
class TWidgetComponent : public TQtComponent
{
  public:
    TWidgetComponent(QWidget *widget, std::optional<TCaptionAccess> caption)
        : TQtComponent(widget), m_widget(widget), m_caption(std::move(caption))
    {
    }
    TComponentKind Kind() const override
    {
        return m_caption ? TComponentKind::Captioned : TComponentKind::OtherVisual;
    }
    QString Text(const char *property) const override
    {
        if (IsProperty(property, "Hint"))
            return m_widget->toolTip();
        return m_caption ? m_caption->Get() : QString();
    }
    void SetText(const char *property, const QString &value) override
    {
        if (IsProperty(property, "Hint"))
            m_widget->setToolTip(value);
        else if (m_caption)
            m_caption->Set(value);
    }

  private:
    QWidget *m_widget;
    std::optional<TCaptionAccess> m_caption;
};

class TGridComponent final : public TWidgetComponent
{
  public:
    explicit TGridComponent(QTableWidget *table)
        : TWidgetComponent(table, std::nullopt), m_table(table)
    {
    }
    TComponentKind Kind() const override { return TComponentKind::Grid; }
    int GridColumns() const override { return m_table->columnCount(); }
    int GridRows() const override { return m_table->rowCount(); }
    QString Cell(int column, int row) const override
    {
        const QTableWidgetItem *item = m_table->item(row, column);
        return item ? item->text() : QString();
    }
    void SetCell(int column, int row, const QString &value) override
    {
        if (QTableWidgetItem *item = m_table->item(row, column))
            item->setText(value);
        else
            m_table->setItem(row, column, new QTableWidgetItem(value));
    }

  private:
    QTableWidget *m_table;
};

QTabWidget *TabsOfPage(QWidget *widget)
{
    const QWidget *stack = widget->parentWidget();
    auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

std::optional<TCaptionAccess> TabCaption(QWidget *page)
{
    QPointer<QTabWidget> tabs = TabsOfPage(page);
    if (!tabs)
        return std::nullopt;
    return TCaptionAccess{
        [tabs, page] { return tabs->tabText(tabs->indexOf(page)); },
        [tabs, page](const QString &value) { tabs->setTabText(tabs->indexOf(page), value); }};
}

std::optional<TCaptionAccess> CaptionOf(QWidget *widget)
{
    if (std::optional<TCaptionAccess> tab = TabCaption(widget))
        return tab;
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return TCaptionAccess{[button] { return button->text(); },
                              [button](const QString &value) { button->setText(value); }};
    if (auto *label = qobject_cast<QLabel *>(widget))
        return TCaptionAccess{[label] { return label->text(); },
                              [label](const QString &value) { label->setText(value); }};
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return TCaptionAccess{[group] { return group->title(); },
                              [group](const QString &value) { group->setTitle(value); }};
    if (widget->property("caption").isValid())
        return TCaptionAccess{
            [widget] { return widget->property("caption").toString(); },
            [widget](const QString &value) { widget->setProperty("caption", value); }};
    return std::nullopt;
}

std::unique_ptr<TTranslatableComponent> MakeComponent(QObject *object)
{
    if (auto *action = qobject_cast<QAction *>(object))
        return std::make_unique<TMenuItemComponent>(action);
    if (auto *dialog = qobject_cast<QFileDialog *>(object))
        return std::make_unique<TFileDialogComponent>(dialog);
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return std::make_unique<TNonVisualComponent>(object);
    if (auto *table = qobject_cast<QTableWidget *>(widget))
        return std::make_unique<TGridComponent>(table);
    return std::make_unique<TWidgetComponent>(widget, CaptionOf(widget));
}

class TQtForm final : public TTranslatableForm
{
  public:
    explicit TQtForm(QWidget *window) : m_window(window) {}
    QString Caption() const override { return m_window->windowTitle(); }
    void SetCaption(const QString &value) override { m_window->setWindowTitle(value); }
    QString Hint() const override { return m_window->toolTip(); }
    void SetHint(const QString &value) override { m_window->setToolTip(value); }
    std::vector<std::unique_ptr<TTranslatableComponent>> Components() const override
    {
        std::vector<std::unique_ptr<TTranslatableComponent>> components;
        Collect(m_window, components);
        return components;
    }
    const QWidget *Window() const { return m_window; }

  private:
    static void Collect(const QObject *parent,
                        std::vector<std::unique_ptr<TTranslatableComponent>> &components);
    QWidget *m_window;
};

// A child window that registered itself is a form of its own, not part of its parent.
bool IsRegisteredWindow(const QObject *object)
{
    const auto &entries = FormRegistry().Entries();
    return std::any_of(entries.begin(), entries.end(), [object](const TFormEntry &entry) {
        const auto *form = dynamic_cast<const TQtForm *>(entry.Form);
        return form && form->Window() == object;
    });
}

// Qt's own helper objects carry names of this form; they are no components of ours.
bool IsQtInternal(const QString &name)
{
    return name.startsWith(QLatin1String("qt_"));
}

// Qt's composite controls are built of parts of their own, some of them named ("ScrollLeftButton"
// of a tab bar); those parts are no components of the program.
bool HasOwnParts(const QObject *object)
{
    return qobject_cast<const QFileDialog *>(object) || qobject_cast<const QTabBar *>(object) ||
           qobject_cast<const QAbstractSpinBox *>(object) ||
           qobject_cast<const QComboBox *>(object) ||
           qobject_cast<const QAbstractItemView *>(object) ||
           qobject_cast<const QCalendarWidget *>(object);
}

// Children in creation order; the pages of a stack in page order, since showing a page
// raises it to the end of the children.
QObjectList ChildrenInOrder(const QObject *parent)
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

void TQtForm::Collect(const QObject *parent,
                      std::vector<std::unique_ptr<TTranslatableComponent>> &components)
{
    for (QObject *child : ChildrenInOrder(parent)) {
        if (IsRegisteredWindow(child))
            continue;
        const QString name = child->objectName();
        if (!name.isEmpty() && !IsQtInternal(name))
            components.push_back(MakeComponent(child));
        if (!HasOwnParts(child))
            Collect(child, components);
    }
}
} // namespace

TFormRegistration::TFormRegistration(QWidget *window, QByteArray formKey, TFormOwner owner,
                                     bool inTemplate)
    : m_form(std::make_unique<TQtForm>(window))
{
    FormRegistry().Add({m_form.get(), std::move(formKey), owner, inTemplate});
}

TFormRegistration::~TFormRegistration()
{
    FormRegistry().Remove(m_form.get());
}

TTranslatableForm &TFormRegistration::Form()
{
    return *m_form;
}
