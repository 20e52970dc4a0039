#include "uninstall.h"

#include "platform/autostart.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/singleinstance_os.h"
#include "settings.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QDir>
#include <QFileInfo>

namespace {
// The cache folder is Favrake's alone; a link in its place is only taken away, never
// followed.
QString removeCacheFolder()
{
    const QString cache = platform::xdgFolder(platform::XdgFolder::Cache);
    if (cache.isEmpty())
        return QString();
    const QString folder = cache + QStringLiteral("favrake");
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink())
        return QString();
    const bool removed = info.isSymLink() || !info.isDir() ? platform::removeFile(folder)
                                                           : QDir(folder).removeRecursively();
    return removed ? folder : QString();
}

QStringList removeRuntimeFiles()
{
    const QString folder = platform::runtimeInstanceFolder();
    QStringList removed;
    for (const char *name : {platform::instance::lockFileName, platform::instance::socketFileName})
        if (const QString file = folder + QLatin1String(name);
            platform::stampOf(file) && platform::removeFile(file))
            removed << file;
    QDir().rmdir(folder); // only when it is empty now
    return removed;
}
} // namespace

UninstallReport uninstallCleanup(Bookmarks &list)
{
    UninstallReport report;
    list.load();
    report.favoritesPath = list.favoritesPath();
    int withState = 0; // the files whose section held values when they were read
    for (int i = 0; i < list.count(); ++i)
        withState += list.item(i)->storedState != 0 ? 1 : 0;
    report.notCleaned = list.removeAllState();
    report.cleaned = withState - int(report.notCleaned.size());
    const QString file = settingsFile();
    const bool hadSettings = !file.isEmpty() && QFileInfo::exists(file);
    disableSaving();
    if (deleteSettingsFile() && hadSettings)
        report.settingsFile = file;
    const bool ourEntry =
        QFileInfo::exists(platform::autostartFile()) && !platform::isAutostartForeign();
    if (ourEntry && platform::removeAutostartIfOurs())
        report.autostartFile = platform::autostartFile();
    report.cacheFolder = removeCacheFolder();
    report.runtimeFiles = removeRuntimeFiles();
    return report;
}

QString uninstallText(const UninstallReport &report)
{
    QStringList lines{QStringLiteral("Removed Favrake's state from %1 bookmark file%2 in %3.")
                          .arg(report.cleaned)
                          .arg(report.cleaned == 1 ? "" : "s")
                          .arg(displayFileName(report.favoritesPath))};
    lines << (report.settingsFile.isEmpty() ? QStringLiteral("There was no settings file.")
                                            : QStringLiteral("Deleted the settings file %1.")
                                                  .arg(displayFileName(report.settingsFile)));
    if (!report.autostartFile.isEmpty())
        lines << QStringLiteral("Removed the login entry %1.")
                     .arg(displayFileName(report.autostartFile));
    if (!report.cacheFolder.isEmpty())
        lines << QStringLiteral("Deleted the cache folder %1.")
                     .arg(displayFileName(report.cacheFolder));
    if (!report.runtimeFiles.isEmpty())
        lines << QStringLiteral("Removed the running copy's files %1.")
                     .arg(displayFileName(report.runtimeFiles.join(QStringLiteral(", "))));
    if (!report.complete()) {
        lines << QStringLiteral("Could not remove Favrake's state from these files:");
        for (const QString &file : report.notCleaned)
            lines << QStringLiteral("  ") + displayFileName(file);
    }
    return lines.join(u'\n');
}
