#pragma once

#include "lngfile.h"
#include "translatable.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// One usable language file: the name it gives itself and where it lies.
struct Language
{
    QString name;
    QString path;
};

// The application-wide texts a language file can replace; the program reads them from here.
struct ApplicationTexts
{
    QString name;
    QString title = QStringLiteral("Favrake");
    QString hint;
    QString helpFile;
};

// The language list, the current language and its file. One instance serves the program
// (Languages()); tests make their own or reset that one.
class Languages final
{
  public:
    // Lists the language files of folders, in folder order and each folder's listing order.
    void scan(const QStringList &folders);

    int languageCount() const { return int(m_languages.size()); }
    QString languageNameAt(int index) const;
    QString currentLanguageName() const;
    // Selects the first language whose name equals name without "&" (ASCII letters compare
    // case-insensitively) and loads its file; on any failure nothing changes.
    bool setCurrentLanguage(const QString &name);

    // The decoded value of key; nullopt when it is absent or its raw value empty.
    std::optional<QString> findLngValue(QByteArrayView key) const;
    QString phrase(QByteArrayView key, const QString &englishDefault) const;

    // Application texts and every application-owned form of the registry; false when no
    // language is current.
    bool applyLanguage(const FormRegistry &forms = formRegistry());
    // The floating windows: each under "TBaseForm", then under its own form key.
    void translateFloatingForms(const FormRegistry &forms = formRegistry());
    bool translateForm(TranslatableForm *form, QByteArrayView formKey) const;

    ApplicationTexts &applicationTexts() { return m_applicationTexts; }
    const ApplicationTexts &applicationTexts() const { return m_applicationTexts; }

  private:
    void readText(const QByteArray &key, const std::function<void(const QString &)> &apply) const;

    std::vector<Language> m_languages;
    int m_current = -1;
    LngFile m_file;
    ApplicationTexts m_applicationTexts;
};

Languages &languages(); // the program's module, user-interface thread only

// Where the program looks for language files: its own folder (and the sources' data/lang
// when it runs from the build tree), <prefix>/share/favrake/lang, then
// $XDG_DATA_HOME/favrake/lang.
QStringList defaultLanguageFolders();
