#include "uninstall.h"

#include "platform/autostart.h"
#include "settings.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QFileInfo>

TUninstallReport UninstallCleanup(TBookmarks &list)
{
    TUninstallReport report;
    list.Load();
    report.FavoritesPath = list.FavoritesPath();
    int withState = 0; // the files whose section held values when they were read
    for (int i = 0; i < list.Count(); ++i)
        withState += list.Item(i)->StoredState != 0 ? 1 : 0;
    report.NotCleaned = list.RemoveAllState();
    report.Cleaned = withState - int(report.NotCleaned.size());
    const QString settings = SettingsFile();
    const bool hadSettings = !settings.isEmpty() && QFileInfo::exists(settings);
    DisableSaving();
    if (DeleteSettingsFile() && hadSettings)
        report.SettingsFile = settings;
    const bool ourEntry =
        QFileInfo::exists(platform::AutostartFile()) && !platform::IsAutostartForeign();
    if (ourEntry && platform::RemoveAutostartIfOurs())
        report.AutostartFile = platform::AutostartFile();
    return report;
}

QString UninstallText(const TUninstallReport &report)
{
    QStringList lines{QStringLiteral("Removed Favrake's state from %1 bookmark file%2 in %3.")
                          .arg(report.Cleaned)
                          .arg(report.Cleaned == 1 ? "" : "s")
                          .arg(displayFileName(report.FavoritesPath))};
    lines << (report.SettingsFile.isEmpty() ? QStringLiteral("There was no settings file.")
                                            : QStringLiteral("Deleted the settings file %1.")
                                                  .arg(displayFileName(report.SettingsFile)));
    if (!report.AutostartFile.isEmpty())
        lines << QStringLiteral("Removed the login entry %1.")
                     .arg(displayFileName(report.AutostartFile));
    if (!report.Complete()) {
        lines << QStringLiteral("Could not remove Favrake's state from these files:");
        for (const QString &file : report.NotCleaned)
            lines << QStringLiteral("  ") + displayFileName(file);
    }
    return lines.join(u'\n');
}
