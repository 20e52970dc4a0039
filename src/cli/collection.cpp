#include "collection.h"

#include "config/settings.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

std::unique_ptr<TBookmarks> OpenCollection(const QString &folder, QTextStream &err,
                                           const platform::FileWriteOps &writeOps)
{
    LoadSettings({}, platform::appDataFolder());
    const QString path = folder.isEmpty() ? FavoritesFolderInUse() : folder;
    const std::optional<platform::FileStamp> stamp = platform::stampOf(path);
    if (!stamp || !stamp->directory) {
        err << "favrake-cli: not a readable folder: " << displayFileName(path) << '\n';
        return nullptr;
    }
    return std::make_unique<TBookmarks>(
        platform::absolutePath(path),
        TBookmarksEnv{.Intervals = SettingsIntervals, .WriteOps = &writeOps});
}

QString Counted(qsizetype count, const char *one, const char *many)
{
    return QString::number(count) + u' ' + QLatin1StringView(count == 1 ? one : many);
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

QString RelativeName(const TBookmarks &list, int i)
{
    const QString folder = list.FolderName(i);
    const QString file = displayFileName(WideExtractFileName(list.Item(i)->FileName));
    return folder.isEmpty() ? file : folder + u'/' + file;
}
