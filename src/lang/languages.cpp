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
std::optional<QString> findValue(const LngFile &file, QByteArrayView key)
{
    const QByteArray raw = file.readRawValue(key);
    if (trimBlanks(raw).isEmpty())
        return std::nullopt;
    return lngText(decodeLngValue(raw));
}

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

bool isLanguageFileName(const QString &name)
{
    return name.endsWith(QLatin1String(".lng"), Qt::CaseInsensitive);
}

// The language a file names, or nullopt when it cannot be offered: unreadable, without
// a name, or with a name that would break the menu or the settings line.
std::optional<Language> readLanguage(const QString &path)
{
    LngFile file;
    file.load(path);
    const QString name = findValue(file, "LanguageName").value_or(QString());
    if (name.isEmpty() || hasControlCharacter(name))
        return std::nullopt;
    return Language{name, path};
}

} // namespace

void Languages::scan(const QStringList &folders)
{
    m_languages.clear();
    m_current = -1;
    m_file = LngFile();
    QSet<QString> seen;
    for (const QString &folder : folders) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen.insert(canonical);
        platform::listFolder(folder, [&](const QString &name, platform::EntryKind kind) {
            if (kind != platform::EntryKind::File || !isLanguageFileName(name))
                return;
            if (std::optional<Language> language = readLanguage(QDir(folder).filePath(name)))
                m_languages.push_back(std::move(*language));
        });
    }
}

QString Languages::languageNameAt(int index) const
{
    if (index < 0 || index >= languageCount())
        return QString();
    return m_languages[size_t(index)].name;
}

QString Languages::currentLanguageName() const
{
    return languageNameAt(m_current);
}

bool Languages::setCurrentLanguage(const QString &name)
{
    const QString wanted = asciiUpper(stripHotkeys(name));
    const auto found = std::find_if(m_languages.begin(), m_languages.end(),
                                    [&](const auto &l) { return asciiUpper(l.name) == wanted; });
    if (found == m_languages.end())
        return false;
    // A file gone or emptied since the scan leaves the current language as it was.
    LngFile file;
    if (!file.load(found->path))
        return false;
    m_file = std::move(file);
    m_current = int(found - m_languages.begin());
    return true;
}

std::optional<QString> Languages::findLngValue(QByteArrayView key) const
{
    return findValue(m_file, key);
}

QString Languages::phrase(QByteArrayView key, const QString &englishDefault) const
{
    return findLngValue(key).value_or(englishDefault);
}

bool Languages::applyLanguage(const FormRegistry &forms)
{
    if (currentLanguageName().isEmpty())
        return false;
    ApplicationTexts &texts = m_applicationTexts;
    readText("ApplicationName", [&](const QString &value) { texts.name = value; });
    readText("ApplicationTitle", [&](const QString &value) { texts.title = value; });
    readText("ApplicationHint", [&](const QString &value) { texts.hint = value; });
    readText("HelpFile", [&](const QString &value) {
        if (!value.isEmpty())
            texts.helpFile = value;
    });
    const std::vector<FormEntry> entries = forms.entries();
    for (const FormEntry &entry : entries) {
        if (entry.owner == FormOwner::Application)
            translateForm(entry.form, entry.formKey);
    }
    return true;
}

void Languages::translateFloatingForms(const FormRegistry &forms)
{
    const std::vector<FormEntry> entries = forms.entries();
    for (const FormEntry &entry : entries) {
        if (entry.owner != FormOwner::Floating)
            continue;
        translateForm(entry.form, "TBaseForm");
        translateForm(entry.form, entry.formKey);
    }
}

bool Languages::translateForm(TranslatableForm *form, QByteArrayView formKey) const
{
    const QByteArray key = trimBlanks(formKey).toByteArray();
    if (!form || key.isEmpty())
        return false;
    for (const TextSlot &slot : formTextSlots(*form, key))
        readText(slot.key, slot.set);
    return true;
}

void Languages::readText(const QByteArray &key,
                         const std::function<void(const QString &)> &apply) const
{
    if (const std::optional<QString> value = findLngValue(key))
        apply(*value);
}

Languages &languages()
{
    static Languages module;
    return module;
}

QStringList defaultLanguageFolders()
{
    QStringList folders{QCoreApplication::applicationDirPath()};
    for (const QString &data : platform::programDataFolders())
        folders.append(data + QStringLiteral("/lang"));
    folders.append(platform::userDataFolder() + QStringLiteral("favrake/lang"));
    return folders;
}
