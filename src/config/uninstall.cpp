#include "uninstall.h"

#include "settings.h"
#include "store/bookmarks.h"

QStringList UninstallCleanup(TBookmarks &list)
{
    list.Load();
    const QStringList notCleaned = list.RemoveAllState();
    DisableSaving();
    DeleteSettingsFile();
    return notCleaned;
}
