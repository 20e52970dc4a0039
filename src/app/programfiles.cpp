#include "programfiles.h"

#include "config/settings.h"
#include "lang/languages.h"
#include "platform/folders.h"
#include "refresh/downloader.h"
#include "refresh/linkchecker.h"
#include "reviewseams.h"

#include <QFileInfo>

QIcon programIcon()
{
    Q_INIT_RESOURCE(icons); // the pictures live in this static library
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/favrake-%1.png").arg(size), QSize(size, size));
    return icon;
}

QString helpPage(const QString &name)
{
    const QString language = languages().applicationTexts().helpFile;
    const bool plainName =
        !language.isEmpty() && !language.contains(u'/') && language != u"." && language != u"..";
    for (const QString &data : platform::programDataFolders()) {
        const QString help = data + QStringLiteral("/help/");
        for (const QString &page :
             {plainName ? help + language + u'/' + name : QString(), help + name})
            if (!page.isEmpty() && QFileInfo(page).isFile())
                return page;
    }
    return QString();
}

QString contextHelpPage(int context)
{
    return helpPage(QString::number(context) + QStringLiteral(".html"));
}

std::unique_ptr<AbstractDownloader> makeDownloader(std::function<void()> resultReady)
{
    return std::make_unique<LinkChecker>(
        std::make_unique<Downloader>(DownloadLimits{}, PoolOptions{.resultReady = resultReady}),
        CheckSeams{.resultReady = resultReady});
}

ReviewOptions reviewOptions()
{
    return {.selectionMode = settings.selectionMode,
            .noNetAccess = settings.noNetAccess,
            .dontDelete = settings.dontDelete,
            .installed = settings.installed,
            .suggestServer = settings.suggestServer,
            .language = settings.language,
            .intervals = settingsIntervals()};
}
