#include "ini.h"

#include "textutil.h"

namespace {
bool isShortcutFile(const QString &file)
{
    return file.endsWith(QLatin1String(".url"), Qt::CaseInsensitive);
}

IniDocument loadOrEmpty(const QString &file)
{
    return iniLoad(file).value_or(IniDocument());
}
} // namespace

std::optional<IniDocument> iniLoad(const QString &file)
{
    if (file.isEmpty())
        return std::nullopt;
    const std::optional<platform::SmallFile> read = platform::readSmallFile(file, maxIniFileSize);
    if (!read || !read->content)
        return std::nullopt;
    return IniDocument::parse(*read->content);
}

bool iniUpdateWith(const QString &file, const std::function<bool(IniDocument &)> &change,
                   const IniWriter &write)
{
    if (file.isEmpty())
        return false;
    const std::optional<platform::SmallFile> read = platform::readSmallFile(file, maxIniFileSize);
    if (read && !read->content)
        return false; // there, but not a small regular file we could read
    const bool exists = read.has_value();
    if (!exists && isShortcutFile(file))
        return false;
    IniDocument doc = exists ? IniDocument::parse(*read->content) : IniDocument();
    if (!change(doc))
        return false;
    const QByteArray content = doc.serialize();
    if (exists ? content == *read->content : content.isEmpty())
        return true; // nothing to change, and an empty file is never made
    return write(content, exists ? read->content : std::nullopt);
}

bool iniUpdate(const QString &file, const std::function<bool(IniDocument &)> &change,
               const platform::FileWriteOps &ops)
{
    return iniUpdateWith(
        file, change, [&](const QByteArray &content, const std::optional<QByteArray> &before) {
            return platform::replaceFileContent(file, content, !before, before, ops);
        });
}

QString readString(const IniDocument &doc, QStringView section, QStringView key,
                   const QString &defaultValue)
{
    return doc.value(section, key).value_or(defaultValue);
}

bool readBool(const IniDocument &doc, QStringView section, QStringView key, bool defaultValue)
{
    const QString value = readString(doc, section, key, QString());
    if (value == u"0")
        return false;
    if (value == u"1")
        return true;
    return defaultValue;
}

int readInteger(const IniDocument &doc, QStringView section, QStringView key, int defaultValue)
{
    return parseInteger(readString(doc, section, key, QString())).value_or(defaultValue);
}

QString iniReadString(const QString &file, const QString &section, const QString &key,
                      const QString &defaultValue)
{
    return readString(loadOrEmpty(file), section, key, defaultValue);
}

bool iniWriteString(const QString &file, const QString &section, const QString &key,
                    const QString &value)
{
    return iniUpdate(file, [&](IniDocument &doc) { return doc.setValue(section, key, value); });
}

bool iniReadBool(const QString &file, const QString &section, const QString &key, bool defaultValue)
{
    return readBool(loadOrEmpty(file), section, key, defaultValue);
}

bool iniSectionExists(const QString &file, const QString &section)
{
    return loadOrEmpty(file).sectionHasKeys(section);
}
