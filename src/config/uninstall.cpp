#include "uninstall.h"

#include "platform/autostart.h"
#include "settings.h"
#include "store/bookmarks.h"

QStringList UninstallCleanup(TBookmarks &list)
{
    list.Load();
    const QStringList notCleaned = list.RemoveAllState();
    DisableSaving();
    DeleteSettingsFile();
    platform::RemoveAutostartIfOurs();
    return notCleaned;
}
