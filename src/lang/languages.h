#pragma once

#include "lngfile.h"
#include "translatable.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// One usable language file: the name it gives itself and where it lies.
struct TLanguage
{
    QString Name;
    QString Path;
};

// The application-wide texts a language file can replace; the program reads them from here.
struct TApplicationTexts
{
    QString Name;
    QString Title = QStringLiteral("Favrake");
    QString Hint;
    QString HelpFile;
};

// The language list, the current language and its file. One instance serves the program
// (Languages()); tests make their own or reset that one.
class TLanguages final
{
  public:
    // Lists the language files of folders, in folder order and each folder's listing order.
    void Scan(const QStringList &folders);

    int LanguageCount() const { return int(m_languages.size()); }
    QString LanguageNameAt(int index) const;
    QString CurrentLanguageName() const;
    // Selects the first language whose name equals name without "&" (ASCII letters compare
    // case-insensitively) and loads its file; on any failure nothing changes.
    bool SetCurrentLanguage(const QString &name);

    // The decoded value of key; nullopt when it is absent or its raw value empty.
    std::optional<QString> FindLngValue(QByteArrayView key) const;
    QString Phrase(QByteArrayView key, const QString &englishDefault) const;

    // Application texts and every application-owned form of the registry; false when no
    // language is current.
    bool ApplyLanguage();
    // The floating windows: each under "TBaseForm", then under its own form key.
    void TranslateFloatingForms();
    bool TranslateForm(TTranslatableForm *form, QByteArrayView formKey) const;

    TApplicationTexts &ApplicationTexts() { return m_applicationTexts; }
    const TApplicationTexts &ApplicationTexts() const { return m_applicationTexts; }

  private:
    void ReadText(const QByteArray &key, const std::function<void(const QString &)> &apply) const;

    std::vector<TLanguage> m_languages;
    int m_current = -1;
    TLngFile m_file;
    TApplicationTexts m_applicationTexts;
};

TLanguages &Languages(); // the program's module, user-interface thread only

// Where the program looks for language files: its own folder (and the sources' data/lang
// when it runs from the build tree), <prefix>/share/favrake/lang, then
// $XDG_DATA_HOME/favrake/lang.
QStringList DefaultLanguageFolders();
