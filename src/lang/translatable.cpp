#include "translatable.h"

#include "store/textutil.h"

#include <QMap>
#include <algorithm>

namespace {
using SharedComponent = std::shared_ptr<TranslatableComponent>;

TextSlot propertySlot(const SharedComponent &component, const QByteArray &prefix,
                      const char *property)
{
    return {prefix + property, [component, property] { return component->text(property); },
            [component, property](const QString &value) { component->setText(property, value); }};
}

TextSlot cellSlot(const SharedComponent &component, const QByteArray &prefix, int column, int row)
{
    const QByteArray key =
        prefix + "Cells[" + QByteArray::number(column) + ',' + QByteArray::number(row) + ']';
    return {
        key, [component, column, row] { return component->cell(column, row); },
        [component, column, row](const QString &value) { component->setCell(column, row, value); }};
}

void appendComponentSlots(std::vector<TextSlot> &texts, const SharedComponent &component,
                          const QByteArray &prefix)
{
    switch (component->kind()) {
    case ComponentKind::MenuItem:
        texts.push_back(propertySlot(component, prefix, "Caption"));
        texts.push_back(propertySlot(component, prefix, "Hint"));
        return;
    case ComponentKind::FileDialog:
        texts.push_back(propertySlot(component, prefix, "Title"));
        texts.push_back(propertySlot(component, prefix, "Filter"));
        return;
    case ComponentKind::OtherNonVisual:
        return;
    case ComponentKind::Captioned:
        texts.push_back(propertySlot(component, prefix, "Caption"));
        break;
    case ComponentKind::Grid:
        for (int column = 0; column < component->gridColumns(); ++column) {
            for (int row = 0; row < component->gridRows(); ++row)
                texts.push_back(cellSlot(component, prefix, column, row));
        }
        break;
    case ComponentKind::OtherVisual:
        break;
    }
    // Every visual control carries a hint, also an empty one.
    texts.push_back(propertySlot(component, prefix, "Hint"));
}

bool isNamed(const TranslatableComponent *component)
{
    return component && !trimBlanks(component->name()).isEmpty();
}
} // namespace

void FormRegistry::add(const FormEntry &entry)
{
    m_entries.push_back(entry);
}

void FormRegistry::remove(const TranslatableForm *form)
{
    std::erase_if(m_entries, [form](const FormEntry &entry) { return entry.form == form; });
}

FormRegistry &formRegistry()
{
    static FormRegistry registry;
    return registry;
}

std::vector<TextSlot> formTextSlots(TranslatableForm &form, const QByteArray &formKey)
{
    std::vector<TextSlot> texts;
    texts.push_back({formKey + ".Caption", [&form] { return form.caption(); },
                     [&form](const QString &value) { form.setCaption(value); }});
    texts.push_back({formKey + ".Hint", [&form] { return form.hint(); },
                     [&form](const QString &value) { form.setHint(value); }});
    for (auto &owned : form.components()) {
        const SharedComponent component(std::move(owned));
        if (isNamed(component.get()))
            appendComponentSlots(texts, component,
                                 formKey + '.' + toNarrow(component->name()) + '.');
    }
    return texts;
}

QStringList duplicateComponentNames(const TranslatableForm &form)
{
    QMap<QString, int> uses;
    for (const auto &component : form.components()) {
        if (isNamed(component.get()))
            ++uses[component->name()];
    }
    QStringList duplicates;
    for (auto it = uses.cbegin(); it != uses.cend(); ++it) {
        if (it.value() > 1)
            duplicates.append(it.key());
    }
    return duplicates;
}
