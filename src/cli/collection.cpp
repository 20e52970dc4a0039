#include "collection.h"

#include "config/settings.h"
#include "platform/folders.h"
#include "store/bookmarks.h"

#include <QFileInfo>

std::unique_ptr<TBookmarks> OpenCollection(const QString &folder, QTextStream &err,
                                           const platform::FileWriteOps &writeOps)
{
    const QString path = folder.isEmpty() ? platform::favoritesFolder() : folder;
    if (!QFileInfo(path).isDir()) {
        err << "favrake-cli: not a readable folder: " << path << '\n';
        return nullptr;
    }
    LoadSettings({}, platform::appDataFolder());
    return std::make_unique<TBookmarks>(
        QFileInfo(path).absoluteFilePath(),
        TBookmarksEnv{.Intervals = SettingsIntervals, .WriteOps = &writeOps});
}

QString OneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return text;
}

QString OneLineFields(const QStringList &fields)
{
    QStringList cleaned;
    for (const QString &field : fields)
        cleaned << OneLine(field);
    return cleaned.join(u'\t');
}
