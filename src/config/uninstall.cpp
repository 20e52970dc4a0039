#include "uninstall.h"

#include "platform/autostart.h"
#include "settings.h"
#include "store/bookmarks.h"
#include "store/textutil.h"

#include <QFileInfo>

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
    if (!report.complete()) {
        lines << QStringLiteral("Could not remove Favrake's state from these files:");
        for (const QString &file : report.notCleaned)
            lines << QStringLiteral("  ") + displayFileName(file);
    }
    return lines.join(u'\n');
}
