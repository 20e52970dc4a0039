#include "programfiles.h"

#include "platform/folders.h"
#include "refresh/downloader.h"

#include <QFileInfo>

QIcon ProgramIcon()
{
    Q_INIT_RESOURCE(icons); // the pictures live in this static library
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/favrake-%1.png").arg(size), QSize(size, size));
    return icon;
}

QString HelpPage(int context)
{
    for (const QString &data : platform::programDataFolders()) {
        const QString page = data + QStringLiteral("/help/%1.html").arg(context);
        if (QFileInfo(page).isFile())
            return page;
    }
    return QString();
}

std::unique_ptr<AbstractDownloader> MakeDownloader()
{
    return std::make_unique<Downloader>();
}
