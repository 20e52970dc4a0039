#include "translatable.h"

#include "store/textutil.h"

#include <QMap>
#include <algorithm>

namespace {
using TSharedComponent = std::shared_ptr<TTranslatableComponent>;

TTextSlot PropertySlot(const TSharedComponent &component, const QByteArray &prefix,
                       const char *property)
{
    return {prefix + property, [component, property] { return component->Text(property); },
            [component, property](const QString &value) { component->SetText(property, value); }};
}

TTextSlot CellSlot(const TSharedComponent &component, const QByteArray &prefix, int column, int row)
{
    const QByteArray key =
        prefix + "Cells[" + QByteArray::number(column) + ',' + QByteArray::number(row) + ']';
    return {
        key, [component, column, row] { return component->Cell(column, row); },
        [component, column, row](const QString &value) { component->SetCell(column, row, value); }};
}

void AppendComponentSlots(std::vector<TTextSlot> &texts, const TSharedComponent &component,
                          const QByteArray &prefix)
{
    switch (component->Kind()) {
    case TComponentKind::MenuItem:
        texts.push_back(PropertySlot(component, prefix, "Caption"));
        texts.push_back(PropertySlot(component, prefix, "Hint"));
        return;
    case TComponentKind::FileDialog:
        texts.push_back(PropertySlot(component, prefix, "Title"));
        texts.push_back(PropertySlot(component, prefix, "Filter"));
        return;
    case TComponentKind::OtherNonVisual:
        return;
    case TComponentKind::Captioned:
        texts.push_back(PropertySlot(component, prefix, "Caption"));
        break;
    case TComponentKind::Grid:
        for (int column = 0; column < component->GridColumns(); ++column) {
            for (int row = 0; row < component->GridRows(); ++row)
                texts.push_back(CellSlot(component, prefix, column, row));
        }
        break;
    case TComponentKind::OtherVisual:
        break;
    }
    // Every visual control carries a hint, also an empty one.
    texts.push_back(PropertySlot(component, prefix, "Hint"));
}

bool IsNamed(const TTranslatableComponent *component)
{
    return component && !TrimBlanks(component->Name()).isEmpty();
}
} // namespace

void TFormRegistry::Add(const TFormEntry &entry)
{
    m_entries.push_back(entry);
}

void TFormRegistry::Remove(const TTranslatableForm *form)
{
    std::erase_if(m_entries, [form](const TFormEntry &entry) { return entry.Form == form; });
}

TFormRegistry &FormRegistry()
{
    static TFormRegistry registry;
    return registry;
}

std::vector<TTextSlot> FormTextSlots(TTranslatableForm &form, const QByteArray &formKey)
{
    std::vector<TTextSlot> texts;
    texts.push_back({formKey + ".Caption", [&form] { return form.Caption(); },
                     [&form](const QString &value) { form.SetCaption(value); }});
    texts.push_back({formKey + ".Hint", [&form] { return form.Hint(); },
                     [&form](const QString &value) { form.SetHint(value); }});
    for (auto &owned : form.Components()) {
        const TSharedComponent component(std::move(owned));
        if (IsNamed(component.get()))
            AppendComponentSlots(texts, component,
                                 formKey + '.' + ToNarrow(component->Name()) + '.');
    }
    return texts;
}

QStringList DuplicateComponentNames(const TTranslatableForm &form)
{
    QMap<QString, int> uses;
    for (const auto &component : form.Components()) {
        if (IsNamed(component.get()))
            ++uses[component->Name()];
    }
    QStringList duplicates;
    for (auto it = uses.cbegin(); it != uses.cend(); ++it) {
        if (it.value() > 1)
            duplicates.append(it.key());
    }
    return duplicates;
}
