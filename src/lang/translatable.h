#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// What translation and the template writer need to know of one named component.
enum class TComponentKind { MenuItem, FileDialog, OtherNonVisual, Captioned, Grid, OtherVisual };

class TTranslatableComponent
{
  public:
    virtual ~TTranslatableComponent() = default;
    virtual QString Name() const = 0;
    virtual TComponentKind Kind() const = 0;
    // Caption of menu items and captioned controls; title and filter of file dialogs.
    virtual QString Text(const char *property) const = 0;
    virtual void SetText(const char *property, const QString &value) = 0;
    virtual int GridColumns() const { return 0; }
    virtual int GridRows() const { return 0; }
    virtual QString Cell(int, int) const { return {}; }
    virtual void SetCell(int, int, const QString &) {}
};

// A window or dialog as translation sees it: caption, hint and its named components in
// creation order.
class TTranslatableForm
{
  public:
    virtual ~TTranslatableForm() = default;
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString &) = 0;
    virtual QString Hint() const = 0;
    virtual void SetHint(const QString &) = 0;
    virtual std::vector<std::unique_ptr<TTranslatableComponent>> Components() const = 0;
};

enum class TFormOwner { Application, Floating };

struct TFormEntry
{
    TTranslatableForm *Form = nullptr;
    QByteArray FormKey; // "MainForm", "ConfirmDlg", ... or a class name for floating windows
    TFormOwner Owner = TFormOwner::Application;
    bool InTemplate = false;
};

// Every live window that can be translated, in the order they registered.
class TFormRegistry final
{
  public:
    void Add(const TFormEntry &entry);
    void Remove(const TTranslatableForm *form);
    const std::vector<TFormEntry> &Entries() const { return m_entries; }

  private:
    std::vector<TFormEntry> m_entries;
};

TFormRegistry &FormRegistry(); // the process-wide registry, user-interface thread only

// One text of a form as translation and the template see it: its complete key
// ("MainForm.Caption", "MainForm.LblName.Hint", "MainForm.Grid.Cells[0,1]") and how to
// read and replace it.
struct TTextSlot
{
    QByteArray Key;
    std::function<QString()> Get;
    std::function<void(const QString &)> Set;
};

// Every text of form under formKey, in translation order: caption and hint of the form,
// then per named component in creation order the texts its kind carries.
std::vector<TTextSlot> FormTextSlots(TTranslatableForm &form, const QByteArray &formKey);

// Names that more than one component of form carries; their entries cannot be told apart.
QStringList DuplicateComponentNames(const TTranslatableForm &form);
