#include "collection.h"

#include "config/settings.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

std::unique_ptr<Bookmarks> openCollection(const QString &folder, QTextStream &err,
                                          const platform::FileWriteOps &writeOps)
{
    loadSettings({}, platform::appDataFolder());
    const QString path = folder.isEmpty() ? favoritesFolderInUse() : folder;
    const std::optional<platform::FileStamp> stamp = platform::stampOf(path);
    if (!stamp || !stamp->directory) {
        err << "favrake-cli: not a readable folder: " << displayFileName(path) << '\n';
        return nullptr;
    }
    return std::make_unique<Bookmarks>(
        platform::absolutePath(path),
        BookmarksEnv{.intervals = settingsIntervals, .writeOps = &writeOps});
}

QString counted(qsizetype count, const char *one, const char *many)
{
    return QString::number(count) + u' ' + QLatin1StringView(count == 1 ? one : many);
}

QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return text;
}

QString oneLineFields(const QStringList &fields)
{
    QStringList cleaned;
    for (const QString &field : fields)
        cleaned << oneLine(field);
    return cleaned.join(u'\t');
}

QString relativeName(const Bookmarks &list, int i)
{
    const QString folder = list.folderName(i);
    const QString file = displayFileName(wideExtractFileName(list.item(i)->fileName));
    return folder.isEmpty() ? file : folder + u'/' + file;
}
