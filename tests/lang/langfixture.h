#pragma once

#include "../store/storefixture.h"
#include "lang/languages.h"

#include <QTemporaryDir>

// Writes content as the file name in folder and gives back its path.
inline QString WriteLngFile(const QTemporaryDir &folder, const QString &name,
                            const QByteArray &content)
{
    WriteFile(folder.filePath(name), content);
    return folder.filePath(name);
}

// Makes the language "Test" with these entries, alone in folder, the current one.
inline void SelectTestLanguage(const QTemporaryDir &folder, const QByteArray &entries)
{
    WriteLngFile(folder, QStringLiteral("test.lng"), "LanguageName = 'Test'\r\n" + entries);
    Languages().Scan({folder.path()});
    QVERIFY(Languages().SetCurrentLanguage("Test"));
}
