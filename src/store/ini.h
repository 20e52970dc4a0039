#pragma once

#include "inidoc.h"
#include "platform/files.h"

#include <QString>
#include <functional>

// A larger INI file is treated as unreadable and never rewritten.
inline constexpr int64_t maxIniFileSize = 1 << 20;

// The file's document; nullopt when it is missing, not a regular file, unreadable or too large.
std::optional<IniDocument> iniLoad(const QString &file);

// Reads the file, lets change edit its document and writes the result in one atomic replace.
// A ".URL" file is never created; a file changed by someone else meanwhile is left alone.
// False when change refuses or anything fails; then the file is as it was.
bool iniUpdate(const QString &file, const std::function<bool(IniDocument &)> &change,
               const platform::FileWriteOps &ops = platform::systemFileWriteOps());

// Writes a file's new content; before is what the file held (nullopt: it is new). True
// when the content was written.
using IniWriter =
    std::function<bool(const QByteArray &content, const std::optional<QByteArray> &before)>;
// The same read and change, written by write instead of the atomic replace.
bool iniUpdateWith(const QString &file, const std::function<bool(IniDocument &)> &change,
                   const IniWriter &write);

QString iniReadString(const QString &file, const QString &section, const QString &key,
                      const QString &defaultValue);
bool iniWriteString(const QString &file, const QString &section, const QString &key,
                    const QString &value);
bool iniReadBool(const QString &file, const QString &section, const QString &key,
                 bool defaultValue);
bool iniSectionExists(const QString &file, const QString &section);

// Typed readers over a document already in memory (one file read for many keys).
QString readString(const IniDocument &doc, QStringView section, QStringView key,
                   const QString &defaultValue);
bool readBool(const IniDocument &doc, QStringView section, QStringView key, bool defaultValue);
int readInteger(const IniDocument &doc, QStringView section, QStringView key, int defaultValue);
