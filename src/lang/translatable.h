#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// What translation and the template writer need to know of one named component.
enum class ComponentKind { MenuItem, FileDialog, OtherNonVisual, Captioned, Grid, OtherVisual };

class TranslatableComponent
{
  public:
    virtual ~TranslatableComponent() = default;
    virtual QString name() const = 0;
    virtual ComponentKind kind() const = 0;
    // Caption of menu items and captioned controls; title and filter of file dialogs.
    virtual QString text(const char *property) const = 0;
    virtual void setText(const char *property, const QString &value) = 0;
    virtual int gridColumns() const { return 0; }
    virtual int gridRows() const { return 0; }
    virtual QString cell(int, int) const { return {}; }
    virtual void setCell(int, int, const QString &) {}
};

// A window or dialog as translation sees it: caption, hint and its named components in
// creation order.
class TranslatableForm
{
  public:
    virtual ~TranslatableForm() = default;
    virtual QString caption() const = 0;
    virtual void setCaption(const QString &) = 0;
    virtual QString hint() const = 0;
    virtual void setHint(const QString &) = 0;
    virtual std::vector<std::unique_ptr<TranslatableComponent>> components() const = 0;
};

enum class FormOwner { Application, Floating };

struct FormEntry
{
    TranslatableForm *form = nullptr;
    QByteArray formKey; // "MainForm", "ConfirmDlg", ... or a class name for floating windows
    FormOwner owner = FormOwner::Application;
    bool inTemplate = false;
};

// Every live window that can be translated, in the order they registered.
class FormRegistry final
{
  public:
    void add(const FormEntry &entry);
    void remove(const TranslatableForm *form);
    const std::vector<FormEntry> &entries() const { return m_entries; }

  private:
    std::vector<FormEntry> m_entries;
};

FormRegistry &formRegistry(); // the process-wide registry, user-interface thread only

// One text of a form as translation and the template see it: its complete key
// ("MainForm.Caption", "MainForm.LblName.Hint", "MainForm.Grid.Cells[0,1]") and how to
// read and replace it.
struct TextSlot
{
    QByteArray key;
    std::function<QString()> get;
    std::function<void(const QString &)> set;
};

// Every text of form under formKey, in translation order: caption and hint of the form,
// then per named component in creation order the texts its kind carries.
std::vector<TextSlot> formTextSlots(TranslatableForm &form, const QByteArray &formKey);

// Names that more than one component of form carries; their entries cannot be told apart.
QStringList duplicateComponentNames(const TranslatableForm &form);
