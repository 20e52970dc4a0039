#include "collection.h"

#include "config/settings.h"
#include "platform/folders.h"
#include "store/bookmarks.h"

#include <QFileInfo>

std::unique_ptr<TBookmarks> OpenCollection(const QString &folder, QTextStream &err)
{
    const QString path = folder.isEmpty() ? platform::favoritesFolder() : folder;
    if (!QFileInfo(path).isDir()) {
        err << "favrake-cli: not a readable folder: " << path << '\n';
        return nullptr;
    }
    LoadSettings({}, platform::appDataFolder());
    return std::make_unique<TBookmarks>(QFileInfo(path).absoluteFilePath(),
                                        TBookmarksEnv{.Intervals = SettingsIntervals});
}

QString OneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    return text;
}

QString RelativeName(const TBookmarks &list, int i)
{
    const QString folder = list.FolderName(i);
    const QString file = list.Item(i)->FileName.mid(list.Item(i)->FileName.lastIndexOf(u'/') + 1);
    return folder.isEmpty() ? file : folder + u'/' + file;
}
