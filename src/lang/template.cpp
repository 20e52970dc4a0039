#include "template.h"

#include "languages.h"
#include "platform/files.h"
#include "store/textutil.h"

namespace {
bool IsPrintable(uchar c)
{
    return c >= 32 && c <= 126 && c != '\'' && c != '`';
}

// The bytes that stand for text in a language file.
QByteArray TextBytes(const QString &text)
{
    if (const std::optional<QByteArray> ansi = ToWindows1252(text)) {
        if (LngText(*ansi) == text)
            return *ansi;
    }
    return text.toUtf8();
}

QByteArray HexByte(uchar c)
{
    return '$' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
}

QByteArray TemplateLine(const QByteArray &key, const QString &text)
{
    return key + " = " + EncodeLngValue(text);
}

void AddRegisteredForms(TFormOwner owner, QByteArrayList &lines)
{
    for (const TFormEntry &entry : FormRegistry().Entries()) {
        if (entry.Owner == owner && entry.InTemplate)
            AddFormToTemplate(entry.Form, entry.FormKey, &lines);
    }
}
} // namespace

QByteArray EncodeLngValue(const QString &text)
{
    const QByteArray bytes = TextBytes(text);
    QByteArray out;
    bool previousPrintable = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes[i]);
        const bool printable = IsPrintable(c);
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
            out.append(HexByte(c));
        }
    }
    if (previousPrintable)
        out.append('\'');
    return out.isEmpty() ? QByteArray("''") : out;
}

QByteArrayList NewLanguageTemplate()
{
    const TApplicationTexts &texts = Languages().ApplicationTexts();
    QByteArrayList lines{
        "LanguageName = 'NewLanguage'", TemplateLine("ApplicationName", texts.Name),
        TemplateLine("ApplicationTitle", texts.Title), TemplateLine("ApplicationHint", texts.Hint),
        TemplateLine("HelpFile", texts.HelpFile)};
    AddRegisteredForms(TFormOwner::Application, lines);
    return lines;
}

bool AddFormToTemplate(TTranslatableForm *form, QByteArrayView formKey, QByteArrayList *list)
{
    const QByteArray key = TrimBlanks(formKey).toByteArray();
    if (!form || !list || key.isEmpty())
        return false;
    for (const TTextSlot &slot : FormTextSlots(*form, key))
        list->append(TemplateLine(slot.Key, slot.Get()));
    return true;
}

platform::FileWriteResult WriteLanguageTemplate(const QString &path)
{
    QByteArrayList lines = NewLanguageTemplate();
    AddRegisteredForms(TFormOwner::Floating, lines);
    QByteArray content;
    for (const QByteArray &line : lines)
        content += line + "\r\n";
    return platform::writeWholeFile(path, content);
}
