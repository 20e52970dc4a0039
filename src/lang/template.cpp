#include "template.h"

#include "languages.h"
#include "platform/files.h"
#include "store/textutil.h"

namespace {
bool isPrintable(uchar c)
{
    return c >= 32 && c <= 126 && c != '\'' && c != '`';
}

// The bytes that stand for text in a language file.
QByteArray textBytes(const QString &text)
{
    if (const std::optional<QByteArray> ansi = toWindows1252(text)) {
        if (lngText(*ansi) == text)
            return *ansi;
    }
    return text.toUtf8();
}

QByteArray hexByte(uchar c)
{
    return '$' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
}

QByteArray templateLine(const QByteArray &key, const QString &text)
{
    return key + " = " + encodeLngValue(text);
}

void addRegisteredForms(const FormRegistry &forms, FormOwner owner, QByteArrayList &lines)
{
    for (const FormEntry &entry : forms.entries()) {
        if (entry.owner == owner && entry.inTemplate)
            addFormToTemplate(entry.form, entry.formKey, &lines);
    }
}
} // namespace

QByteArray encodeLngValue(const QString &text)
{
    const QByteArray bytes = textBytes(text);
    QByteArray out;
    bool previousPrintable = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes[i]);
        const bool printable = isPrintable(c);
        if (printable != previousPrintable)
            out.append('\'');
        previousPrintable = printable;
        const uchar next = i + 1 < bytes.size() ? uchar(bytes[i + 1]) : 0;
        if (printable) {
            out.append(char(c));
        } else if (c == '\t') {
            out.append("\\t");
        } else if ((c == '\r' && next == '\n') || (c == '\n' && next == '\r')) {
            out.append("\\n");
            ++i;
        } else {
            out.append(hexByte(c));
        }
    }
    if (previousPrintable)
        out.append('\'');
    return out.isEmpty() ? QByteArray("''") : out;
}

QByteArrayList newLanguageTemplate(const Languages &language, const FormRegistry &forms)
{
    const ApplicationTexts &texts = language.applicationTexts();
    QByteArrayList lines{
        "LanguageName = 'NewLanguage'", templateLine("ApplicationName", texts.name),
        templateLine("ApplicationTitle", texts.title), templateLine("ApplicationHint", texts.hint),
        templateLine("HelpFile", texts.helpFile)};
    addRegisteredForms(forms, FormOwner::Application, lines);
    return lines;
}

bool addFormToTemplate(TranslatableForm *form, QByteArrayView formKey, QByteArrayList *list)
{
    const QByteArray key = trimBlanks(formKey).toByteArray();
    if (!form || !list || key.isEmpty())
        return false;
    for (const TextSlot &slot : formTextSlots(*form, key))
        list->append(templateLine(slot.key, slot.get()));
    return true;
}

platform::FileWriteResult writeLanguageTemplate(const QString &path, const Languages &language,
                                                const FormRegistry &forms)
{
    QByteArrayList lines = newLanguageTemplate(language, forms);
    addRegisteredForms(forms, FormOwner::Floating, lines);
    QByteArray content;
    for (const QByteArray &line : lines)
        content += line + "\r\n";
    return platform::writeWholeFile(path, content);
}
