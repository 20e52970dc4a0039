#include "languages.h"

#include "phrases.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "store/textutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {
std::optional<QString> FindValue(const TLngFile &file, QByteArrayView key)
{
    const QByteArray raw = file.ReadRawValue(key);
    if (TrimBlanks(raw).isEmpty())
        return std::nullopt;
    return LngText(DecodeLngValue(raw));
}

bool HasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

bool IsLanguageFileName(const QString &name)
{
    return name.endsWith(QLatin1String(".lng"), Qt::CaseInsensitive);
}

// The language a file names, or nullopt when it cannot be offered: unreadable, without
// a name, or with a name that would break the menu or the settings line.
std::optional<TLanguage> ReadLanguage(const QString &path)
{
    TLngFile file;
    file.Load(path);
    const QString name = FindValue(file, "LanguageName").value_or(QString());
    if (name.isEmpty() || HasControlCharacter(name))
        return std::nullopt;
    return TLanguage{name, path};
}

} // namespace

void TLanguages::Scan(const QStringList &folders)
{
    m_languages.clear();
    m_current = -1;
    m_file = TLngFile();
    QSet<QString> seen;
    for (const QString &folder : folders) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen.insert(canonical);
        platform::listFolder(folder, [&](const QString &name, platform::EntryKind kind) {
            if (kind != platform::EntryKind::File || !IsLanguageFileName(name))
                return;
            if (std::optional<TLanguage> language = ReadLanguage(QDir(folder).filePath(name)))
                m_languages.push_back(std::move(*language));
        });
    }
}

QString TLanguages::LanguageNameAt(int index) const
{
    if (index < 0 || index >= LanguageCount())
        return QString();
    return m_languages[size_t(index)].Name;
}

QString TLanguages::CurrentLanguageName() const
{
    return LanguageNameAt(m_current);
}

bool TLanguages::SetCurrentLanguage(const QString &name)
{
    const QString wanted = AsciiUpper(StripHotkeys(name));
    const auto found = std::find_if(m_languages.begin(), m_languages.end(),
                                    [&](const auto &l) { return AsciiUpper(l.Name) == wanted; });
    if (found == m_languages.end())
        return false;
    // A file gone or emptied since the scan leaves the current language as it was.
    TLngFile file;
    if (!file.Load(found->Path))
        return false;
    m_file = std::move(file);
    m_current = int(found - m_languages.begin());
    return true;
}

std::optional<QString> TLanguages::FindLngValue(QByteArrayView key) const
{
    return FindValue(m_file, key);
}

QString TLanguages::Phrase(QByteArrayView key, const QString &englishDefault) const
{
    return FindLngValue(key).value_or(englishDefault);
}

bool TLanguages::ApplyLanguage()
{
    if (CurrentLanguageName().isEmpty())
        return false;
    TApplicationTexts &texts = m_applicationTexts;
    ReadText("ApplicationName", [&](const QString &value) { texts.Name = value; });
    ReadText("ApplicationTitle", [&](const QString &value) { texts.Title = value; });
    ReadText("ApplicationHint", [&](const QString &value) { texts.Hint = value; });
    ReadText("HelpFile", [&](const QString &value) {
        if (!value.isEmpty())
            texts.HelpFile = value;
    });
    const std::vector<TFormEntry> entries = FormRegistry().Entries();
    for (const TFormEntry &entry : entries) {
        if (entry.Owner == TFormOwner::Application)
            TranslateForm(entry.Form, entry.FormKey);
    }
    return true;
}

void TLanguages::TranslateFloatingForms()
{
    const std::vector<TFormEntry> entries = FormRegistry().Entries();
    for (const TFormEntry &entry : entries) {
        if (entry.Owner != TFormOwner::Floating)
            continue;
        TranslateForm(entry.Form, "TBaseForm");
        TranslateForm(entry.Form, entry.FormKey);
    }
}

bool TLanguages::TranslateForm(TTranslatableForm *form, QByteArrayView formKey) const
{
    const QByteArray key = TrimBlanks(formKey).toByteArray();
    if (!form || key.isEmpty())
        return false;
    for (const TTextSlot &slot : FormTextSlots(*form, key))
        ReadText(slot.Key, slot.Set);
    return true;
}

void TLanguages::ReadText(const QByteArray &key,
                          const std::function<void(const QString &)> &apply) const
{
    if (const std::optional<QString> value = FindLngValue(key))
        apply(*value);
}

TLanguages &Languages()
{
    static TLanguages module;
    return module;
}

QStringList DefaultLanguageFolders()
{
    QStringList folders{QCoreApplication::applicationDirPath()};
    for (const QString &data : platform::programDataFolders())
        folders.append(data + QStringLiteral("/lang"));
    folders.append(platform::userDataFolder() + QStringLiteral("favrake/lang"));
    return folders;
}
