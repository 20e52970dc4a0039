#include "autostart.h"

#include "files.h"
#include "folders.h"

#include <QHash>
#include <algorithm>
#include <optional>
#include <sys/stat.h>

namespace platform {
namespace {
const QByteArray markerKey = "X-Favrake-Autostart";
constexpr int64_t maxEntrySize = 64 * 1024; // an entry of ours is a few hundred bytes

using EntryKeys = QHash<QByteArray, QByteArray>;

bool occupied(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(encodeFileName(path).constData(), &st) == 0;
}

// The keys of the group "Desktop Entry"; nullopt when the file is not a small readable file.
std::optional<EntryKeys> readEntryKeys(const QString &path)
{
    const std::optional<SmallFile> file = readSmallFile(path, maxEntrySize);
    if (!file || !file->content)
        return std::nullopt;
    EntryKeys keys;
    bool inEntryGroup = false;
    for (const QByteArray &rawLine : file->content->split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inEntryGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (inEntryGroup && equals > 0 && !line.startsWith('#'))
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return keys;
}

std::optional<EntryKeys> ourEntryKeys()
{
    std::optional<EntryKeys> keys = readEntryKeys(autostartFile());
    if (keys && keys->value(markerKey) == "true")
        return keys;
    return std::nullopt;
}

// Backslash, line break, tab and carriage return as a string value of a desktop entry.
QString escapeValue(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

QByteArray entryContent(const QString &programPath)
{
    const QString lines[] = {
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=Favrake"),
        QStringLiteral("Comment=Keeps your Favorites tidy, a few bookmarks at a time"),
        QStringLiteral("Exec=") + desktopExecValue(programPath),
        QStringLiteral("Icon=favrake"),
        QStringLiteral("Terminal=false"),
        QStringLiteral("X-GNOME-Autostart-enabled=true"),
        QString::fromLatin1(markerKey) + QStringLiteral("=true"),
    };
    QByteArray content;
    for (const QString &line : lines)
        content += line.toUtf8() + '\n';
    return content;
}

bool writeEntry(const QString &programPath)
{
    const QString path = autostartFile();
    return !path.isEmpty() && !programPath.isEmpty() &&
           makeFolderPath(path.left(path.lastIndexOf(u'/'))) &&
           writeWholeFile(path, entryContent(programPath)).ok();
}
} // namespace

QString autostartFile()
{
    const QString config = xdgFolder(XdgFolder::Config);
    return config.isEmpty() ? QString() : config + QStringLiteral("autostart/favrake.desktop");
}

bool isAutostartEnabled()
{
    const std::optional<EntryKeys> keys = ourEntryKeys();
    return keys && keys->value("Hidden") != "true" &&
           keys->value("X-GNOME-Autostart-enabled") != "false";
}

bool isAutostartForeign()
{
    const QString path = autostartFile();
    return !path.isEmpty() && occupied(path) && !ourEntryKeys();
}

bool setAutostart(bool enable, const QString &programPath)
{
    if (isAutostartForeign())
        return false;
    return enable ? writeEntry(programPath) : removeAutostartIfOurs();
}

bool removeAutostartIfOurs()
{
    return !ourEntryKeys() || removeFile(autostartFile());
}

QString desktopExecValue(const QString &programPath)
{
    static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
    QString argument = programPath;
    argument.replace(u'%', QStringLiteral("%%")); // a lone "%" would start a field code
    if (std::any_of(argument.cbegin(), argument.cend(),
                    [](QChar c) { return reserved.contains(c); })) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        argument = quoted + u'"';
    }
    return escapeValue(argument);
}
} // namespace platform
