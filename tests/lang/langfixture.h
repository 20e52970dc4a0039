#pragma once

#include "../store/storefixture.h"
#include "lang/languages.h"

#include <QTemporaryDir>

// Writes content as the file name in folder and gives back its path.
inline QString writeLngFile(const QTemporaryDir &folder, const QString &name,
                            const QByteArray &content)
{
    writeFile(folder.filePath(name), content);
    return folder.filePath(name);
}

// Makes the language "Test" with these entries, alone in folder, the current one.
inline void selectTestLanguage(const QTemporaryDir &folder, const QByteArray &entries)
{
    writeLngFile(folder, QStringLiteral("test.lng"), "LanguageName = 'Test'\r\n" + entries);
    languages().scan({folder.path()});
    QVERIFY(languages().setCurrentLanguage("Test"));
}
